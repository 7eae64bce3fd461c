// The shipped sample of a real DAISY 2.02 book, loaded as the player loads it.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "MarkupTestSupport.h"
#include "markup/cDTBData.h"

namespace fs = std::filesystem;

namespace lyn {
namespace {

const fs::path kBook = fs::path(LYN_SHARED_DIR) / "books" / "user-guide-fulltext";

std::vector<std::string> smilNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    if (lower.size() > 5 && lower.substr(lower.size() - 5) == ".smil") names.push_back(lower);
  }
  std::sort(names.begin(), names.end());
  return names;
}

size_t occurrences(const std::string& text, const std::string& word) {
  size_t count = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++count;
  return count;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

// Loads the NCC and every SMIL file of `folder` by their lower-case names; checks each.
void loadBook(const fs::path& folder, const std::vector<std::string>& smils, cDTBData& set) {
  set.sWorkPath = folder.string() + "/";
  ASSERT_TRUE(set.fncInsertFile("ncc.html", kFileTypeNcc, {.bolParsing = true}));
  cFileData* ncc = set.fncGetFileData({.enFileType = kFileTypeNcc});
  ASSERT_NE(ncc, nullptr);
  ASSERT_TRUE(ncc->fncParseElementHierarchy());
  for (const std::string& name : smils) {
    ASSERT_TRUE(set.fncInsertFile(name, kFileTypeSmil, {.bolParsing = true})) << name;
    cFileData* smil = set.fncGetFileData({.sFileName = name});
    ASSERT_NE(smil, nullptr);
    ASSERT_TRUE(smil->fncParseElementHierarchy()) << name;
  }
}

TEST(BookLoad, TheUserGuideLoadsWithItsTitleAndEverySmilFile) {
  ASSERT_TRUE(fs::exists(kBook)) << "the shared books are missing at " << kBook
                                 << " (configure with -DLYN_SHARED_DIR=...)";
  const auto smils = smilNames(kBook);
  ASSERT_EQ(smils.size(), 19u);
  cDTBData set;
  loadBook(kBook, smils, set);
  EXPECT_EQ(set.sTitle, "AMIS User Guide");
  EXPECT_EQ(set.lDiscNumber, 1);
  EXPECT_EQ(set.lNumberOfDiscs, 1);
  EXPECT_FALSE(set.bolMultivolume);
  EXPECT_EQ(set.lNumFiles(), 20);

  cFileData* ncc = set.fncGetFileData({.enFileType = kFileTypeNcc});
  EXPECT_EQ(ncc->sCharset, "utf-8");
  cElementContainer* body = ncc->clsElementContainer()->fncRetrieveElementContainer("body");
  ASSERT_NE(body, nullptr);
  int headings = 0;
  for (int32_t i = 1; i <= body->lElementsOwned(); ++i) {
    const cElementContainer* h = body->pElementContainer(i);
    if (h->sName().size() == 2 && h->sName()[0] == 'h') {
      ++headings;
      ASSERT_EQ(h->lElementsOwned(), 1);
      const cElementContainer* a = h->pElementContainer(1);
      EXPECT_EQ(a->sName(), "a");
      ASSERT_EQ(a->lTextsOwned(), 1);
      EXPECT_FALSE(ncc->fncTextDataContent(a->pTextData(1)).empty());
      EXPECT_NE(ncc->pElementData(a->lStartTagNumber)->fncAttrContentWOQ("href").find(".smil#"),
                std::string_view::npos);
    }
  }
  EXPECT_EQ(headings, 19);

  // Every par of every SMIL file is a child of its body's seq, with a text and an audio leaf.
  for (const std::string& name : smils) {
    cFileData* smil = set.fncGetFileData({.sFileName = name});
    const size_t pars = occurrences(smil->sData, "<par ");
    ASSERT_GT(pars, 0u) << name;
    cElementContainer* seq = smil->clsElementContainer()->fncRetrieveElementContainer("seq");
    ASSERT_NE(seq, nullptr) << name;
    seq->subResetAllElements(true);
    size_t found = 0;
    while (cElementContainer* par = seq->fncRetrieveNextElementContainer("par")) {
      ++found;
      std::vector<cElementContainer*> inside;
      par->fncRetrieveElementContainers(inside);
      const bool hasAudio = std::any_of(inside.begin(), inside.end(),
                                        [](auto* n) { return n->sName() == "audio"; });
      EXPECT_TRUE(hasAudio) << name;
      EXPECT_NE(par->lEndTagNumber, -1) << name;
    }
    EXPECT_EQ(found, pars) << name;
  }
}

TEST(BookLoad, ACopyWithUpperCaseFileNamesLoadsTheSame) {
  ASSERT_TRUE(fs::exists(kBook)) << "the shared books are missing at " << kBook
                                 << " (configure with -DLYN_SHARED_DIR=...)";
  test::cTemporaryFolder copy;
  for (const auto& entry : fs::directory_iterator(kBook)) {
    if (!entry.is_regular_file()) continue;
    std::string name = entry.path().filename().string();
    const std::string ext = entry.path().extension().string();
    if (ext != ".html" && ext != ".smil") continue;
    std::transform(name.begin(), name.end(), name.begin(), ::toupper);
    fs::copy_file(entry.path(), copy.fncPath() / name);
  }
  ASSERT_TRUE(fs::exists(copy.fncPath() / "NCC.HTML"));
  const auto smils = smilNames(kBook);
  cDTBData original, upper;
  loadBook(kBook, smils, original);
  loadBook(copy.fncPath(), smils, upper);
  EXPECT_EQ(upper.sTitle, original.sTitle);
  EXPECT_EQ(upper.lNumberOfDiscs, 1);
  ASSERT_EQ(upper.lNumFiles(), original.lNumFiles());
  for (int32_t n = 1; n <= original.lNumFiles(); ++n) {
    cFileData* a = original.fncGetFileData({.lNumber = n});
    cFileData* b = upper.fncGetFileData({.lNumber = n});
    EXPECT_EQ(a->sData, b->sData) << a->sFileName;
    EXPECT_EQ(test::fncElementNames(*a), test::fncElementNames(*b));
    EXPECT_EQ(test::fncTextRuns(*a), test::fncTextRuns(*b));
  }
  // The folder was listed once, not once per file.
  EXPECT_EQ(upper.fncPathResolver().fncListingsRead(), 1u);
  EXPECT_EQ(readFile(copy.fncPath() / "NCC.HTML"), original.fncGetFileData({.lNumber = 1})->sData);
}

}  // namespace
}  // namespace lyn
