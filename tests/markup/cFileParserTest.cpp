#include "markup/cFileParser.h"

#include <gtest/gtest.h>

#include "MarkupTestSupport.h"

namespace lyn {
namespace {

using test::fncElementNames;
using test::fncTextRuns;
using test::fncTokenize;
using Names = std::vector<std::string>;

TEST(FileParser, HeadingWithAttributesAndTextLinksBothTagsToTheRun) {
  const auto file = fncTokenize(R"(<h1 class="title" id="h1_1">Chapter</h1>)");
  ASSERT_EQ(fncElementNames(*file), (Names{"h1", "/h1"}));
  const cElementData* start = file->pElementData(1);
  const cElementData* end = file->pElementData(2);
  EXPECT_TRUE(start->bolStartTag);
  EXPECT_FALSE(start->bolEndTag);
  EXPECT_FALSE(end->bolStartTag);
  EXPECT_TRUE(end->bolEndTag);
  ASSERT_EQ(start->lNumberOfAttributes(), 2);
  EXPECT_EQ(start->pAttrName(1), "class");
  EXPECT_EQ(start->pAttrValue(1), "\"title\"");
  EXPECT_EQ(start->pAttrValue(2), "\"h1_1\"");
  EXPECT_FALSE(start->bolWarning);
  ASSERT_EQ(fncTextRuns(*file), (Names{"Chapter"}));
  EXPECT_EQ(start->lTextAfter, 1);
  EXPECT_EQ(end->lTextBefore, 1);
  EXPECT_EQ(start->lTextBefore, -1);
  EXPECT_EQ(end->lTextAfter, -1);
}

TEST(FileParser, TagPositionsFormAHalfOpenRangeOverTheWholeTag) {
  const std::string text = "ab<p class='x'>Hello</p>\n";
  const auto file = fncTokenize(text);
  ASSERT_EQ(file->lNumElementData(), 2);
  for (int32_t i = 1; i <= 2; ++i) {
    const cElementData* e = file->pElementData(i);
    const std::string tag = text.substr(e->lElmStartPos, e->lElmEndPos - e->lElmStartPos);
    EXPECT_EQ(tag, i == 1 ? "<p class='x'>" : "</p>");
  }
  const cTextData* run = file->pTextData(2);
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(run->lTxtStartPos, 16);  // 1-based "H"
  EXPECT_EQ(run->lTxtEndPos, 21);    // 1-based "<" of "</p>"
  EXPECT_EQ(fncTextRuns(*file), (Names{"ab", "Hello"}));
}

TEST(FileParser, BlankRunsAreNotStoredAndLeaveNoLinks) {
  const auto file = fncTokenize("<p> \t\r\n </p><br/>");
  ASSERT_EQ(file->lNumElementData(), 3);
  EXPECT_EQ(file->lNumTextData(), 0);
  EXPECT_EQ(file->pElementData(1)->lTextAfter, -1);
  EXPECT_EQ(file->pElementData(2)->lTextBefore, -1);
}

TEST(FileParser, UnquotedValuesAreKeptAsWrittenWithAWarning) {
  auto file = fncTokenize("<a href=x.html>go</a>");
  const cElementData* a = file->pElementData(1);
  EXPECT_EQ(a->fncAttrContent("href"), "x.html");
  EXPECT_TRUE(a->bolWarning);
  EXPECT_EQ(a->lElmEndPos, 15);

  // A slash ends an unquoted value and then reads as an empty-element mark; "y" follows
  // instead of ">", so the tag is malformed.
  file = fncTokenize("<a href=x/y.html>go</a>");
  a = file->pElementData(1);
  EXPECT_EQ(a->fncAttrContent("href"), "x");
  EXPECT_TRUE(a->bolStartTag);
  EXPECT_TRUE(a->bolEndTag);
  EXPECT_EQ(a->lElmEndPos, -1);
  EXPECT_EQ(fncTextRuns(*file), (Names{".html>go"}));
}

TEST(FileParser, AttributesWithoutValuesAreNotRecorded) {
  const auto file = fncTokenize("<input checked disabled type=\"box\" readonly>");
  const cElementData* input = file->pElementData(1);
  ASSERT_EQ(input->lNumberOfAttributes(), 1);
  EXPECT_EQ(input->pAttrName(1), "type");
  EXPECT_FALSE(input->fncAttributeExists("checked"));
  EXPECT_EQ(input->lElmEndPos, 44);
}

TEST(FileParser, EmptyElementTagsAreBothStartAndEnd) {
  for (const char* text : {"<br/>", "<br />", "<img src='a.png'/>", "<img src='a.png' />"}) {
    const auto file = fncTokenize(text);
    ASSERT_EQ(file->lNumElementData(), 1) << text;
    const cElementData* e = file->pElementData(1);
    EXPECT_TRUE(e->bolStartTag) << text;
    EXPECT_TRUE(e->bolEndTag) << text;
    EXPECT_EQ(e->lElmEndPos, static_cast<int32_t>(std::string(text).size())) << text;
  }
}

TEST(FileParser, CommentsAreSkippedWholeWithTheirTagsAndQuotes) {
  const auto file = fncTokenize(R"(<p>a</p><!-- <b>"x>y"</b> -->after<i>z</i>)");
  EXPECT_EQ(fncElementNames(*file), (Names{"p", "/p", "", "i", "/i"}));
  EXPECT_EQ(fncTextRuns(*file), (Names{"a", "after", "z"}));
  const cElementData* comment = file->pElementData(3);
  EXPECT_EQ(comment->lElmStartPos, 8);
  EXPECT_EQ(comment->lElmEndPos, -1);
  EXPECT_EQ(comment->lTextAfter, 2);
}

TEST(FileParser, AnApostropheInACommentRunsToTheNextMatchingQuote) {
  // The quote opened by "don't" closes in the following text, so "-->" inside it is passed over
  // and the comment ends at the first ">" after the closing apostrophe.
  const auto file = fncTokenize("<!-- don't --><p>it's</p>x>tail");
  EXPECT_EQ(fncElementNames(*file), (Names{""}));
  EXPECT_EQ(fncTextRuns(*file), (Names{"tail"}));
  // An apostrophe that is never closed consumes the rest: the comment adds nothing.
  const auto open = fncTokenize("<p>a</p><!-- don't --><p>b</p>");
  EXPECT_EQ(fncElementNames(*open), (Names{"p", "/p"}));
}

TEST(FileParser, DocumentTypeWithPublicIdentifierAndSystemLiteral) {
  const std::string text =
      R"(<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" )"
      R"("http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd" [<!ENTITY x "<y>">]><html>)";
  const auto file = fncTokenize(text);
  ASSERT_EQ(fncElementNames(*file), (Names{"!DOCTYPE", "html"}));
  const cElementData* doctype = file->pElementData(1);
  ASSERT_EQ(doctype->lNumberOfAttributes(), 2);
  EXPECT_EQ(doctype->pAttrName(1), "html");
  EXPECT_EQ(doctype->pAttrValue(1), "");
  EXPECT_EQ(doctype->pAttrName(2), "PUBLIC");
  EXPECT_EQ(doctype->pAttrValue(2),
            R"("-//W3C//DTD XHTML 1.0 Transitional//EN" )"
            R"("http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd")");
  EXPECT_FALSE(doctype->bolWarning);
  EXPECT_EQ(doctype->lElmEndPos, static_cast<int32_t>(text.size()) - 6);
}

TEST(FileParser, DocumentTypeVariants) {
  auto file = fncTokenize(R"(<!DOCTYPE html PUBLIC "-//W3C//DTD HTML 4.01//EN"><html>)");
  const cElementData* doctype = file->pElementData(1);
  EXPECT_TRUE(doctype->bolWarning);
  EXPECT_EQ(doctype->fncAttrContent("PUBLIC"), R"("-//W3C//DTD HTML 4.01//EN")");

  file = fncTokenize(R"(<!DOCTYPE smil SYSTEM "http://www.w3.org/TR/REC-smil/SMIL10.dtd"><smil>)");
  doctype = file->pElementData(1);
  EXPECT_EQ(doctype->fncAttrContent("SYSTEM"), R"("http://www.w3.org/TR/REC-smil/SMIL10.dtd")");
  EXPECT_TRUE(doctype->fncAttributeExists("smil"));
  EXPECT_EQ(fncElementNames(*file), (Names{"!DOCTYPE", "smil"}));

  file = fncTokenize("<!DOCTYPE html><html>");
  EXPECT_EQ(file->pElementData(1)->lNumberOfAttributes(), 1);
  EXPECT_EQ(file->pElementData(1)->lElmEndPos, 15);

  // An unquoted literal is taken as its own opening quote, which nothing closes.
  file = fncTokenize("<!DOCTYPE html SYSTEM about:legacy-compat><html><body>");
  EXPECT_EQ(file->lNumElementData(), 0);

  // Lower-case "doctype" is no declaration: the record has no name and the rest is text.
  file = fncTokenize("<!doctype html><p>x</p>");
  EXPECT_EQ(fncElementNames(*file), (Names{"", "p", "/p"}));
  EXPECT_EQ(fncTextRuns(*file), (Names{"!doctype html>", "x"}));
}

TEST(FileParser, XmlDeclarationPseudoAttributes) {
  auto file = fncTokenize("<?xml version=\"1.0\" encoding='utf-8'?>\n<smil>");
  ASSERT_EQ(fncElementNames(*file), (Names{"?xml", "smil"}));
  const cElementData* decl = file->pElementData(1);
  ASSERT_EQ(decl->lNumberOfAttributes(), 2);
  EXPECT_EQ(decl->fncAttrContentWOQ("encoding"), "utf-8");
  EXPECT_EQ(decl->lElmEndPos, 38);
  EXPECT_EQ(file->lNumTextData(), 0);  // a complete declaration contributes no text

  // A blank before "=" ends the loop at that name: no end position, the rest is text.
  file = fncTokenize("<?xml version ='1.0'?><smil>");
  decl = file->pElementData(1);
  EXPECT_EQ(decl->sElementName(), "?xml");
  EXPECT_EQ(decl->lNumberOfAttributes(), 0);
  EXPECT_EQ(decl->lElmEndPos, -1);
  EXPECT_EQ(fncTextRuns(*file), (Names{"version ='1.0'?>"}));

  // A blank after "=" is taken as the opening quote: nothing after it is tokenized.
  file = fncTokenize("<?xml version= '1.0'?><smil><body/></smil>");
  EXPECT_EQ(file->lNumElementData(), 0);
  EXPECT_EQ(file->lNumTextData(), 0);
}

TEST(FileParser, OtherProcessingInstructionsBecomeText) {
  auto file = fncTokenize("<?php echo 1; ?><p>x</p>");
  EXPECT_EQ(fncElementNames(*file), (Names{"", "p", "/p"}));
  EXPECT_EQ(fncTextRuns(*file), (Names{"?php echo 1; ?>", "x"}));
  // A style-sheet instruction begins with "?xml" and is read as a declaration.
  file = fncTokenize("<?xml-stylesheet href='a.css'?><p>");
  EXPECT_EQ(file->pElementData(1)->sElementName(), "?xml");
}

TEST(FileParser, ALessThanSignFollowedByABlankIsNoTag) {
  const auto file = fncTokenize("a < b<i>c</i>");
  EXPECT_EQ(fncTextRuns(*file), (Names{"a ", "b", "c"}));
  // The "<" becomes an element with no name, the first run before it, the second after it.
  EXPECT_EQ(fncElementNames(*file), (Names{"", "i", "/i"}));
  EXPECT_EQ(file->pElementData(1)->lTextBefore, 1);
  EXPECT_EQ(file->pElementData(1)->lTextAfter, 2);
}

TEST(FileParser, LessThanSignsWithoutANameJoinTheFollowingText) {
  const auto file = fncTokenize("1 <= 2 and 3 <<b>x</b>");
  EXPECT_EQ(fncTextRuns(*file), (Names{"1 ", "= 2 and 3 ", "<b>x"}));
  EXPECT_EQ(fncElementNames(*file), (Names{"", "", "/b"}));
}

TEST(FileParser, ATagCutOffByTheEndOfTheTextAddsNothing) {
  for (const char* text : {"<p>a</p><a href=\"x.smil", "<p>a</p><a href", "<p>a</p><a ",
                           "<p>a</p><", "<p>a</p></", "<p>a</p><!-- open", "<p>a</p><a/"}) {
    const auto file = fncTokenize(text);
    EXPECT_EQ(fncElementNames(*file), (Names{"p", "/p"})) << text;
  }
}

TEST(FileParser, TheLastTagIsAddedWhenComplete) {
  auto file = fncTokenize("<smil><body/></smil>");
  EXPECT_EQ(fncElementNames(*file), (Names{"smil", "body", "/smil"}));
  EXPECT_EQ(file->pElementData(3)->lElmEndPos, 20);
  file = fncTokenize("<smil></smil>\n");
  EXPECT_EQ(fncElementNames(*file), (Names{"smil", "/smil"}));
  // Text after the last tag is its run, ending one past the end of the text.
  file = fncTokenize("<p>x</p>tail");
  EXPECT_EQ(fncTextRuns(*file), (Names{"x", "tail"}));
  EXPECT_EQ(file->pElementData(2)->lTextAfter, 2);
  EXPECT_EQ(file->pTextData(2)->lTxtEndPos, 13);
  // A text without tags is one run.
  file = fncTokenize("just text");
  EXPECT_EQ(fncTextRuns(*file), (Names{"just text"}));
  EXPECT_EQ(file->lNumElementData(), 0);
}

TEST(FileParser, QuotedValuesTolerateOneUnbalancedInnerQuote) {
  const auto file = fncTokenize(
      R"(<a title="Dickens' novel" alt='say "hi" now' x="a'b'c" y='it"s'>t</a>)");
  const cElementData* a = file->pElementData(1);
  EXPECT_EQ(a->fncAttrContentWOQ("title"), "Dickens' novel");
  EXPECT_EQ(a->fncAttrContentWOQ("alt"), R"(say "hi" now)");
  EXPECT_EQ(a->fncAttrContentWOQ("x"), "a'b'c");
  EXPECT_EQ(a->fncAttrContentWOQ("y"), R"(it"s)");
  EXPECT_EQ(a->lElmEndPos, static_cast<int32_t>(file->sData.find('>') + 1));
  EXPECT_EQ(fncTextRuns(*file), (Names{"t"}));
}

TEST(FileParser, ANeverClosingQuoteStackConsumesTheRest) {
  // The apostrophe opened inside the double-quoted value waits for its partner to the end.
  auto file = fncTokenize(R"(<p>x</p><a title="it's>y</a>)");
  EXPECT_EQ(fncElementNames(*file), (Names{"p", "/p"}));
  // Behind a blank taken as the opening quote, quotes only pile up.
  file = fncTokenize(R"(<?xml v= "'"'"'"'>x<p>)");
  EXPECT_EQ(file->lNumElementData(), 0);
  EXPECT_EQ(file->lNumTextData(), 0);
}

TEST(FileParser, NamesAreWholeCharactersOfAnyScript) {
  const auto file = fncTokenize(
      "<título clé=\"été\" 章=\"一\">Ça</título><a×b c=\"d\">");
  ASSERT_GE(file->lNumElementData(), 3);
  const cElementData* title = file->pElementData(1);
  EXPECT_EQ(title->sElementName(), "título");
  EXPECT_EQ(title->fncAttrContentWOQ("CLÉ"), "été");
  EXPECT_EQ(title->fncAttrContentWOQ("章"), "一");
  EXPECT_EQ(file->pElementData(2)->sElementName(), "/título");
  // The multiplication sign is no letter: the name ends before it.
  EXPECT_EQ(file->pElementData(3)->sElementName(), "a");
  EXPECT_EQ(file->fncTextDataContent(1), "Ça");
}

TEST(FileParser, NulBytesAndStrayBytesAreOrdinaryCharacters) {
  const std::string text("<p id=\"a\0b\">x\0y</p>\xFF<\xFF>", 24);
  const auto file = fncTokenize(text);
  ASSERT_GE(file->lNumElementData(), 2);
  EXPECT_EQ(file->pElementData(1)->fncAttrContentWOQ("id"), std::string("a\0b", 3));
  EXPECT_EQ(file->fncTextDataContent(1), std::string("x\0y", 3));
}

class cCountingReport : public iProgressReport {
 public:
  void subCurrentTestProgress(std::string_view stage, int32_t length, int32_t position) override {
    stages.emplace_back(stage);
    lengths.push_back(length);
    positions.push_back(position);
  }
  std::vector<std::string> stages;
  std::vector<int32_t> lengths, positions;
};

TEST(FileParser, TheReportHearsOfEveryTagClosedNormally) {
  cFileData file;
  file.sData = "<?xml version='1.0'?><a><!-- c --><b/><c x=y/z></a>";
  cCountingReport report;
  cFileParser parser;
  parser.bolHasErrors = true;
  parser.bolCanContinue = false;
  EXPECT_TRUE(parser.fncParseFile(file, &report));
  EXPECT_FALSE(parser.bolHasErrors);
  EXPECT_TRUE(parser.bolCanContinue);
  // a, b and /a close in the tag-close state; the declaration, the comment and the malformed
  // c do not.
  EXPECT_EQ(report.stages, (Names{"Parser", "Parser", "Parser"}));
  EXPECT_EQ(report.lengths[0], static_cast<int32_t>(file.sData.size()));
  EXPECT_EQ(report.positions[0], 25);
}

TEST(FileParser, ElementsEnterInDocumentOrderWithTheirRuns) {
  const auto file = fncTokenize(
      "<html><head><title>T</title></head><body><h1 id='a'>One</h1>between<p>Two</p></body></html>");
  EXPECT_EQ(fncElementNames(*file),
            (Names{"html", "head", "title", "/title", "/head", "body", "h1", "/h1", "p", "/p",
                   "/body", "/html"}));
  EXPECT_EQ(fncTextRuns(*file), (Names{"T", "One", "between", "Two"}));
  EXPECT_EQ(file->pElementData(8)->lTextAfter, 3);   // "/h1" then "between"
  EXPECT_EQ(file->pElementData(9)->lTextBefore, 3);  // "p"
  int32_t last = -1;
  for (int32_t i = 1; i <= file->lNumElementData(); ++i) {
    EXPECT_GT(file->pElementData(i)->lElmStartPos, last);
    last = file->pElementData(i)->lElmStartPos;
  }
}

TEST(FileParser, EmptyTextGivesNothing) {
  const auto file = fncTokenize("");
  EXPECT_EQ(file->lNumElementData(), 0);
  EXPECT_EQ(file->lNumTextData(), 0);
}

}  // namespace
}  // namespace lyn
