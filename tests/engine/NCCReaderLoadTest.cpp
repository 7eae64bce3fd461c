#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "markup/cDTBData.h"

namespace lyn::testing {
namespace {

// A book whose points all lead to one SMIL file with one par each.
class NCCReaderLoad : public ::testing::Test {
 protected:
  void SetUp() override { h.audioFile("a.wav", 10); }

  // One SMIL file holding pars p1..pN, each a one-second clip of a.wav.
  void smil(const std::string& name, int pars) {
    std::vector<SmilPar> list;
    for (int i = 1; i <= pars; ++i)
      list.push_back({"p" + std::to_string(i), "a.wav", fncNpt(i - 1), fncNpt(i)});
    h.write(name, fncSmil(list));
  }

  cEngineHarness h;
};

TEST_F(NCCReaderLoad, AcceptsAFormatMetaThatFollowsOtherMetas) {
  smil("a.smil", 1);
  h.write("ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("Title")},
                             "<meta name=\"dc:title\" content=\"T\" />\n"
                             "<meta name=\"dc:format\" content=\"HTML\" />\n"
                             "<meta name=\"ncc:format\" content=\"Daisy 2.02\" />\n"));
  EXPECT_TRUE(h.load());
  EXPECT_EQ(h.reader->lNumberOfTocItems(), 1);
  EXPECT_EQ(h.reader->lCurrentTocItem, 1);
  EXPECT_EQ(h.reader->lErrorNumber, 0);
}

TEST_F(NCCReaderLoad, RejectsABookThatIsNotDaisyTwo) {
  smil("a.smil", 1);
  h.write("ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("Title")},
                             "<meta name=\"dc:format\" content=\"DAISY 3\" />\n"));
  EXPECT_FALSE(h.load());
  EXPECT_EQ(h.reader->lErrorNumber, 13);
  EXPECT_EQ(h.reader->sErrorMsg, "Invalid NCC file");
  EXPECT_EQ(h.reader->sErrorLocation, "Parse par");
  EXPECT_EQ(h.recorder->ownerErrors, 1);
}

TEST_F(NCCReaderLoad, FormatContentIsTrimmedAndReadWithoutRegardToCase) {
  smil("a.smil", 1);
  h.write("ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("Title")},
                             "<meta name=\" DC:Format \" content=\"  DAISY 2.0\" />\n"));
  EXPECT_TRUE(h.load());
}

TEST_F(NCCReaderLoad, AMissingNccIsErrorOneAtLoadBook) {
  EXPECT_FALSE(h.load("ncc.html"));
  EXPECT_EQ(h.reader->lErrorNumber, 1);
  EXPECT_EQ(h.reader->sErrorLocation, "Load book");
  EXPECT_EQ(h.reader->sErrorMsg, "clsSmilPlayer error");
}

TEST_F(NCCReaderLoad, FindsTheNccAndItsFilesWhateverTheCaseOnDisk) {
  smil("A.SMIL", 1);
  h.write("NCC.HTML", fncNcc({NccPoint().href("a.smil#P1").text("Title")}));
  EXPECT_TRUE(h.load("ncc.html"));
}

TEST_F(NCCReaderLoad, ClassifiesHeadingsPagesAndOtherPoints) {
  smil("a.smil", 12);
  h.write("ncc.html",
          fncNcc({NccPoint().tag("h1").cls("Title").href("a.smil#p1").text("Book"),
                  NccPoint().tag("h2").href("a.smil#p2").text("Two"),
                  NccPoint().tag("h6").cls("chapter").href("a.smil#p3").text("Six"),
                  NccPoint().tag("span").cls("page-front").href("a.smil#p4").text("i"),
                  NccPoint().tag("span").cls("PageNormal").href("a.smil#p5").text("1"),
                  NccPoint().tag("span").cls("page-special").href("a.smil#p6").text("A"),
                  NccPoint().tag("span").cls("sidebar").href("a.smil#p7").text("Box"),
                  NccPoint().tag("span").cls("optional-prodnote").href("a.smil#p8").text("PN"),
                  NccPoint().tag("span").cls("noteref").href("a.smil#p9").text("1"),
                  NccPoint().tag("div").cls("group").href("a.smil#p10").text("G"),
                  NccPoint().tag("span").cls("prodnote").href("a.smil#p11").text("dropped"),
                  NccPoint().tag("div").cls("other").href("a.smil#p11").text("dropped"),
                  NccPoint().tag("p").href("a.smil#p12").text("not a point")}));
  ASSERT_TRUE(h.load());
  cNCCReader& r = *h.reader;
  ASSERT_EQ(r.lNumberOfTocItems(), 10);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"heading1", "title"}, {"heading2", ""},          {"heading6", "chapter"},
      {"page", "pagefront"}, {"page", "pagenormal"},    {"page", "pagespecial"},
      {"sidebar", ""},       {"prodnote", ""},          {"noteref", ""},
      {"", "group"}};
  for (int i = 1; i <= 10; ++i) {
    EXPECT_EQ(r.pToc(i)->sClass, expected[i - 1].first) << i;
    EXPECT_EQ(r.pToc(i)->sSubClass, expected[i - 1].second) << i;
  }
  EXPECT_EQ(r.lChapterCount, 1);
  EXPECT_EQ(r.lHeadingCount, 2);
  EXPECT_EQ(r.lPageCount, 3);
  EXPECT_EQ(r.lErrorNumber, 0);  // dropped classes are not reported
}

TEST_F(NCCReaderLoad, KeepsTheLinkPartsOfEachPoint) {
  smil("chap.smil", 2);
  h.write("ncc.html",
          fncNcc({NccPoint().id("first").href("chap.smil#p1").text("A"),
                  NccPoint().id(" h1id ").href("CHAP.Smil#x#P2").text("B").rel(" 2 ")}));
  ASSERT_TRUE(h.load());
  const cTocItem* item = h.reader->pToc(2);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->sID, "h1id");
  EXPECT_EQ(item->sSmilFile, "chap.smil");
  EXPECT_EQ(item->sSmilID, "p2");  // after the last "#"
  EXPECT_EQ(item->sRel, "2");
  EXPECT_TRUE(item->bolNavigable);
  ASSERT_NE(item->clsElementContainer, nullptr);
  EXPECT_EQ(item->clsElementContainer->sName(), "h1");
}

TEST_F(NCCReaderLoad, CaptionLosesTheSpaceThatEndsARunBeforeAnInlineElement) {
  smil("a.smil", 1);
  h.write("ncc.html",
          fncNcc({NccPoint().href("a.smil#p1").text("What is <em>DAISY</em>\r\n  today ?")}));
  ASSERT_TRUE(h.load());
  EXPECT_EQ(h.reader->pToc(1)->sCaption, "What isDAISY today ?");
}

TEST_F(NCCReaderLoad, CaptionAndTitleHaveTheirEntitiesReplaced) {
  smil("a.smil", 1);
  h.write("ncc.html",
          fncNcc({NccPoint().href("a.smil#p1").text("&ARING;ngstr&ouml;m &amp; co&shy;"),
                  NccPoint().tag("h2").href("a.smil#p1").text(
                      "&lt;Tom&gt; &#38; &quot;Jerry&quot;&apos;s<b>&#xE5;</b>&amp;aring; &amp;lt; &nbsp;")},
                 "<meta name=\"dc:format\" content=\"Daisy 2.02\" />\n"
                 "<meta name=\"dc:title\" content=\"Caf&eacute; &amp; Bar\" />\n"));
  ASSERT_TRUE(h.load());
  EXPECT_EQ(h.reader->pToc(1)->sCaption, "Ångström & co,");
  // Markup references after the table, each decoded once; unknown names stay as written.
  EXPECT_EQ(h.reader->pToc(2)->sCaption, "<Tom> & \"Jerry\"'så&aring; &lt; &nbsp;");
  EXPECT_EQ(h.reader->clsDTBData().sTitle, "Café & Bar");
}

TEST_F(NCCReaderLoad, AVeryLongLinkTextIsCutAtTheCaptionLimit) {
  smil("a.smil", 1);
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "w<b>x</b>";
  h.write("ncc.html", fncNcc({NccPoint().href("a.smil#p1").text(text)}));
  ASSERT_TRUE(h.load());
  EXPECT_GE(h.reader->pToc(1)->sCaption.size(), cNCCReader::kMaxCaptionBytes);
  EXPECT_LT(h.reader->pToc(1)->sCaption.size(), cNCCReader::kMaxCaptionBytes + 8);
}

TEST_F(NCCReaderLoad, PointsWithoutLinkOrFileAreReportedAndDropped) {
  smil("a.smil", 2);
  h.write("ncc.html",
          "<html><head><meta name=\"dc:format\" content=\"Daisy 2.02\"/></head><body>\n"
          "<h1 id=\"a\"><a href=\"a.smil#p1\">One</a></h1>\n"
          "<h2 id=\"b\">no link</h2>\n"
          "<span class=\"page-normal\" id=\"c\"><a href=\"#p2\">2</a></span>\n"
          "<h2 id=\"d\"><a href=\"a.smil#p2\">Two</a></h2>\n"
          "</body></html>\n");
  ASSERT_TRUE(h.load());
  EXPECT_EQ(h.reader->lNumberOfTocItems(), 2);
  EXPECT_TRUE(h.recorder->fncbHasError(8, "Generate navpoints"));
  EXPECT_TRUE(h.recorder->fncbHasError(11, "Generate navpoints"));
  EXPECT_EQ(h.reader->lPageCount, 0);  // the dropped page is not counted
  EXPECT_EQ(h.reader->pToc(2)->sCaption, "Two");
}

TEST_F(NCCReaderLoad, RegistersEachSmilFileWhenItDiffersFromThePreviousPoints) {
  smil("a.smil", 2);
  smil("b.smil", 1);
  h.write("ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("1"),
                              NccPoint().href("a.smil#p2").text("2"),
                              NccPoint().href("b.smil#p1").text("3"),
                              NccPoint().href("a.smil#p2").text("4")}));
  ASSERT_TRUE(h.load());
  cSmilPlayer& player = h.reader->clsSmilPlayer();
  ASSERT_EQ(player.lParListCount(), 3);  // a, b, a again: placeholders, not yet expanded
  EXPECT_EQ(player.fncGetParSmilFile(1), "a.smil");
  EXPECT_EQ(player.fncGetParSmilFile(2), "b.smil");
  EXPECT_EQ(player.fncGetParSmilFile(3), "a.smil");
  EXPECT_EQ(player.fncRetrieveParItem(1)->clsPar, nullptr);
  EXPECT_EQ(player.lCurrentParListItem, 0);  // the load check moved a copy only
  // The file set still holds a.smil once.
  int held = 0;
  for (int32_t i = 1; i <= h.reader->clsDTBData().lNumFiles(); ++i)
    held += h.reader->clsDTBData().fncGetFileData({.lNumber = i})->sFileName == "a.smil";
  EXPECT_EQ(held, 1);
}

TEST_F(NCCReaderLoad, PointOutsideTheListIsErrorThree) {
  smil("a.smil", 1);
  h.write("ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("1")}));
  ASSERT_TRUE(h.load());
  EXPECT_EQ(h.reader->pToc(0), nullptr);
  EXPECT_EQ(h.reader->lErrorNumber, 3);
  EXPECT_EQ(h.reader->sErrorLocation, "Get TOC");
  EXPECT_EQ(h.reader->pToc(2), nullptr);
  EXPECT_NE(h.reader->pToc(1), nullptr);
}

TEST_F(NCCReaderLoad, FailsQuietlyWhenTheFirstPointLeadsToNoPlayableAudio) {
  h.write("ncc.html", fncNcc({NccPoint().href("missing.smil#p1").text("1")}));
  EXPECT_FALSE(h.load());
  EXPECT_EQ(h.reader->lErrorNumber, 0);
  EXPECT_EQ(h.reader->lNumberOfTocItems(), 1);

  cEngineHarness other;
  other.write("a.smil", fncSmil({{"p1", "nothing.wav", "npt=0s", "npt=1s"}}));
  other.write("ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("1")}));
  EXPECT_FALSE(other.load());

  cEngineHarness notAudio;
  notAudio.write("x.wav", "this is text, not sound");
  notAudio.write("a.smil", fncSmil({{"p1", "x.wav", "npt=0s", "npt=1s"}}));
  notAudio.write("ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("1")}));
  EXPECT_FALSE(notAudio.load());
}

TEST_F(NCCReaderLoad, AnNccWithoutBodyOrLinksHasNoPoints) {
  h.write("ncc.html", "<html><head><meta name=\"dc:format\" content=\"Daisy 2.02\"/></head></html>");
  EXPECT_FALSE(h.load());
  EXPECT_EQ(h.reader->lNumberOfTocItems(), 0);
  EXPECT_EQ(h.reader->pToc(1), nullptr);

  cEngineHarness noLinks;
  noLinks.write("ncc.html",
                "<html><head><meta name=\"dc:format\" content=\"Daisy 2.02\"/></head>"
                "<body><h1>one</h1><h2>two</h2></body></html>");
  EXPECT_FALSE(noLinks.load());
  EXPECT_TRUE(noLinks.recorder->fncbHasError(8, "Generate navpoints"));
  EXPECT_FALSE(noLinks.reader->fncNavigate(1, 1, {"heading1"}));
  EXPECT_FALSE(noLinks.reader->fncPlayCurrent());
}

TEST_F(NCCReaderLoad, ALinkToTheNccItselfLeadsNowhereAndLeavesThePointsIntact) {
  smil("a.smil", 1);
  h.write("ncc.html",
          "<html><head><meta name=\"dc:format\" content=\"Daisy 2.02\"/></head><body>\n"
          "<h1 id=\"a\"><a href=\"a.smil#p1\">One</a></h1>\n"
          "<h2 id=\"b\"><a href=\"NCC.HTML#a\">Self</a></h2>\n"
          "<seq><span>no pars here</span></seq>\n"
          "</body></html>\n");
  ASSERT_TRUE(h.load());
  EXPECT_FALSE(h.reader->fncbPlayTocItem(2));
  EXPECT_TRUE(h.recorder->fncbHasError(1, "Smilplayer error"));
  EXPECT_TRUE(h.recorder->fncbHasError(10, "Delete unused navpoints"));
  EXPECT_FALSE(h.reader->pToc(2)->bolNavigable);
  EXPECT_EQ(h.reader->pToc(1)->clsElementContainer->sName(), "h1");
  EXPECT_TRUE(h.reader->fncbPlayTocItem(1));
}

TEST_F(NCCReaderLoad, ALargeNccLoadsAllItsPoints) {
  smil("a.smil", 1);
  std::vector<NccPoint> points;
  for (int i = 0; i < 100000; ++i)
    points.push_back(NccPoint()
                         .tag(i % 2 ? "h2" : "span")
                         .cls(i % 2 ? "" : "page-normal")
                         .href(i % 3 ? "a.smil#p1" : "b.smil#p1")
                         .text(std::to_string(i)));
  points.front().href("a.smil#p1");
  h.write("ncc.html", fncNcc(points));
  ASSERT_TRUE(h.load());
  EXPECT_EQ(h.reader->lNumberOfTocItems(), 100000);
  EXPECT_EQ(h.reader->lPageCount, 50000);
  EXPECT_TRUE(h.reader->fncNavigate(1, 1, {"heading2"}));
  // A point in the missing file fails with the error of the table and leaves the reader usable.
  EXPECT_FALSE(h.reader->fncbPlayTocItem(4));
  EXPECT_TRUE(h.recorder->fncbHasError(1, "Play tocitem"));
  EXPECT_TRUE(h.reader->fncbPlayTocItem(3));
}

}  // namespace
}  // namespace lyn::testing
