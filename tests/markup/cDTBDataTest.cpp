#include "markup/cDTBData.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "MarkupTestSupport.h"

namespace lyn {
namespace {

std::string ncc(const std::string& metas) {
  return "<html><head><title>x</title>" + metas + "</head><body><h1>One</h1></body></html>";
}

cDTBData bookSet() {
  cDTBData set;
  set.sWorkPath = "/books/none/";
  return set;
}

struct SetInfoCase {
  const char* content;
  int32_t disc;
  int32_t discs;
  bool multivolume;
};

TEST(BookFileSet, SetInformationGivesTheVolume) {
  for (const SetInfoCase& c : {SetInfoCase{"1 of 1", 1, 1, false}, SetInfoCase{"2 of 3", 2, 3, true},
                               SetInfoCase{"10 of 12", 10, 12, true},
                               SetInfoCase{" 3of4 ", 3, 4, true},
                               SetInfoCase{"of 3", 1, 1, false}, SetInfoCase{"2 / 3", 1, 1, false},
                               SetInfoCase{"x of y", 1, 1, false}}) {
    cDTBData set = bookSet();
    const std::string text = ncc(std::string("<meta name=\"ncc:setInfo\" content=\"") + c.content +
                                 "\"/><meta name='dc:title' content='Moby Dick'/>");
    ASSERT_TRUE(set.fncInsertFile("ncc.html", kFileTypeNcc, {.sData = text, .bolParsing = true}));
    EXPECT_EQ(set.lDiscNumber, c.disc) << c.content;
    EXPECT_EQ(set.lNumberOfDiscs, c.discs) << c.content;
    EXPECT_EQ(set.bolMultivolume, c.multivolume) << c.content;
    EXPECT_EQ(set.sTitle, "Moby Dick");
  }
}

TEST(BookFileSet, WithoutSetInformationTheBookIsDiscOneOfOne) {
  cDTBData set = bookSet();
  ASSERT_TRUE(set.fncInsertFile("ncc.html", kFileTypeNcc,
                                {.sData = ncc("<meta name=\"DC:Title\" content=\"Emma &amp; co\">"),
                                 .bolParsing = true}));
  EXPECT_EQ(set.lDiscNumber, 1);
  EXPECT_EQ(set.lNumberOfDiscs, 1);
  EXPECT_FALSE(set.bolMultivolume);
  EXPECT_EQ(set.sTitle, "Emma &amp; co");  // entities are the reader's business

  cDTBData bare = bookSet();
  ASSERT_TRUE(bare.fncInsertFile("ncc.html", kFileTypeNcc, {.sData = "<html></html>", .bolParsing = true}));
  EXPECT_EQ(bare.lDiscNumber, 1);
  EXPECT_EQ(bare.lNumberOfDiscs, 1);
}

TEST(BookFileSet, NamesAndSingleKindsAreHeldOnce) {
  cDTBData set = bookSet();
  ASSERT_TRUE(set.fncInsertFile("ncc.html", kFileTypeNcc, {.sData = ncc(""), .bolParsing = true}));
  cFileData* first = set.fncGetFileData({.lNumber = 1});
  EXPECT_FALSE(set.fncInsertFile("ncc.html", kFileTypeNcc, {.sData = "other"}));
  EXPECT_FALSE(set.fncInsertFile("NCC.HTML", kFileTypeSmil, {.sData = "other"}));
  EXPECT_FALSE(set.fncInsertFile("ncc2.html", kFileTypeNcc, {.sData = "other"}));  // second NCC
  EXPECT_EQ(set.lNumFiles(), 1);
  EXPECT_EQ(set.fncGetFileData({.lNumber = 1}), first);
  EXPECT_NE(first->sData, "other");

  ASSERT_TRUE(set.fncInsertFile("Chap01.smil", kFileTypeSmil, {.sData = "<smil/>"}));
  EXPECT_FALSE(set.fncInsertFile("chap01.SMIL", kFileTypeSmil, {.sData = "<smil/>"}));
  ASSERT_TRUE(set.fncInsertFile("chap02.smil", kFileTypeSmil, {.sData = "<smil/>"}));  // kind 3: many
  ASSERT_TRUE(set.fncInsertFile("x.html", 2, {.sData = ""}));
  EXPECT_FALSE(set.fncInsertFile("y.html", 2, {.sData = ""}));
  // A lookup by name needs the name as held.
  EXPECT_EQ(set.fncGetFileData({.sFileName = "chap01.smil"}), nullptr);
  EXPECT_EQ(set.lCurrentFile, set.lNumFiles() + 1);
  ASSERT_NE(set.fncGetFileData({.sFileName = "Chap01.smil"}), nullptr);
  EXPECT_EQ(set.lCurrentFile, 2);
}

TEST(BookFileSet, InsertionNeedsAFolder) {
  cDTBData set;
  EXPECT_FALSE(set.fncInsertFile("ncc.html", kFileTypeNcc, {.sData = ncc("")}));
  EXPECT_EQ(set.lNumFiles(), 0);
}

TEST(BookFileSet, LookupsByNumberKindAndNameMoveTheCursor) {
  cDTBData set = bookSet();
  set.fncInsertFile("a.smil", kFileTypeSmil, {.lFileSize = 123, .sData = ""});
  set.fncInsertFile("ncc.html", kFileTypeNcc, {.sData = ""});
  set.fncInsertFile("b.smil", kFileTypeSmil, {.sData = ""});
  set.fncInsertFile("c.smil", kFileTypeSmil, {.sData = ""});
  EXPECT_EQ(set.fncGetFileData({.lNumber = 1})->lFileSize, 123);
  EXPECT_EQ(set.fncGetFileData({.lNumber = 5}), nullptr);
  EXPECT_EQ(set.fncGetFileData({.lNumber = 0}), nullptr);
  EXPECT_EQ(set.lCurrentFile, 1);
  EXPECT_EQ(set.fncGetFileData({}), nullptr);
  EXPECT_EQ(set.fncGetFileData({.enFileType = kFileTypeNcc})->sFileName, "ncc.html");
  EXPECT_EQ(set.lCurrentFile, 2);
  // The number wins over the kind, the kind over the name.
  EXPECT_EQ(set.fncGetFileData({.lNumber = 3, .enFileType = kFileTypeNcc})->sFileName, "b.smil");
  EXPECT_EQ(set.fncGetFileData({.enFileType = kFileTypeSmil, .sFileName = "c.smil"})->sFileName,
            "a.smil");
  EXPECT_EQ(set.fncGetFileData({.enFileType = 7}), nullptr);
  EXPECT_EQ(set.lCurrentFile, 5);

  set.fncGetFileData({.lNumber = 1});
  EXPECT_EQ(set.fncGetNextFileData(kFileTypeSmil)->sFileName, "b.smil");
  EXPECT_EQ(set.fncGetNextFileData(kFileTypeSmil)->sFileName, "c.smil");
  EXPECT_EQ(set.fncGetNextFileData(kFileTypeSmil), nullptr);
  EXPECT_EQ(set.lCurrentFile, 4);
}

TEST(BookFileSet, RemovingMovesTheLaterFilesDown) {
  cDTBData set = bookSet();
  set.fncInsertFile("a.smil", kFileTypeSmil, {.sData = ""});
  set.fncInsertFile("b.smil", kFileTypeSmil, {.sData = ""});
  set.fncInsertFile("c.smil", kFileTypeSmil, {.sData = ""});
  set.fncRemoveFileData({.sFileName = "b.smil"});
  EXPECT_EQ(set.lNumFiles(), 2);
  EXPECT_EQ(set.lCurrentFile, 1);
  EXPECT_EQ(set.fncGetNextFileData(kFileTypeSmil)->sFileName, "c.smil");
  set.fncRemoveFileData({.sFileName = "nothing"});
  EXPECT_EQ(set.lNumFiles(), 2);
  // The name is free again.
  EXPECT_TRUE(set.fncInsertFile("B.smil", kFileTypeSmil, {.sData = ""}));
}

TEST(BookFileSet, HeldFilesAreTokenizedOnRequestAndOnlyOnce) {
  cDTBData set = bookSet();
  ASSERT_TRUE(set.fncInsertFile("a.smil", kFileTypeSmil, {.sData = "<smil><body></body></smil>"}));
  cFileData* file = set.fncGetFileData({.lNumber = 1});
  EXPECT_EQ(file->lNumElementData(), 0);
  EXPECT_TRUE(set.fncParseExisting({.sFileName = "a.smil"}));
  EXPECT_EQ(file->lNumElementData(), 4);
  EXPECT_TRUE(set.fncParseExisting({.lNumber = 1}));
  EXPECT_EQ(file->lNumElementData(), 4);
  EXPECT_FALSE(set.fncParseExisting({.lNumber = 2}));
}

TEST(BookFileSet, FilesAreReadFromTheFolderWhateverTheirCase) {
  test::cTemporaryFolder folder;
  folder.fncWrite("NCC.HTML", ncc("<meta name='ncc:setinfo' content='2 of 3'>"));
  folder.fncWrite("SMIL/CHAP01.SMIL", "<smil><body><seq><par id='p'/></seq></body></smil>");
  cDTBData set;
  set.sWorkPath = folder.fncPath().string() + "/";
  ASSERT_TRUE(set.fncInsertFile("ncc.html", kFileTypeNcc, {.bolParsing = true}));
  EXPECT_EQ(set.lDiscNumber, 2);
  EXPECT_TRUE(set.bolMultivolume);
  ASSERT_TRUE(set.fncInsertFile("smil/chap01.smil", kFileTypeSmil, {.bolParsing = true}));
  EXPECT_TRUE(set.fncInsertFile("smil\\CHAP01.smil", kFileTypeSmil, {.bolParsing = false}));
  cFileData* smil = set.fncGetFileData({.sFileName = "smil/chap01.smil"});
  ASSERT_NE(smil, nullptr);
  EXPECT_EQ(smil->sPath, set.sWorkPath);
  EXPECT_TRUE(smil->fncParseElementHierarchy());
  EXPECT_NE(smil->clsElementContainer()->fncRetrieveElementContainer("par"), nullptr);

  // A missing file fails, and its document stays in the set.
  EXPECT_FALSE(set.fncInsertFile("chap99.smil", kFileTypeSmil, {.bolParsing = true}));
  EXPECT_EQ(set.lNumFiles(), 4);
  EXPECT_FALSE(set.fncInsertFile("chap99.smil", kFileTypeSmil, {.bolParsing = true}));
}

TEST(BookFileSet, WhatIsNoRegularFileFailsAtOnceWithItsNameAndReason) {
  test::cTemporaryFolder folder;
  ASSERT_EQ(::mkfifo((folder.fncPath() / "ncc.html").c_str(), 0600), 0);
  std::filesystem::create_directory(folder.fncPath() / "chap01.smil");
  std::filesystem::create_symlink("/dev/zero", folder.fncPath() / "chap02.smil");
  std::filesystem::create_symlink("/proc/self/mem", folder.fncPath() / "chap03.smil");
  cDTBData set;
  set.sWorkPath = folder.fncPath().string() + "/";
  const std::pair<const char*, const char*> cases[] = {{"ncc.html", "not a regular file"},
                                                       {"chap01.smil", "is a folder"},
                                                       {"chap02.smil", "not a regular file"},
                                                       {"chap03.smil", ": "}};  // EIO
  for (const auto& [name, reason] : cases) {
    EXPECT_FALSE(set.fncInsertFile(name, name[0] == 'n' ? kFileTypeNcc : kFileTypeSmil,
                                   {.bolParsing = true}));
    EXPECT_NE(set.sLoadError.find(name), std::string::npos) << set.sLoadError;
    EXPECT_NE(set.sLoadError.find(reason), std::string::npos) << set.sLoadError;
  }
}

// About `tags` start tags: each costs memory far beyond its three bytes once tokenized.
std::string tagDense(size_t tags) {
  std::string text = "<smil><body><seq>";
  text.reserve(tags * 3 + 64);
  for (size_t i = 0; i < tags; ++i) text += "<p>";
  return text;
}

TEST(BookFileSet, ADocumentThatWouldNeedMoreThanItsBudgetIsRefused) {
  test::cTemporaryFolder folder;
  const size_t tooMany = kDocumentBudget / kBytesPerTag + 1000;
  folder.fncWrite("huge.smil", tagDense(tooMany));
  folder.fncWrite("small.smil", tagDense(10));
  cDTBData set;
  set.sWorkPath = folder.fncPath().string() + "/";
  EXPECT_FALSE(set.fncInsertFile("huge.smil", kFileTypeSmil, {.bolParsing = true}));
  EXPECT_NE(set.sLoadError.find("huge.smil"), std::string::npos) << set.sLoadError;
  EXPECT_NE(set.sLoadError.find("too large"), std::string::npos) << set.sLoadError;
  cFileData* huge = set.fncGetFileData({.sFileName = "huge.smil"});
  ASSERT_NE(huge, nullptr);
  EXPECT_TRUE(huge->sData.empty());
  EXPECT_EQ(huge->lNumElementData(), 0);
  EXPECT_TRUE(set.fncInsertFile("small.smil", kFileTypeSmil, {.bolParsing = true}));
  EXPECT_TRUE(set.sLoadError.empty());
}

TEST(BookFileSet, TheBooksDocumentsTogetherKeepToTheBookBudget) {
  test::cTemporaryFolder folder;
  // Three files, each within its own budget, that together are over the book's.
  const size_t each = kBookBudget / kBytesPerTag / 3 + 1000;
  ASSERT_LT(fncEstimateMemory(tagDense(each)), kDocumentBudget);
  for (const char* name : {"a.smil", "b.smil", "c.smil"}) folder.fncWrite(name, tagDense(each));
  cDTBData set;
  set.sWorkPath = folder.fncPath().string() + "/";
  EXPECT_TRUE(set.fncInsertFile("a.smil", kFileTypeSmil, {.bolParsing = false}));
  EXPECT_TRUE(set.fncInsertFile("b.smil", kFileTypeSmil, {.bolParsing = false}));
  EXPECT_FALSE(set.fncInsertFile("c.smil", kFileTypeSmil, {.bolParsing = false}));
  EXPECT_NE(set.sLoadError.find("c.smil"), std::string::npos) << set.sLoadError;
  // Closing one gives its share back.
  set.fncRemoveFileData({.sFileName = "a.smil"});
  set.fncRemoveFileData({.sFileName = "c.smil"});
  EXPECT_TRUE(set.fncInsertFile("c.smil", kFileTypeSmil, {.bolParsing = false}));
}

class cRecordingReport : public iProgressReport {
 public:
  void subCurrentTestProgress(std::string_view, int32_t, int32_t) override { ++calls; }
  int calls = 0;
};

TEST(BookFileSet, TheReportObjectIsPassedToTheTokenizer) {
  cDTBData set = bookSet();
  cRecordingReport report;
  ASSERT_TRUE(set.fncInsertFile("a.smil", kFileTypeSmil,
                                {.sData = "<smil><body/></smil>", .bolParsing = true,
                                 .oReportObject = &report}));
  EXPECT_EQ(report.calls, 3);
}

}  // namespace
}  // namespace lyn
