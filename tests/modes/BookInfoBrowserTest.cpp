// The book information page: its items from the open book, the pieces of the book's own audio,
// the two files, and moving through it.

#include <gtest/gtest.h>

#include <regex>

#include "PagesTestRig.h"
#include "modes/cBookInfoBrowser.h"

namespace lyn::testing {
namespace {

namespace fs = std::filesystem;

class BookInfoTest : public ::testing::Test {
 protected:
  BookInfoTest() { rig.app.currentModeNumber = eModeNumber::Information; }

  // Points: 1 the title, 2 page 1, 3 chapter, 4 section, 5 page 2; a clip of 2 s each.
  void openBook(const std::string& head, int32_t position, const std::string& title = "The Book") {
    const fs::path folder = rig.drivesRoot / "book";
    std::vector<NccPoint> points = {
        NccPoint().href("a.smil#p1").text(title),
        NccPoint().tag("span").cls("page-normal").href("a.smil#p2").text("1"),
        NccPoint().href("a.smil#p3").text("Chapter One"),
        NccPoint().tag("h2").href("a.smil#p4").text("Section"),
        NccPoint().tag("span").cls("page-normal").href("a.smil#p5").text("2")};
    fncWriteText(folder / "ncc.html",
                 fncNcc(points, "<meta name=\"dc:format\" content=\"Daisy 2.02\" />\n" + head));
    std::vector<SmilPar> pars;
    for (int n = 1; n <= 5; ++n)
      pars.emplace_back("p" + std::to_string(n), "a.wav", fncNpt((n - 1) * 2.0), fncNpt(n * 2.0));
    fncWriteText(folder / "a.smil", fncSmil(pars));
    fncWriteToneWav(folder / "a.wav", 10, 4000);
    ASSERT_TRUE(rig.reading.fncLoadBook(folder.string() + "/", ""));
    rig.reading.clsNccReader()->lCurrentTocItem = position;
  }

  // The prompt keys and book clips (as "book <begin>-<end>") of one item of info.smil.
  std::vector<std::string> spoken(const std::string& id) const {
    const std::string smil = rig.readData("info.smil");
    const size_t from = smil.find("<par endsync=\"last\" id=\"" + id + "\">");
    if (from == std::string::npos) return {"(no item)"};
    const std::string par = smil.substr(from, smil.find("</par>", from) - from);
    std::vector<std::string> out;
    const std::regex audio("src=\"([^\"]*)\" clip-begin=\"npt=([0-9.]+)\" clip-end=\"npt=([0-9.]+)\"/>");
    for (auto it = std::sregex_iterator(par.begin(), par.end(), audio); it != std::sregex_iterator(); ++it) {
      if ((*it)[1].str().ends_with("prompts.wav")) out.push_back(rig.keyAt(std::stod((*it)[2].str())));
      else out.push_back("book " + (*it)[2].str() + "-" + (*it)[3].str());
    }
    return out;
  }

  cPagesTestRig rig;
};

TEST_F(BookInfoTest, TheItemsDescribeTheBookAndThePosition) {
  openBook("<meta name=\"dc:title\" content=\"The Book\" />\n<meta name=\"ncc:setInfo\" content=\"2 of 3\" />\n"
           "<meta name=\"ncc:totalTime\" content=\"1:01:30.5\" />\n",
           5);
  rig.reading.lNumberOfBookmarks = 4;
  cBookInfoBrowser info(rig.services, rig.reading);
  rig.speed.subSetSpeed(8);
  info.subShowInfo();
  EXPECT_EQ(rig.speed.Speed(), 5);

  const std::string html = rig.readData("info.html");
  const auto line = [](const std::string& tag, const std::string& id, const std::string& cls,
                       const std::string& text) {
    return "    <" + tag + " id=\"" + id + "\" class=\"" + cls + "\"><a href=\"info.smil#" + id + "\">" +
           text + "</a></" + tag + ">\r\n";
  };
  const std::string body =
      line("h2", "Intro", "infoIntro", "Book information") + line("h1", "title", "infoTitle", "The Book") +
      line("h2", "currdisc", "infoCurrDisc", "Current disc 2") +
      line("h2", "currentchapter", "infoCurrChapter", "Current chapter Chapter One") +
      line("h2", "currentheading", "infoCurrHeading", "Current heading Section") +
      line("h2", "currentpage", "infoCurrPage", "Current page 2") + "<hr>\r\n" +
      line("h2", "nodiscs", "infoNumDiscs", "Number of discs 3") +
      line("h2", "nochapters", "infoNumChapters", "Number of chapters 2") +
      line("h2", "nopages", "infoNumPages", "Number of pages 2") +
      line("h2", "nobookmarks", "infoNumBookmarks", "Number of bookmarks 4") +
      line("h2", "totaltime", "infoTotaltime", "Playing time 1:1:30") + "<hr>\r\n" +
      line("h2", "version", "infoVersion", "Version 1.1");
  EXPECT_NE(html.find("<body>\r\n" + body + "  </body>"), std::string::npos) << html;
  EXPECT_NE(html.find("charset=UTF-8"), std::string::npos);
  EXPECT_NE(rig.readData("info.smil").find("        <text src=\"info.html#title\">\r\n        <seq>"),
            std::string::npos);

  EXPECT_EQ(spoken("Intro"), std::vector<std::string>{"inf_bookinfo"});
  EXPECT_EQ(spoken("title"), std::vector<std::string>{"book 0-2"});
  EXPECT_EQ(spoken("currdisc"), (std::vector<std::string>{"inf_currdisc", "uc_50"}));
  EXPECT_EQ(spoken("currentchapter"), (std::vector<std::string>{"inf_currchapter", "book 4-6"}));
  EXPECT_EQ(spoken("currentpage"), (std::vector<std::string>{"inf_currpage", "book 8-10"}));
  EXPECT_EQ(spoken("totaltime"),
            (std::vector<std::string>{"inf_playbacktime", "uc_49", "inf_hour", "uc_49", "inf_minute"}));
  EXPECT_EQ(spoken("version"), (std::vector<std::string>{"about_version", "uc_49", "uc_46", "uc_49"}));

  // Played and moved through like a book; the caption names the page and the book.
  ASSERT_NE(info.clsNccReader(), nullptr);
  EXPECT_EQ(info.clsNccReader()->lNumberOfTocItems(), 12);
  EXPECT_EQ(info.fncClassCaption(), "Book information The Book");
  info.subBrowseUnit(1, 1);
  EXPECT_EQ(info.clsNccReader()->lCurrentTocItem, 2);
  info.subBrowseUnit(-1, 1);
  info.subBrowseUnit(-1, 1);  // before the first: the indicator, and play goes on
  EXPECT_EQ(info.clsNccReader()->lCurrentTocItem, 1);
  const auto keys = rig.queuedKeys();
  EXPECT_NE(std::find(keys.begin(), keys.end(), "sfx_indicator3"), keys.end());

  rig.posted.clear();
  info.subEscape();
  info.subPrepareForModeChange();
  rig.pump(nullptr);
  EXPECT_EQ(rig.count("READ"), 1u);
  EXPECT_EQ(rig.speed.Speed(), 8);
}

TEST_F(BookInfoTest, ItemsWithoutASourceAreLeftOut) {
  // A page before the first chapter, no set information, a total time without ":".
  const fs::path folder = rig.drivesRoot / "front";
  fncWriteText(folder / "ncc.html",
               fncNcc({NccPoint().tag("span").cls("page-front").href("a.smil#p1").text("i"),
                       NccPoint().href("a.smil#p2").text("Chapter")},
                      "<meta name=\"dc:format\" content=\"Daisy 2.02\" />\n"
                      "<meta name=\"dc:totaltime\" content=\"5400\" />\n"));
  fncWriteText(folder / "a.smil", fncSmil({{"p1", "a.wav", "npt=0s", "npt=1s"}, {"p2", "a.wav", "npt=1s", "npt=2s"}}));
  fncWriteToneWav(folder / "a.wav", 3, 4000);
  ASSERT_TRUE(rig.reading.fncLoadBook(folder.string() + "/", ""));
  rig.reading.clsNccReader()->lCurrentTocItem = 1;
  cBookInfoBrowser info(rig.services, rig.reading);
  info.subShowInfo();
  const std::string html = rig.readData("info.html");
  for (const char* id : {"currdisc", "nodiscs", "currentchapter", "currentheading", "totaltime"})
    EXPECT_EQ(html.find(std::string("id=\"") + id + "\""), std::string::npos) << id;
  EXPECT_NE(html.find("id=\"currentpage\""), std::string::npos);
}

TEST_F(BookInfoTest, MarkupInTheTitleStaysText) {
  openBook("", 1, "Tom &amp; &lt;Jerry&gt;");
  cBookInfoBrowser info(rig.services, rig.reading);
  info.subShowInfo();
  const std::string html = rig.readData("info.html");
  EXPECT_NE(html.find(">Tom &amp; &lt;Jerry&gt;</a></h1>"), std::string::npos);
  EXPECT_EQ(info.fncClassCaption(), "Book information Tom & <Jerry>");
}

TEST_F(BookInfoTest, ShortTitleClipsAreJoinedAndALongOneIsCut) {
  const fs::path folder = rig.drivesRoot / "clips";
  fncWriteText(folder / "ncc.html",
               fncNcc({NccPoint().href("a.smil#t1").text("Title"), NccPoint().href("a.smil#c1").text("Long")}));
  fncWriteText(folder / "a.smil",
               fncSmil({{"t1", "a.wav", "npt=0.0s", "npt=0.3s"}, {"t2", "a.wav", "npt=0.3s", "npt=0.6s"},
                        {"t3", "a.wav", "npt=0.6s", "npt=0.9s"}, {"t4", "a.wav", "npt=0.9s", "npt=1.2s"},
                        {"c1", "a.wav", "npt=2s", "npt=42s"}}));
  fncWriteToneWav(folder / "a.wav", 45, 4000);
  ASSERT_TRUE(rig.reading.fncLoadBook(folder.string() + "/", ""));
  rig.reading.clsNccReader()->lCurrentTocItem = 2;
  cBookInfoBrowser info(rig.services, rig.reading);
  info.subShowInfo();
  EXPECT_EQ(spoken("title"), std::vector<std::string>{"book 0-1.2"});
  EXPECT_EQ(spoken("currentchapter"), (std::vector<std::string>{"inf_currchapter", "book 2-17"}));
}

TEST_F(BookInfoTest, CommandsWithoutMeaningSoundTheIndicator) {
  openBook("", 1);
  cBookInfoBrowser info(rig.services, rig.reading);
  info.subShowInfo();
  rig.prompts.subclearQue();
  EXPECT_FALSE(info.fncUndo());
  EXPECT_EQ(rig.queuedKeys(), std::vector<std::string>{"sfx_indicator3"});
  for (auto command : {&cBookInfoBrowser::subInsert, &cBookInfoBrowser::subDelete}) {
    rig.prompts.subclearQue();
    (info.*command)();
    EXPECT_EQ(rig.queuedKeys(), std::vector<std::string>{"sfx_indicator3"});
  }
}

TEST_F(BookInfoTest, TheBooksDriveGoingReturnsToReading) {
  const std::string drive = rig.addDrive("D");
  (void)drive;
  openBook("", 1);
  rig.disk.fncScanDrives(true, false);
  cBookInfoBrowser info(rig.services, rig.reading);
  info.subShowInfo();
  rig.posted.clear();
  info.subDrivesChanged();  // the book's drive (the test's root) is no drive of the scan
  rig.pump(nullptr);
  EXPECT_EQ(rig.reading.drivesChanged, 1);
  EXPECT_EQ(rig.count("READ"), 1u);
}

}  // namespace
}  // namespace lyn::testing
