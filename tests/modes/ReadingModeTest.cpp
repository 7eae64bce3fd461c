// Loading, resuming and unloading books; playing and stopping; the title announcement; the views;
// the control tick; the reader's events.

#include <sys/wait.h>
#include <unistd.h>

#include "ModeTestRig.h"
#include "markup/cDTBData.h"

namespace lyn::testing {
namespace {

TEST(ReadingMode, ANewBookStartsAtItsBeginningWithoutATitleAnnouncement) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  EXPECT_FALSE(rig.mode->bolPlayingTitle);
  EXPECT_EQ(rig.app.sLastBookRead, rig.book().string());
  EXPECT_EQ(fncLoadLastBookRead(rig.app.registry()), rig.book().string()) << "written at once";
  rig.run(1);
  EXPECT_TRUE(rig.playing());
  EXPECT_EQ(rig.place(), "s1.smil#p1");
  EXPECT_EQ(rig.audioFile(), "s1.wav");
  EXPECT_EQ(rig.mode->sPhraseCount, "1/2");
}

TEST(ReadingMode, ResumesOnTheSamePhraseAfterAnUnloadAfterTheTitle) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.run(33);  // s2 p2, 3 s in
  ASSERT_EQ(rig.place(), "s2.smil#p2");
  const double stopped = rig.position();
  rig.mode->subUnloadCurrentBook();
  rig.pump();
  EXPECT_FALSE(rig.mode->fncbBookLoaded());
  EXPECT_TRUE(std::filesystem::exists(rig.mode->fncBookmarkFilePath()) ||
              std::filesystem::exists(rig.root / "user"));

  ASSERT_TRUE(rig.mode->fncLoadBook(rig.book().string()));
  EXPECT_TRUE(rig.mode->bolPlayingTitle) << "the place is elsewhere than the start";
  ASSERT_TRUE(rig.mode->fncUndoPosition().has_value()) << "undo starts at the saved place";
  rig.app.queue().subAddMessage("NEWBOOK");
  rig.pump();
  rig.run(0.5);
  EXPECT_EQ(rig.place(), "s1.smil#p1") << "the title first";
  ASSERT_TRUE(rig.runUntil([&] { return !rig.mode->bolPlayingTitle; }, 10));
  rig.run(0.2);
  EXPECT_EQ(rig.place(), "s2.smil#p2");
  EXPECT_TRUE(rig.playing());
  EXPECT_LE(stopped - rig.position(), 4.0 + 0.25);
  EXPECT_GE(rig.position(), 6.0 - 0.01) << "never before the phrase";
}

TEST(ReadingMode, StartStopWithoutABookSoundsTheIndicatorAndPostsNothing) {
  cModeRig rig;
  rig.mode->subStartStop();
  EXPECT_TRUE(rig.queued("sfx_indicator3"));
  rig.pump();
  EXPECT_EQ(rig.postedCount("START") + rig.postedCount("STOP"), 0u);
  EXPECT_EQ(rig.mode->fncClassCaption(), "text of cap_reading - ");
}

TEST(ReadingMode, StartStopDuringTheTitleSkipsToTheReadingPosition) {
  cModeRig rig;
  rig.make();
  ASSERT_TRUE(rig.open(rig.book()));
  rig.run(40);
  rig.mode->subUnloadCurrentBook();
  ASSERT_TRUE(rig.open(rig.book()));
  rig.run(1);
  ASSERT_TRUE(rig.mode->bolPlayingTitle);
  rig.mode->subStartStop();
  rig.pump();
  EXPECT_FALSE(rig.mode->bolPlayingTitle);
  rig.run(0.5);
  EXPECT_EQ(rig.place(), "s2.smil#p3");
  EXPECT_TRUE(rig.playing()) << "skipped, not stopped";
}

TEST(ReadingMode, StartStopStopsAndStartsAgainTwoSecondsBack) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.run(4);
  rig.mode->subStartStop();
  rig.pump();
  EXPECT_FALSE(rig.playing());
  const double stopped = rig.position();
  rig.mode->subStartStop();
  rig.pump();
  EXPECT_TRUE(rig.playing());
  EXPECT_NEAR(rig.position(), stopped - 2.0, 0.05);
}

TEST(ReadingMode, ResumingOneSecondIntoAPhraseStartsThatPhrase) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.run(7);  // p2, 1 s in
  rig.mode->subStartStop();
  rig.pump();
  rig.mode->subStartStop();
  rig.pump();
  EXPECT_EQ(rig.place(), "s1.smil#p2");
  EXPECT_NEAR(rig.position(), 6.0, 0.01);
}

TEST(ReadingMode, TheEndOfTheBookIsAnnouncedOnce) {
  cModeRig rig;
  BookPlan plan;
  plan.clipSeconds = 1;
  plan.files = {{Heading(1), Phrase()}, {Heading(1), Phrase()}};
  ASSERT_TRUE(rig.open(rig.make(plan)));
  ASSERT_TRUE(rig.runUntil([&] { return rig.queued("bok_endofbook"); }, 10));
  rig.pump();
  EXPECT_EQ(rig.queuedPrompts(), std::vector<std::string>{"bok_endofbook"});
  EXPECT_GE(rig.postedCount("STOP"), 1u);
  EXPECT_FALSE(rig.window.fncbLogged("error 1")) << "the end of the book is no error to show";
}

TEST(ReadingMode, ViewsSwitchBetweenTheNccAndTheText) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.run(0.5);
  EXPECT_TRUE(rig.mode->bolNccMode()) << "the NCC view is the default";
  rig.window.lines.clear();
  rig.mode->subChangeMode();
  rig.pump();
  EXPECT_FALSE(rig.mode->pBolNccMode);
  EXPECT_EQ(rig.window.nccChecked, false);
  EXPECT_TRUE(rig.window.fncbLogged("navigate " + (rig.book() / "content.html").string() + "#xp1"));
  EXPECT_EQ(rig.postedCount("APPLYSTYLE"), 1u);
  rig.mode->subChangeMode("NCCView");
  EXPECT_TRUE(rig.mode->pBolNccMode);
  EXPECT_TRUE(rig.window.fncbLogged("navigate " + (rig.book() / "ncc.html").string() + "#n1"));
  EXPECT_EQ(rig.mode->fncClassCaption(), "text of cap_reading - Test book (text of cap_nccview)");
  rig.mode->subChangeMode("fulltextview");
  rig.window.lines.clear();
  rig.run(6);  // the next phrase is shown as text
  EXPECT_TRUE(rig.window.fncbLogged("text content.html#xp2"));
}

TEST(ReadingMode, AfterAModeChangeReadingContinuesWhereItWas) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.run(9);  // p2, 3 s in
  rig.bookPlayer.fncbPause();
  rig.mode->subPrepareForModeChange();
  EXPECT_EQ(rig.reader().ctlDXM(), nullptr);
  // Another mode plays something else on the book player meanwhile.
  rig.bookPlayer.psFileName((rig.book() / "s3.wav").string());
  rig.bookPlayer.pdPosition(12);
  rig.app.queue().subAddMessage("START");
  rig.pump();
  EXPECT_EQ(rig.reader().ctlDXM(), &rig.bookPlayer);
  EXPECT_EQ(rig.audioFile(), "s1.wav");
  EXPECT_NEAR(rig.position(), 7.0, 0.05);
  EXPECT_TRUE(rig.playing());
  rig.run(5);
  EXPECT_EQ(rig.place(), "s1.smil#p3") << "and goes on from clip to clip";
}

TEST(ReadingMode, ALinkThatLeadsNowhereGoesBackAndSaysSo) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.run(8);
  rig.prompts->subclearQue();
  rig.mode->subClickedOn((rig.book() / "missing.smil").string() + "#p1", "n1");
  EXPECT_TRUE(rig.queued("err_nccerr"));
  rig.pump();
  EXPECT_EQ(rig.place(), "s1.smil#p2") << "undone";
  rig.prompts->subclearQue();
  rig.mode->subClickedOn("s3.smil#p3", "n6");
  rig.pump();
  EXPECT_FALSE(rig.queued("err_nccerr"));
  EXPECT_EQ(rig.place(), "s3.smil#p3");
  EXPECT_EQ(rig.reader().lCurrentTocItem, 6);
  rig.mode->subClickedOn("http://example.org/s1.smil#p1", "n1");
  EXPECT_TRUE(rig.queued("sfx_indicator3"));
  EXPECT_EQ(rig.place(), "s3.smil#p3");
}

TEST(ReadingMode, GoToPageAndSearchPlayThePointTheDialogGives) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.run(1);
  rig.dialogs.answer = 6;
  rig.mode->subGotoPage();
  rig.pump();
  EXPECT_EQ(rig.place(), "s3.smil#p3");
  EXPECT_TRUE(rig.playing());
  rig.mode->sSearchString = "Point";
  rig.dialogs.answer = iDialogs::kNothing;
  rig.mode->subSearch();
  EXPECT_EQ(rig.dialogs.searchedWith, "Point");
  EXPECT_EQ(rig.place(), "s3.smil#p3");
  ASSERT_TRUE(rig.mode->fncUndo());
  rig.pump();
  EXPECT_EQ(rig.place(), "s1.smil#p1");
}

// --- the control tick ----------------------------------------------------------------------------

TEST(ReadingModeTick, WithNoLastBookAndNoBookOnAnyDriveTheFirstTickOpensTheBookshelf) {
  cModeRig rig;
  rig.drives.add("/nonexistent-drive-of-test", eDriveType::Removable);
  rig.controlTick();
  EXPECT_EQ(rig.postedCount("BOOKSHELF"), 1u);
  EXPECT_EQ(rig.postedCount("NEWBOOK"), 0u);
}

TEST(ReadingModeTick, TheFirstTickLoadsTheLastBookRead) {
  cModeRig rig;
  rig.make();
  rig.app.registry().subWriteValue("last book read", rig.book().string(),
                                   eRegistryRoot::CurrentUser, "software\\lyn_reader\\misc");
  rig.controlTick();
  EXPECT_TRUE(rig.mode->fncbBookLoaded());
  EXPECT_EQ(rig.postedCount("NEWBOOK"), 1u);
  EXPECT_TRUE(rig.queued("bok_loadingbook"));
  rig.speak();
  rig.run(1);
  EXPECT_TRUE(rig.playing());
}

TEST(ReadingModeTick, ABookOnADriveIsFoundWhenThereIsNoLastBook) {
  cModeRig rig;
  rig.make(fncPlainBook(), "stick");
  rig.drives.add(rig.book("stick").string(), eDriveType::Removable);
  rig.disk.fncbCheckDrivesChanged();
  rig.controlTick();
  EXPECT_TRUE(rig.mode->fncbBookLoaded());
  EXPECT_EQ(rig.postedCount("NEWBOOK"), 1u);
}

TEST(ReadingModeTick, RemovingTheDiscUnloadsAndTheModeWaitsForBooks) {
  cModeRig rig;
  rig.make(fncPlainBook(), "disc");
  rig.drives.add(rig.book("disc").string(), eDriveType::CdRom);
  rig.drives.add((rig.root / "other").string(), eDriveType::Removable);
  rig.disk.fncbCheckDrivesChanged();
  ASSERT_TRUE(rig.open(rig.book("disc")));
  rig.run(3);
  rig.eject("disc");
  rig.controlTick();
  EXPECT_FALSE(rig.mode->fncbBookLoaded());
  EXPECT_TRUE(std::filesystem::exists(rig.root / "user")) << "saved at the unload";
  EXPECT_TRUE(rig.queued("bok_waiting4books"));
  rig.prompts->subclearQue();
  std::vector<int> waiting;
  for (int tick = 2; tick <= 19; ++tick) {
    const size_t before = rig.postedCount("WAITINGFORBOOKS");
    rig.controlTick();
    if (rig.postedCount("WAITINGFORBOOKS") > before) waiting.push_back(tick);
    EXPECT_FALSE(rig.queued("bok_waiting4books")) << "said once, at tick " << tick;
  }
  EXPECT_EQ(waiting, (std::vector<int>{7, 13, 19}));
}

TEST(ReadingModeTick, TheNextDiscOfASetResumesWithoutANewBook) {
  cModeRig rig;
  BookPlan one;
  one.title = "Big set";
  one.setInfo = "1 of 2";
  // Disc 1 holds points 1-2; point 3 lies on disc 2.
  one.files = {{Heading(1), Phrase(), Heading(1), Phrase()}, {{"h1", "", "", "2"}, Phrase()}};
  BookPlan two = one;
  two.setInfo = "2 of 2";
  two.files = {{{"h1", "", "", "1"}, Phrase(), {"h1", "", "", "1"}, Phrase()},
               {Heading(1), Phrase()}};
  rig.make(one, "disc1");
  rig.make(two, "disc2");
  rig.drives.add(rig.book("disc1").string(), eDriveType::CdRom);
  rig.disk.fncbCheckDrivesChanged();
  ASSERT_TRUE(rig.open(rig.book("disc1")));
  ASSERT_TRUE(rig.runUntil([&] { return !rig.playing() && rig.place() == "s2.smil#p1"; }, 40) ||
              rig.reader().lCurrentTocItem == 3);
  rig.eject("disc1");
  rig.controlTick();
  ASSERT_FALSE(rig.mode->fncbBookLoaded());
  const size_t newBooks = rig.postedCount("NEWBOOK");
  rig.insert("disc2");
  rig.controlTick();
  EXPECT_TRUE(rig.mode->fncbBookLoaded());
  EXPECT_EQ(rig.postedCount("NEWBOOK"), newBooks);
  rig.run(0.5);
  EXPECT_TRUE(rig.playing());
  EXPECT_EQ(rig.reader().lCurrentTocItem, 3);
  EXPECT_EQ(rig.place(), "s2.smil#p1");
}

TEST(ReadingModeTick, ThirtySecondsOfListeningSaveTheBookmarksAndReturnToPhrases) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.mode->subChangeUnit(1);  // page
  rig.speak();
  ASSERT_EQ(rig.mode->enNavMode, kUnitPage);
  rig.run(29);
  EXPECT_FALSE(std::filesystem::exists(rig.mode->fncBookmarkFilePath()));
  rig.run(1.5);
  EXPECT_TRUE(std::filesystem::exists(rig.mode->fncBookmarkFilePath()));
  EXPECT_EQ(rig.mode->enNavMode, kUnitPhrase);
  EXPECT_EQ(rig.mode->sNavModeText, "text of nav_phrase");
  ASSERT_TRUE(rig.mode->fncUndoPosition());
  EXPECT_EQ(rig.mode->fncUndoPosition()->sSmilFile, "s2.smil");
}

TEST(ReadingModeTick, AStopIsSavedAtTheNextTickAndNothingElseChanges) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.run(20);
  rig.mode->subChangeUnit(1);
  rig.speak();
  rig.mode->subStartStop();
  rig.pump();
  const auto undo = rig.mode->fncUndoPosition();
  rig.run(0.6);
  ASSERT_TRUE(std::filesystem::exists(rig.mode->fncBookmarkFilePath()));
  const auto saved = fncReadBookmarkFile(rig.mode->fncBookmarkFilePath(), 6);
  ASSERT_EQ(saved.enState, eBookmarkFileState::Loaded);
  EXPECT_EQ(saved.entries[0].sSmilFile, "s1.smil");
  EXPECT_EQ(saved.entries[0].lPhraseNumber, 2) << "point 2 (s1 p3), its second phrase";
  EXPECT_EQ(rig.mode->enNavMode, kUnitPage);
  EXPECT_EQ(rig.mode->fncUndoPosition(), undo);
}

}  // namespace
}  // namespace lyn::testing

namespace lyn::testing {
namespace {

TEST(ReadingModeResume, ABookWithSkippedPageParsResumesOnTheExactPhrase) {
  cModeRig rig;
  BookPlan plan;
  // Page numbers are pars of their own that are only played with "pagenumber-on".
  plan.files = {{Heading(1), Phrase(), Page("pagenumber-on"), Phrase(), Phrase(), Phrase()},
                {Heading(1), Phrase(), Page("pagenumber-on"), Phrase(), Phrase()}};
  ASSERT_TRUE(rig.open(rig.make(plan)));
  ASSERT_TRUE(rig.runUntil([&] { return rig.place() == "s1.smil#p5"; }, 60));
  rig.run(3);
  ASSERT_EQ(rig.place(), "s1.smil#p5");
  rig.mode->subUnloadCurrentBook();
  ASSERT_TRUE(rig.open(rig.book()));
  rig.mode->subSkipTitle();
  rig.pump();
  rig.run(0.2);
  EXPECT_EQ(rig.place(), "s1.smil#p5");
  EXPECT_GE(rig.position(), 24.0);
  EXPECT_TRUE(rig.playing());

  rig.mode->subClickedOn("s2.smil#p5", "");
  rig.pump();
  rig.run(2);
  rig.mode->subUnloadCurrentBook();
  ASSERT_TRUE(rig.open(rig.book()));
  rig.mode->subSkipTitle();
  rig.pump();
  rig.run(0.2);
  EXPECT_EQ(rig.place(), "s2.smil#p5");
}

TEST(ReadingModeResume, TheUserGuideResumesOnTheSamePhrase) {
  const std::filesystem::path guide =
      std::filesystem::path(LYN_SHARED_DIR) / "books" / "user-guide-fulltext";
  ASSERT_TRUE(std::filesystem::exists(guide / "ncc.html")) << guide;
  cModeRig rig;
  ASSERT_TRUE(rig.open(guide));
  rig.run(40);
  ASSERT_TRUE(rig.playing());
  const std::string phrase = rig.place();
  const std::string file = rig.audioFile();
  const double stopped = rig.position();
  const double begin = rig.reader().lOCS;
  rig.mode->subUnloadCurrentBook();
  rig.pump();

  ASSERT_TRUE(rig.open(guide));
  rig.mode->subSkipTitle();
  rig.pump();
  rig.run(0.05);
  EXPECT_EQ(rig.place(), phrase);
  EXPECT_EQ(rig.audioFile(), file);
  EXPECT_TRUE(rig.playing());
  EXPECT_LE(stopped - rig.position(), 4.0 + 0.06);
  EXPECT_GE(rig.position(), begin);
}

}  // namespace
}  // namespace lyn::testing
