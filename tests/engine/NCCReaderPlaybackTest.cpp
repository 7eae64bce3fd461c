#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "markup/cDTBData.h"
#include "platform/drives/iDrives.h"
#include "shell/cApplicationState.h"

namespace lyn::testing {
namespace {

// Every path lies on one drive mounted at `sMountPoint`.
class cOneDrive final : public iDrives {
 public:
  explicit cOneDrive(std::string mountPoint) : sMountPoint(std::move(mountPoint)) {}
  bool fncbUpdate() override { return false; }
  const std::vector<cDrive>& fncDrives() const override { return mDrives; }
  std::string fncDriveOfPath(std::string_view path) const override {
    asked.emplace_back(path);
    return sMountPoint;
  }
  std::optional<uint64_t> fncFreeSpace(const std::string&) const override { return std::nullopt; }

  std::string sMountPoint;
  mutable std::vector<std::string> asked;

 private:
  std::vector<cDrive> mDrives;
};

// a.smil: p1 0-1 s, p2 1-2 s, p3 3-4 s of a.wav; b.smil: q1 0-1 s, q2 1-2 s of b.wav.
// Points: 1 heading1 p1, 2 page p2, 3 heading2 p3, 4 heading2 q1, 5 page q2.
class NCCReaderPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    h.audioFile("a.wav", 10);
    h.audioFile("b.wav", 10);
    h.write("a.smil", fncSmil({{"p1", "a.wav", "npt=0.000s", "npt=1.000s"},
                               {"p2", "a.wav", "npt=1.000s", "npt=2.000s"},
                               {"p3", "a.wav", "npt=3.000s", "npt=4.000s"}}));
    h.write("b.smil", fncSmil({{"q1", "b.wav", "npt=0s", "npt=1s"},
                               {"q2", "b.wav", "npt=1s", "npt=2s"}}));
  }
  void standardNcc() {
    h.write("ncc.html", fncNcc({NccPoint().tag("h1").href("a.smil#p1").text("One"),
                                NccPoint().tag("span").cls("page-normal").href("a.smil#p2").text("1"),
                                NccPoint().tag("h2").href("a.smil#p3").text("Three"),
                                NccPoint().tag("h2").href("b.smil#q1").text("Four"),
                                NccPoint().tag("span").cls("page-normal").href("b.smil#q2").text("2")}));
    ASSERT_TRUE(h.load());
  }
  std::string currentMediaId() {
    cElementData* media = h.reader->clsSmilPlayer().fncRetrieveCurrentMedia();
    return media ? std::string(media->fncAttrContentWOQ("id")) : "(nothing)";
  }
  // The points made current, each change once.
  std::vector<int32_t> tocChanges() {
    std::vector<int32_t> changes;
    for (int32_t n : h.recorder->toc)
      if (changes.empty() || changes.back() != n) changes.push_back(n);
    return changes;
  }

  cEngineHarness h;
};

TEST_F(NCCReaderPlayback, PlayingAPointArmsItsFirstClipAndPostsStart) {
  standardNcc();
  ASSERT_TRUE(h.reader->fncbPlayTocItem(3));
  EXPECT_EQ(h.reader->lCurrentTocItem, 3);
  EXPECT_EQ(currentMediaId(), "ap3");
  EXPECT_DOUBLE_EQ(h.reader->lOCS, 3.0);
  EXPECT_DOUBLE_EQ(h.reader->lOCE, 4.0);
  EXPECT_TRUE(h.player.mbMarkSet);
  EXPECT_DOUBLE_EQ(h.player.mdMarkPosition, 4.0);
  EXPECT_EQ(h.audio->opened.size(), 1u);
  EXPECT_EQ(h.audio->seeks, (std::vector<int32_t>{3000}));
  EXPECT_EQ(h.pump(), 1);
  EXPECT_EQ(h.player.mlCurrentAudioState, 1);
}

TEST_F(NCCReaderPlayback, ConsecutiveClipsOfOneFilePlayWithoutASeek) {
  standardNcc();
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  ASSERT_TRUE(h.runToEnd());
  // p2 follows p1 and q2 follows q1 without a seek; p3 begins later and b.wav is new.
  EXPECT_EQ(h.audio->seeks, (std::vector<int32_t>{0, 3000, 0}));
  EXPECT_EQ(h.audio->heard, 5000);
  EXPECT_EQ(h.audio->opened.size(), 2u);
}

TEST_F(NCCReaderPlayback, ContinuousPlayFollowsThePointsToTheEndOfTheBook) {
  standardNcc();
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  ASSERT_TRUE(h.runToEnd());
  EXPECT_EQ(tocChanges(), (std::vector<int32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(h.reader->lCurrentTocItem, 5);
  EXPECT_EQ(h.recorder->automatic, 4);
  EXPECT_EQ(h.recorder->ownerAutomatic, 4);
  EXPECT_EQ(h.recorder->eos, 4);
  EXPECT_GE(h.recorder->newPars, 4);
  EXPECT_EQ(h.recorder->ownerNewPars, h.recorder->newPars);
  // The end of the book: the SMIL player's "last par" (the player paused), then the end of stream.
  EXPECT_EQ(h.recorder->lines, (std::vector<std::string>{"error 1 Smilplayer error",
                                                         "error 1 End of stream"}));
  EXPECT_EQ(h.reader->clsSmilPlayer().lErrorNumber, 4);
  EXPECT_EQ(h.player.mlCurrentAudioState, 2);
  // Media events carry the text and audio elements, not the pars.
  EXPECT_NE(std::find(h.recorder->media.begin(), h.recorder->media.end(), "text:tq2"),
            h.recorder->media.end());
  EXPECT_EQ(std::count_if(h.recorder->media.begin(), h.recorder->media.end(),
                          [](const std::string& m) { return m.rfind("par:", 0) == 0; }),
            0);
}

TEST_F(NCCReaderPlayback, WithoutContinuousPlayAClipEndPausesAndSaysSo) {
  standardNcc();
  h.reader->bolContinous = false;
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  h.run(1500);
  EXPECT_EQ(h.player.mlCurrentAudioState, 2);
  EXPECT_EQ(h.audio->heard, 1000);
  EXPECT_EQ(h.recorder->automatic, 1);
  EXPECT_EQ(h.recorder->eos, 1);
  EXPECT_EQ(currentMediaId(), "ap1");
}

TEST_F(NCCReaderPlayback, NavigatesByClassesOfPoints) {
  standardNcc();
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  ASSERT_TRUE(h.reader->fncNavigate(1, 2, {"page"}));
  EXPECT_EQ(h.reader->lCurrentTocItem, 5);
  EXPECT_EQ(currentMediaId(), "aq2");
  ASSERT_TRUE(h.reader->fncNavigate(-1, 1, {"heading1", "HEADING2"}));
  EXPECT_EQ(h.reader->lCurrentTocItem, 4);
  EXPECT_EQ(h.reader->aLastUnits, (std::vector<std::string>{"heading1", "HEADING2"}));
  ASSERT_TRUE(h.reader->fncNavigate(-1, 2, {"heading1", "heading2"}));
  EXPECT_EQ(h.reader->lCurrentTocItem, 1);
  EXPECT_EQ(currentMediaId(), "ap1");
}

TEST_F(NCCReaderPlayback, NextHeadingFromTheLastHeadingIsErrorThreeAndKeepsThePoint) {
  standardNcc();
  ASSERT_TRUE(h.reader->fncbPlayTocItem(4));
  EXPECT_FALSE(h.reader->fncNavigate(1, 1, {"heading2"}));
  EXPECT_EQ(h.reader->lErrorNumber, 3);
  EXPECT_EQ(h.reader->sErrorLocation, "Navigate");
  EXPECT_EQ(h.reader->lCurrentTocItem, 4);
  EXPECT_EQ(currentMediaId(), "aq1");
}

TEST_F(NCCReaderPlayback, PhraseStepsMoveClipByClip) {
  standardNcc();
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  ASSERT_TRUE(h.reader->fncNavigate(1, 2, {"AUDIO"}));
  EXPECT_EQ(currentMediaId(), "ap3");
  EXPECT_EQ(h.reader->lCurrentTocItem, 3);
  ASSERT_TRUE(h.reader->fncNavigate(1, 1, {"audio"}));
  EXPECT_EQ(currentMediaId(), "aq1");
  EXPECT_EQ(h.reader->lCurrentTocItem, 4);
  ASSERT_TRUE(h.reader->fncNavigate(-1, 3, {"audio"}));
  EXPECT_EQ(currentMediaId(), "ap1");
  EXPECT_EQ(h.reader->lCurrentTocItem, 1);
}

TEST_F(NCCReaderPlayback, PreviousPhraseAtTheFirstLeavesTheFirstCurrentAndReportsTheBeginning) {
  standardNcc();
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  h.run(500);
  EXPECT_FALSE(h.reader->fncNavigate(-1, 1, {"audio"}));
  EXPECT_EQ(h.reader->lErrorNumber, 15);
  EXPECT_EQ(h.reader->sErrorMsg, "Beginning of book");
  EXPECT_EQ(currentMediaId(), "ap1");
  EXPECT_EQ(h.player.mlCurrentAudioState, 2);  // paused...
  EXPECT_EQ(h.pump(), 1);                      // ...with "START" posted by the forward step
  EXPECT_DOUBLE_EQ(h.reader->lOCS, 0.0);
}

TEST_F(NCCReaderPlayback, NextPhraseAtTheLastIsTheEndOfTheBook) {
  standardNcc();
  ASSERT_TRUE(h.reader->fncbPlayTocItem(5));
  EXPECT_FALSE(h.reader->fncNavigate(1, 1, {"audio"}));
  EXPECT_TRUE(h.recorder->fncbHasError(1, "Smilplayer error"));
  EXPECT_EQ(h.reader->lErrorNumber, 16);
  EXPECT_EQ(h.reader->sErrorLocation, "Navigate");
}

TEST_F(NCCReaderPlayback, APointOnAnotherVolumeStopsPlaybackAtItsFirstClipsEnd) {
  h.write("ncc.html",
          fncNcc({NccPoint().href("a.smil#p1").text("One"),
                  NccPoint().tag("h2").href("a.smil#p2").text("Two").rel("2"),
                  NccPoint().tag("h2").href("a.smil#p3").text("Three")},
                 "<meta name=\"dc:format\" content=\"Daisy 2.02\" />\n"
                 "<meta name=\"ncc:setInfo\" content=\"1 of 2\" />\n"));
  ASSERT_TRUE(h.load());
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  h.run(3000);
  EXPECT_EQ(h.reader->lCurrentTocItem, 2);
  EXPECT_EQ(h.audio->heard, 2000);
  EXPECT_EQ(h.player.mlCurrentAudioState, 2);
  EXPECT_EQ(currentMediaId(), "ap2");
  EXPECT_EQ(h.recorder->automatic, 1);  // only the move from p1 to p2
}

TEST_F(NCCReaderPlayback, APointOnThisVolumePlaysOn) {
  h.write("ncc.html",
          fncNcc({NccPoint().href("a.smil#p1").text("One"),
                  NccPoint().tag("h2").href("a.smil#p2").text("Two").rel("1"),
                  NccPoint().tag("h2").href("a.smil#p3").text("Three").rel("bookmark")}));
  ASSERT_TRUE(h.load());
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  ASSERT_TRUE(h.runToEnd());
  EXPECT_EQ(h.audio->heard, 3000);
}

TEST_F(NCCReaderPlayback, AMissingAudioFileIsReportedAndTheReaderStaysUsable) {
  h.write("c.smil", fncSmil({{"r1", "gone.wav", "npt=0s", "npt=1s"}}));
  h.write("ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("One"),
                              NccPoint().tag("h2").href("c.smil#r1").text("Gone")}));
  ASSERT_TRUE(h.load());
  EXPECT_FALSE(h.reader->fncbPlayTocItem(2));
  EXPECT_TRUE(h.recorder->fncbHasError(9, "ctlDXM_evError"));
  EXPECT_EQ(h.reader->lErrorNumber, 7);
  EXPECT_EQ(h.reader->sErrorLocation, "Play current");
  EXPECT_TRUE(h.reader->fncbPlayTocItem(1));
  EXPECT_EQ(h.pump(), 1);
}

TEST_F(NCCReaderPlayback, WithoutAPlaybackObjectPlayingIsErrorSeven) {
  standardNcc();
  h.reader->ctlDXM(nullptr);
  EXPECT_FALSE(h.reader->fncbPlayTocItem(1));
  EXPECT_EQ(h.reader->lErrorNumber, 7);
  EXPECT_EQ(h.reader->sErrorMsg, "DXM object not initialized");
}

TEST_F(NCCReaderPlayback, ClipTimesOutsideTheFileAreReportedAndKeptInside) {
  h.write("c.smil", fncSmil({{"r1", "a.wav", "npt=9s", "npt=25s"},
                             {"r2", "a.wav", "npt=5s", "npt=4s"},
                             {"r3", "a.wav", "npt=30s", "npt=31s"}}));
  h.write("ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("One"),
                              NccPoint().tag("h2").href("c.smil#r1").text("Long"),
                              NccPoint().tag("h2").href("c.smil#r2").text("Backwards"),
                              NccPoint().tag("h2").href("c.smil#r3").text("Beyond")}));
  ASSERT_TRUE(h.load());
  ASSERT_TRUE(h.reader->fncbPlayTocItem(2));
  EXPECT_TRUE(h.recorder->fncbHasError(2, "ctlDXM_evError"));  // the refused mark
  EXPECT_TRUE(h.recorder->fncbHasError(2, "Play Current"));
  EXPECT_DOUBLE_EQ(h.player.mdMarkPosition, 10.0);
  ASSERT_TRUE(h.reader->fncbPlayTocItem(3));
  EXPECT_TRUE(h.recorder->fncbHasError(12, "Play current"));
  EXPECT_DOUBLE_EQ(h.reader->lOCE, 5.0);
  ASSERT_TRUE(h.reader->fncbPlayTocItem(4));
  EXPECT_DOUBLE_EQ(h.reader->lOCS, 10.0);
  EXPECT_FALSE(h.recorder->fncbHasError(14, "ctlDXM_evError"));  // no seek past the end
  ASSERT_TRUE(h.runToEnd());
}

TEST_F(NCCReaderPlayback, AClipWithoutTimesPlaysTheWholeFile) {
  h.audioFile("whole.wav", 2.5);
  h.write("c.smil", fncSmil({{"r1", "whole.wav"}, {"r2", "whole.wav"}}));
  h.write("ncc.html", fncNcc({NccPoint().href("c.smil#r1").text("Whole")}));
  ASSERT_TRUE(h.load());
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  EXPECT_FALSE(h.player.mbMarkSet);
  EXPECT_DOUBLE_EQ(h.reader->lOCS, 0.0);
  EXPECT_DOUBLE_EQ(h.reader->lOCE, 2.5);
  ASSERT_TRUE(h.runToEnd());
  EXPECT_EQ(h.audio->heard, 5000);
  EXPECT_EQ(h.audio->seeks, (std::vector<int32_t>{0, 0}));
}

TEST_F(NCCReaderPlayback, StopAtArmsAStopPointInsteadOfAMark) {
  standardNcc();
  h.reader->bolStopAt = true;
  ASSERT_TRUE(h.reader->fncbPlayTocItem(3));
  EXPECT_FALSE(h.player.mbMarkSet);
  EXPECT_EQ(h.audio->stop, 4000);
}

TEST_F(NCCReaderPlayback, AMissingSmilFilePassesOverItsPointsAndPlaysOn) {
  h.write("ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("One"),
                              NccPoint().tag("h2").href("missing.smil#m1").text("Missing"),
                              NccPoint().tag("h2").href("b.smil#q1").text("Four")}));
  ASSERT_TRUE(h.load());
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  ASSERT_TRUE(h.runToEnd());
  EXPECT_TRUE(h.recorder->fncbHasError(10, "Delete unused navpoints"));
  EXPECT_EQ(h.recorder->details, (std::vector<std::string>{
                                     h.reader->clsDTBData().sWorkPath +
                                     "missing.smil: No such file or directory"}));
  EXPECT_FALSE(h.reader->pToc(2)->bolNavigable);
  EXPECT_TRUE(h.reader->pToc(3)->bolNavigable);
  EXPECT_EQ(h.audio->heard, 5000);
  EXPECT_EQ(tocChanges(), (std::vector<int32_t>{1, 3}));
  // Navigation passes the dead point by.
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  ASSERT_TRUE(h.reader->fncNavigate(1, 1, {"heading2"}));
  EXPECT_EQ(h.reader->lCurrentTocItem, 3);
}

TEST_F(NCCReaderPlayback, APointWhoseIdDoesNotExistIsPassedOver) {
  h.write("ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("One"),
                              NccPoint().tag("h2").href("a.smil#nowhere").text("Nowhere"),
                              NccPoint().tag("h2").href("a.smil#p3").text("Three")}));
  ASSERT_TRUE(h.load());
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  ASSERT_TRUE(h.reader->fncNavigate(1, 1, {"heading2"}));
  EXPECT_EQ(h.reader->lCurrentTocItem, 3);
  EXPECT_TRUE(h.recorder->fncbHasError(1, "Navigate"));
  EXPECT_FALSE(h.reader->pToc(2)->bolNavigable);
  EXPECT_FALSE(h.reader->fncbPlayTocItem(2));
  EXPECT_EQ(h.reader->sErrorLocation, "Play tocitem");
}

TEST_F(NCCReaderPlayback, ThePhraseReportCountsTheClipsOfTheCurrentPoint) {
  h.write("ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("One"),
                              NccPoint().tag("span").cls("page-normal").href("a.smil#p3").text("1"),
                              NccPoint().tag("h2").href("b.smil#q1").text("Two")}));
  ASSERT_TRUE(h.load());
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  ASSERT_TRUE(h.reader->fncNavigate(1, 1, {"audio"}));
  int32_t current = 0, total = 0;
  h.reader->subCalculatePosition("phrase", current, total);
  EXPECT_EQ(current, 2);
  EXPECT_EQ(total, 2);
  h.reader->subCalculatePosition("event", current, total);
  EXPECT_EQ(current, 4);
  EXPECT_EQ(total, 4);
  // In the page point, "event" starts at the heading before it and runs to the next point.
  ASSERT_TRUE(h.reader->fncNavigate(1, 1, {"audio"}));
  EXPECT_EQ(h.reader->lCurrentTocItem, 2);
  h.reader->subCalculatePosition("phrase", current, total);
  EXPECT_EQ(current, 1);
  EXPECT_EQ(total, 1);
  h.reader->subCalculatePosition("event", current, total);
  EXPECT_EQ(current, 6);
  EXPECT_EQ(total, 6);
  // The last point runs to the end of the book.
  ASSERT_TRUE(h.reader->fncbPlayTocItem(3));
  h.reader->subCalculatePosition("phrase", current, total);
  EXPECT_EQ(current, 1);
  EXPECT_EQ(total, 2);
}

TEST_F(NCCReaderPlayback, CountingThePositionFindsThePointThatHoldsTheCurrentClip) {
  standardNcc();
  ASSERT_TRUE(h.reader->fncbPlayTocItem(4));
  ASSERT_TRUE(h.reader->fncNavigate(1, 1, {"audio"}));
  h.reader->lCurrentTocItem = 1;
  h.reader->subCountTocPosition();
  EXPECT_EQ(h.reader->lCurrentTocItem, 5);
  ASSERT_TRUE(h.reader->clsSmilPlayer().fncGotoElementContainerByFileAndID("a.smil", "ap3"));
  h.reader->subCountTocPosition();
  EXPECT_EQ(h.reader->lCurrentTocItem, 3);
  // A point with a volume reference is never made current this way.
  h.reader->pToc(3)->sRel = "2";
  h.reader->lCurrentTocItem = 1;
  h.reader->subCountTocPosition();
  EXPECT_EQ(h.reader->lCurrentTocItem, 1);
}

TEST_F(NCCReaderPlayback, GoingToAStoredPositionPlaysItsPhrase) {
  standardNcc();
  ASSERT_TRUE(h.reader->fncGotoPosition("a.smil", "p1", 3));
  EXPECT_EQ(currentMediaId(), "ap3");
  EXPECT_EQ(h.reader->lCurrentTocItem, 3);
  EXPECT_DOUBLE_EQ(h.reader->lOCS, 3.0);
  EXPECT_EQ(h.pump(), 1);
  ASSERT_TRUE(h.reader->fncGotoPosition("B.SMIL", "Q1"));
  EXPECT_EQ(currentMediaId(), "aq1");
  EXPECT_EQ(h.reader->lCurrentTocItem, 4);
  EXPECT_FALSE(h.reader->fncGotoPosition("b.smil", "zz"));
  ASSERT_TRUE(h.reader->fncGotoPosition("b.smil", "q1", 99));  // as far as the book goes
  EXPECT_EQ(currentMediaId(), "aq2");
}

TEST_F(NCCReaderPlayback, ReadsEveryClockValueForm) {
  standardNcc();
  cNCCReader& r = *h.reader;
  EXPECT_DOUBLE_EQ(r.fncConvertTime("npt=0.5s"), 0.5);
  EXPECT_DOUBLE_EQ(r.fncConvertTime("npt=3.0"), 3.0);
  EXPECT_DOUBLE_EQ(r.fncConvertTime("npt=12.345s"), 12.345);
  EXPECT_DOUBLE_EQ(r.fncConvertTime("npt"), 0.0);
  EXPECT_DOUBLE_EQ(r.fncConvertTime("npt=0:01:02.500"), 62.5);
  EXPECT_DOUBLE_EQ(r.fncConvertTime("npt=01:02.5"), 62.5);
  EXPECT_DOUBLE_EQ(r.fncConvertTime("npt=500ms"), 0.5);
  EXPECT_DOUBLE_EQ(r.fncConvertTime("npt=1.5min"), 90.0);
  EXPECT_DOUBLE_EQ(r.fncConvertTime("npt=2h"), 7200.0);
}

TEST_F(NCCReaderPlayback, ResolvesClipSourcesAgainstTheBookFolder) {
  standardNcc();
  cNCCReader& r = *h.reader;
  const std::string book = h.reader->clsDTBData().sWorkPath;
  EXPECT_EQ(r.fncConvertPath("x.mp3"), book + "x.mp3");
  EXPECT_EQ(r.fncConvertPath("sub/x.mp3"), book + "sub/x.mp3");
  EXPECT_EQ(r.fncConvertPath("sub\\deeper\\x.mp3"), book + "sub/deeper/x.mp3");
  EXPECT_EQ(r.fncConvertPath("..\\x.mp3"), book + "../x.mp3");
  EXPECT_EQ(r.fncConvertPath("./x.mp3"), book + "./x.mp3");
  EXPECT_EQ(r.fncConvertPath("http://example.org/x.mp3"), "");
  EXPECT_EQ(r.fncConvertPath("FTP:x.mp3"), "");
  EXPECT_EQ(r.fncConvertPath("A.WAV"), book + "a.wav");  // found ignoring case
  // A leading backslash is the book's drive, as the drive layer names it.
  EXPECT_EQ(r.fncConvertPath("\\x.mp3"), "/x.mp3");
  cOneDrive drives("/media/stick");
  r.oDrives = &drives;
  EXPECT_EQ(r.fncConvertPath("\\books\\y.mp3"), "/media/stick/books/y.mp3");
  ASSERT_EQ(drives.asked.size(), 1u);
  EXPECT_EQ(drives.asked[0] + "/", book);
  EXPECT_EQ(r.fncConvertPath("/usr/share/lyn-reader/z.mp3"), "/usr/share/lyn-reader/z.mp3");
  EXPECT_EQ(drives.asked.size(), 1u);
  r.oDrives = nullptr;
}

TEST_F(NCCReaderPlayback, ALinkOutsideTheBookFolderIsResolvedAndAMissingFileIsAnError) {
  h.write("c.smil", fncSmil({{"r1", "../../nowhere/x.mp3", "npt=0s", "npt=1s"},
                             {"r2", "/nowhere-at-all/x.mp3", "npt=0s", "npt=1s"}}));
  h.write("ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("One"),
                              NccPoint().tag("h2").href("c.smil#r1").text("Up"),
                              NccPoint().tag("h2").href("c.smil#r2").text("Root")}));
  ASSERT_TRUE(h.load());
  EXPECT_FALSE(h.reader->fncbPlayTocItem(2));
  EXPECT_TRUE(h.recorder->fncbHasError(9, "ctlDXM_evError"));
  EXPECT_FALSE(h.reader->fncbPlayTocItem(3));
  EXPECT_TRUE(h.reader->fncbPlayTocItem(1));
}

TEST_F(NCCReaderPlayback, PreviousPhraseAtAFirstParWithoutTextKeepsTheFirstPhrase) {
  h.write("c.smil", [] {
    std::vector<SmilPar> pars = {{"r1", "a.wav", "npt=0s", "npt=1s"},
                                 {"r2", "a.wav", "npt=1s", "npt=2s"}};
    pars[0].withText = false;
    return fncSmil(pars);
  }());
  h.write("ncc.html", fncNcc({NccPoint().href("c.smil#r1").text("One")}));
  ASSERT_TRUE(h.load());
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  EXPECT_FALSE(h.reader->fncNavigate(-1, 1, {"audio"}));
  EXPECT_EQ(h.reader->lErrorNumber, 15);
  EXPECT_EQ(currentMediaId(), "ar1");
  EXPECT_DOUBLE_EQ(h.reader->lOCS, 0.0);
  // A count that runs off the beginning also lands on the first phrase.
  ASSERT_TRUE(h.reader->fncNavigate(1, 1, {"audio"}));
  EXPECT_FALSE(h.reader->fncNavigate(-1, 3, {"audio"}));
  EXPECT_EQ(currentMediaId(), "ar1");
  EXPECT_DOUBLE_EQ(h.reader->lOCS, 0.0);
}

TEST_F(NCCReaderPlayback, AMoveBySeveralUnitsThatRunsOutLeavesEverythingAsItWas) {
  standardNcc();
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  h.pump();
  const std::vector<int32_t> seeks = h.audio->seeks;
  // Two second-level headings follow; three are asked for.
  EXPECT_FALSE(h.reader->fncNavigate(1, 3, {"heading2"}));
  EXPECT_EQ(h.reader->lErrorNumber, 3);
  EXPECT_EQ(h.reader->lCurrentTocItem, 1);
  EXPECT_EQ(currentMediaId(), "ap1");
  EXPECT_EQ(h.audio->seeks, seeks);
  // Playing on goes on from the clip that was playing.
  h.player.fncbPlay();
  h.run(1500);
  EXPECT_EQ(currentMediaId(), "ap2");
  EXPECT_EQ(h.reader->lCurrentTocItem, 2);
  // Phrases: one more is left after q1, three are asked for.
  ASSERT_TRUE(h.reader->fncbPlayTocItem(4));
  h.recorder->toc.clear();
  EXPECT_FALSE(h.reader->fncNavigate(1, 3, {"audio"}));
  EXPECT_EQ(h.reader->lErrorNumber, 16);
  EXPECT_EQ(h.reader->lCurrentTocItem, 4);
  EXPECT_EQ(currentMediaId(), "aq1");
  ASSERT_FALSE(h.recorder->toc.empty());
  EXPECT_EQ(h.recorder->toc.back(), 4);  // the view is told where the reader stands again
}

TEST_F(NCCReaderPlayback, APositionCountedPastASkippedParIsRestoredToTheSameClip) {
  h.write("c.smil", fncSmil({{"r1", "a.wav", "npt=0s", "npt=1s"},
                             {"r2", "a.wav", "npt=1s", "npt=2s", "pagenumber-on"},
                             {"r3", "a.wav", "npt=2s", "npt=3s"},
                             {"r4", "a.wav", "npt=3s", "npt=4s"}}));
  h.write("ncc.html", fncNcc({NccPoint().href("c.smil#r1").text("One")}));
  ASSERT_TRUE(h.load());
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  ASSERT_TRUE(h.reader->fncNavigate(1, 1, {"audio"}));
  ASSERT_EQ(currentMediaId(), "ar3");
  int32_t current = 0, total = 0;
  h.reader->subCalculatePosition("phrase", current, total);
  EXPECT_EQ(current, 2);
  EXPECT_EQ(total, 3);  // what can be heard
  ASSERT_TRUE(h.reader->fncGotoPosition("c.smil", "r1", current));
  EXPECT_EQ(currentMediaId(), "ar3");
}

TEST_F(NCCReaderPlayback, ABrokenAudioFileIsReportedAndContinuousPlayGoesOnAfterIt) {
  fncWriteText(h.book() / "broken.wav", "RIFF not a wave at all");
  h.write("c.smil", fncSmil({{"r1", "gone.wav", "npt=0s", "npt=1s"},
                             {"r2", "gone.wav", "npt=1s", "npt=2s"},
                             {"r3", "broken.wav", "npt=0s", "npt=1s"}}));
  h.write("ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("One"),
                              NccPoint().tag("h2").href("c.smil#r1").text("Gone"),
                              NccPoint().tag("h2").href("b.smil#q1").text("Four")}));
  ASSERT_TRUE(h.load());
  // The fake control opens any file that exists; make the broken one fail as a decoder would.
  h.audio->durations["broken.wav"] = -1;
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  ASSERT_TRUE(h.runToEnd(60000));
  EXPECT_EQ(h.audio->heard, 3000 + 2000);  // p1..p3 of a.wav, q1 and q2 of b.wav
  EXPECT_EQ(std::count(h.recorder->lines.begin(), h.recorder->lines.end(),
                       "error 9 ctlDXM_evError"),
            2);  // once for each file that does not play
  const std::string book = h.reader->clsDTBData().sWorkPath;
  EXPECT_NE(std::find(h.recorder->details.begin(), h.recorder->details.end(),
                      book + "gone.wav: No such file or directory"),
            h.recorder->details.end());
  EXPECT_NE(std::find(h.recorder->details.begin(), h.recorder->details.end(),
                      book + "broken.wav: cannot be decoded as audio"),
            h.recorder->details.end());
  EXPECT_EQ(tocChanges().back(), 3);
}

TEST_F(NCCReaderPlayback, LinksWithEscapesAreDecodedOnceWhereTheNameAsWrittenIsMissing) {
  h.audioFile("my book.wav", 2);
  h.audioFile("Tom & Jerry.wav", 3);
  h.audioFile("a%41.wav", 4);
  h.audioFile("aA.wav", 5);
  h.audioFile("100%.wav", 6);
  h.write("my smil.smil", fncSmil({{"s1", "my%20book.wav", "npt=0s", "npt=1s"},
                                   {"s2", "Tom &amp; Jerry.wav", "npt=0s", "npt=1s"},
                                   {"s3", "a%2541.wav", "npt=0s", "npt=1s"},
                                   {"s4", "100%.wav", "npt=0s", "npt=1s"}}));
  h.write("ncc.html", fncNcc({NccPoint().href("my%20smil.smil#s1").text("One")}));
  ASSERT_TRUE(h.load());
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  ASSERT_TRUE(h.runToEnd(60000));
  const std::string book = h.reader->clsDTBData().sWorkPath;
  EXPECT_EQ(h.audio->opened, (std::vector<std::string>{book + "my book.wav", book + "Tom & Jerry.wav",
                                                       book + "a%41.wav", book + "100%.wav"}));
  EXPECT_EQ(h.audio->heard, 4000);
}

TEST_F(NCCReaderPlayback, TheEndOfTheBookIsSaidPlainly) {
  standardNcc();
  ASSERT_TRUE(h.reader->fncbPlayTocItem(4));
  EXPECT_FALSE(h.reader->fncbAtEndOfBook());
  ASSERT_TRUE(h.runToEnd());
  EXPECT_TRUE(h.reader->fncbAtEndOfBook());
  EXPECT_EQ(h.reader->lErrorNumber, 1);  // the numbers stay as they were
  EXPECT_EQ(h.reader->clsSmilPlayer().lErrorNumber, 4);
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  EXPECT_FALSE(h.reader->fncbAtEndOfBook());
  // Running out of headings is no end of the book.
  EXPECT_FALSE(h.reader->fncNavigate(1, 9, {"heading1"}));
  EXPECT_FALSE(h.reader->fncbAtEndOfBook());
}

TEST_F(NCCReaderPlayback, TheSpeedChangeFlagFollowsTheSpeedStageOfEachOpenedFile) {
  standardNcc();
  cApplicationState state(nullptr, "/nowhere");
  h.reader->oApplicationState = &state;
  h.audio->usingVari = true;
  ASSERT_TRUE(h.reader->fncbPlayTocItem(1));
  EXPECT_TRUE(state.bolSpeedChangeAvailable);
  EXPECT_TRUE(h.reader->bolIsUsingVari);
  h.audio->usingVari = false;
  ASSERT_TRUE(h.reader->fncbPlayTocItem(4));  // another file
  EXPECT_FALSE(state.bolSpeedChangeAvailable);
  h.reader->oApplicationState = nullptr;
}

TEST_F(NCCReaderPlayback, AnAbsoluteOrFileSourceIsAPath) {
  standardNcc();
  TempFolder elsewhere;
  fncWriteToneWav(elsewhere / "prompt.wav", 1, 4000);
  const std::string absolute = (elsewhere / "prompt.wav").string();
  EXPECT_EQ(h.reader->fncConvertPath(absolute), absolute);
  EXPECT_EQ(h.reader->fncConvertPath("file://" + absolute), absolute);
  EXPECT_EQ(h.reader->fncConvertPath("FILE://localhost" + absolute), absolute);
}

}  // namespace
}  // namespace lyn::testing
