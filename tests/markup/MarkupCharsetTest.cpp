#include "markup/MarkupCharset.h"

#include <gtest/gtest.h>

#include "MarkupTestSupport.h"
#include "markup/cFileParser.h"

namespace lyn {
namespace {

TEST(MarkupCharset, DeclarationsAreFoundInOrderOfPrecedence) {
  EXPECT_EQ(fncDeclaredCharset("<?xml version='1.0' encoding='ISO-8859-1'?><html><head>"
                               "<meta http-equiv='Content-Type' content='text/html; charset=utf-8'>"),
            "ISO-8859-1");
  EXPECT_EQ(fncDeclaredCharset("<html><head><meta name=\"ncc:charset\" content=\"iso-8859-15\" />"
                               "<META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html;charset=windows-1250\">"),
            "windows-1250");
  EXPECT_EQ(fncDeclaredCharset("<html><head><meta name=\"ncc:charset\" content=\" iso-8859-15 \">"),
            "iso-8859-15");
  EXPECT_EQ(fncDeclaredCharset("<html><head><meta charset=\"koi8-r\"><meta name='ncc:charset' "
                               "content='utf-8'>"),
            "koi8-r");
  EXPECT_EQ(fncDeclaredCharset("<?xml version=\"1.0\"?><html>"), "");
}

TEST(MarkupCharset, TheSearchStopsAtTheBodyAndSkipsComments) {
  EXPECT_EQ(fncDeclaredCharset("<html><!-- <meta http-equiv='content-type' "
                               "content='text/html; charset=koi8-r'> --><body>"
                               "<meta name='ncc:charset' content='iso-8859-1'>"),
            "");
  EXPECT_EQ(fncDeclaredCharset("<meta name='ncc:charset' content='iso-8859-1"), "iso-8859-1");
  EXPECT_EQ(fncDeclaredCharset("<meta = name='ncc:charset' content=x>"), "x");
  EXPECT_EQ(fncDeclaredCharset("<metadata name='ncc:charset' content='x'>"), "");
}

TEST(MarkupCharset, AByteOrderMarkOutranksTheDeclarationAndIsDropped) {
  std::string used;
  EXPECT_EQ(fncDecodeMarkupText("\xEF\xBB\xBF<p>caf\xC3\xA9</p>", used), "<p>caf\xC3\xA9</p>");
  EXPECT_EQ(used, "UTF-8");
  const std::string utf16("\xFF\xFE<\0p\0>\0\xE9\0", 10);
  EXPECT_EQ(fncDecodeMarkupText(utf16, used), "<p>\xC3\xA9");
  EXPECT_EQ(used, "UTF-16LE");
  const std::string unmarked("<\0?\0x\0m\0l\0", 10);
  EXPECT_EQ(fncDecodeMarkupText(unmarked, used), "<?xml");
}

TEST(MarkupCharset, UnusableDeclarationsFallBackToTheUndeclaredRule) {
  std::string used;
  // A UTF-16 label on bytes that are plainly ASCII-based, and a charset iconv does not know.
  EXPECT_EQ(fncDecodeMarkupText("<?xml encoding='UTF-16'?><p>\x93x\x94</p>", used),
            "<?xml encoding='UTF-16'?><p>\xE2\x80\x9Cx\xE2\x80\x9D</p>");
  EXPECT_EQ(used, "windows-1252");
  EXPECT_EQ(fncDecodeMarkupText("<?xml encoding='x-martian'?><p>\xC3\xA9</p>", used),
            "<?xml encoding='x-martian'?><p>\xC3\xA9</p>");
  EXPECT_EQ(used, "UTF-8");
}

TEST(MarkupCharset, ADeclaredUtf8FileKeepsItsBadBytesAsReplacementCharacters) {
  std::string used;
  EXPECT_EQ(fncDecodeMarkupText("<?xml encoding='utf-8'?><p>\xE9</p>", used),
            "<?xml encoding='utf-8'?><p>\xEF\xBF\xBD</p>");
}

// Same NCC twice: in UTF-8 and in ISO-8859-1 with raw Latin-1 letters.
std::string twinNcc(const std::string& charset, const std::string& title, const std::string& caption) {
  return "<?xml version=\"1.0\" encoding=\"" + charset + "\"?>\n"
         "<html><head><meta http-equiv=\"Content-type\" content=\"text/html; charset=" + charset +
         "\"/><meta name=\"dc:title\" content=\"" + title + "\"/>"
         "<meta name=\"ncc:charset\" content=\"" + charset + "\"/></head>"
         "<body><h1 id=\"h1\"><a href=\"s.smil#t\">" + caption + "</a></h1></body></html>";
}

TEST(MarkupCharset, ALatin1NccReadsTheSameAsItsUtf8Twin) {
  test::cTemporaryFolder folder;
  folder.fncWrite("latin/ncc.html", twinNcc("iso-8859-1", "Les Mis\xE9rables", "Premi\xE8re partie \xAB Fantine \xBB"));
  folder.fncWrite("utf8/ncc.html", twinNcc("utf-8", "Les Mis\xC3\xA9rables",
                                           "Premi\xC3\xA8re partie \xC2\xAB Fantine \xC2\xBB"));
  cFileData latin("NCC.html", kFileTypeNcc, (folder.fncPath() / "latin/").string());
  cFileData utf8("ncc.html", kFileTypeNcc, (folder.fncPath() / "utf8/").string());
  ASSERT_TRUE(latin.fncLoadFile());
  ASSERT_TRUE(utf8.fncLoadFile());
  EXPECT_EQ(latin.sCharset, "iso-8859-1");
  // Apart from the names of the charsets the two texts are the same UTF-8.
  std::string relabelled = latin.sData;
  for (size_t at; (at = relabelled.find("iso-8859-1")) != std::string::npos;)
    relabelled.replace(at, 10, "utf-8");
  EXPECT_EQ(relabelled, utf8.sData);

  cFileParser parser;
  parser.fncParseFile(latin);
  const cElementData* title = latin.fncGetElementData("meta");
  title = latin.fncGetNextElementData({"meta"});
  EXPECT_EQ(title->fncAttrContentWOQ("content"), "Les Mis\xC3\xA9rables");
  EXPECT_EQ(latin.fncTextDataContent(1), "Premi\xC3\xA8re partie \xC2\xAB Fantine \xC2\xBB");
  // Positions index the decoded text.
  const cElementData* a = latin.fncGetElementData("/a");
  EXPECT_EQ(latin.sData.substr(a->lElmStartPos, 4), "</a>");
}

TEST(MarkupCharset, AnUndeclaredWindows1252FileDecodesItsCurlyQuotes) {
  test::cTemporaryFolder folder;
  folder.fncWrite("ncc.html", "<html><body><h1>\x93Quoted\x94 \x96 it\x92s</h1></body></html>");
  cFileData file("ncc.html", kFileTypeNcc, folder.fncPath().string() + "/");
  ASSERT_TRUE(file.fncLoadFile());
  EXPECT_EQ(file.sCharset, "windows-1252");
  cFileParser parser;
  parser.fncParseFile(file);
  EXPECT_EQ(file.fncTextDataContent(1),
            "\xE2\x80\x9CQuoted\xE2\x80\x9D \xE2\x80\x93 it\xE2\x80\x99s");
}

TEST(MarkupCharset, LoadingFailuresLeaveTheTextAlone) {
  test::cTemporaryFolder folder;
  folder.fncWrite("sub/x.txt", "x");
  cFileData file("missing.html", kFileTypeNcc, folder.fncPath().string() + "/");
  file.sData = "kept";
  EXPECT_FALSE(file.fncLoadFile());
  file.sFileName = "sub";  // a folder
  EXPECT_FALSE(file.fncLoadFile());
  file.sFileName = "";
  EXPECT_FALSE(file.fncLoadFile());
  EXPECT_EQ(file.sData, "kept");
}

}  // namespace
}  // namespace lyn
