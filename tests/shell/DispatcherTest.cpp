#include <gtest/gtest.h>

#include <fstream>

#include "tests/shell/AppTestDoubles.h"

namespace lyn::testing {
namespace {

using Calls = std::vector<std::string>;

std::vector<std::string> fncNumberKeys(double n) {
  std::vector<std::string> keys;
  cPromptHandler::subAppendNumber(n, keys);
  return keys;
}

TEST(Dispatcher, KeyUpOfTheLeftArrowBrowsesBackThenUpdatesAndStartsAsTheUser) {
  cDispatcherRig rig;
  rig.post("KEYUP", int32_t{37}, int32_t{3});
  rig.pump();
  EXPECT_EQ(rig.reading().calls, (Calls{"subBrowseUnit -1 3", "subPlay"}));
  EXPECT_EQ(rig.window.calls, (Calls{"update"}));
}

TEST(Dispatcher, NextUnitWithoutACountBrowsesOneUnit) {
  cDispatcherRig rig;
  rig.post("NEXTUNIT");
  rig.pump();
  EXPECT_EQ(rig.reading().calls.front(), "subBrowseUnit 1 1");
}

TEST(Dispatcher, NamesMatchWithoutRegardToCase) {
  cDispatcherRig rig;
  rig.post("start");
  rig.post("StartStop");
  rig.pump();
  EXPECT_EQ(rig.reading().calls, (Calls{"subPlay", "subStartStop"}));
}

TEST(Dispatcher, StartWaitsForAPromptThatMayNotBeCutAndIsRetriedOnEveryPump) {
  cDispatcherRig rig;
  // A batch without the first flag: a start must wait until it has been spoken.
  rig.prompts->subAddAudioPrompts(15, false, false, false, {"gen_programname"});
  rig.pump();  // "PLAYNEXTPROMPT" starts the clip
  rig.post("START", std::string("userinvoke"));
  for (int i = 0; i < 5; ++i) rig.pump();
  EXPECT_TRUE(rig.reading().calls.empty());
  EXPECT_TRUE(rig.app.queue().hasNext());  // the retry waits for the next pump

  rig.promptFake->subAdvance(600);
  rig.promptPlayer->subDoYourEvents();
  rig.pump();
  rig.pump();
  EXPECT_EQ(rig.reading().calls, (Calls{"subPlay"}));
}

TEST(Dispatcher, EachModeSwitchSetsItsRowOfTheEnabledState) {
  cDispatcherRig rig;
  const auto row = [&] {
    std::string s;
    for (bool on : rig.window.enabled) s += on ? '1' : '0';
    return s;  // cbGotoPage cbInfo cbBookshelf cbHelp mnuGotoPage mnuBookInfo mnuExtendedSearch
  };
  rig.post("BOOKSHELF");
  rig.pump();
  EXPECT_EQ(rig.app.currentModeNumber, eModeNumber::Bookshelf);
  EXPECT_EQ(row(), "0001001");
  EXPECT_EQ(rig.mode(eModeNumber::Bookshelf).calls, (Calls{"subShowBookList"}));
  EXPECT_EQ(rig.window.caption, "LYN Reader 1.1  ---  mode3 - ");

  rig.post("HELP");
  rig.pump();
  EXPECT_EQ(row(), "0010000");
  rig.post("READ");
  rig.pump();
  EXPECT_EQ(row(), "1111110");
  rig.reading().bookLoaded = true;
  rig.post("INFO");
  rig.pump();
  EXPECT_EQ(rig.app.currentModeNumber, eModeNumber::Information);
  // Information leaves the bookshelf, help and extended-search entries as they were.
  EXPECT_EQ(row(), "0011000");
}

TEST(Dispatcher, ASecondBookshelfReturnsToReadingAndStarts) {
  cDispatcherRig rig;
  rig.post("BOOKSHELF");
  rig.pump();
  rig.post("BOOKSHELF");
  rig.pump();
  rig.pump();
  EXPECT_EQ(rig.app.currentModeNumber, eModeNumber::Reading);
  EXPECT_EQ(rig.fncCurrentMode(), &rig.reading());
  EXPECT_EQ(rig.mode(eModeNumber::Bookshelf).calls, (Calls{"subShowBookList", "subPrepareForModeChange"}));
  EXPECT_EQ(rig.reading().calls.back(), "subPlay");
}

TEST(Dispatcher, ReadWhileReadingIsCurrentStillEnablesTheReadingButtons) {
  cDispatcherRig rig;
  rig.post("BOOKSHELF");
  rig.pump();
  // The bookshelf hands a chosen book to the reading mode and then posts "READ".
  rig.subSetCurrentMode(eModeNumber::Reading);
  rig.post("READ");
  rig.pump();
  EXPECT_TRUE(rig.window.fncbEnabled(eSwitchable::cbGotoPage));
  EXPECT_TRUE(rig.window.fncbEnabled(eSwitchable::cbInfo));
  EXPECT_TRUE(rig.window.fncbEnabled(eSwitchable::cbBookshelf));
  EXPECT_TRUE(rig.window.fncbEnabled(eSwitchable::mnuGotoPage));
  EXPECT_FALSE(rig.window.fncbEnabled(eSwitchable::mnuExtendedSearch));
}

TEST(Dispatcher, InfoOutsideAReadingModeWithABookSoundsTheIndicatorAndChangesNothing) {
  cDispatcherRig rig;
  rig.post("INFO");  // reading, but no book
  rig.pump();
  EXPECT_EQ(rig.app.currentModeNumber, eModeNumber::Reading);
  rig.post("HELP");
  rig.pump();
  rig.prompts->subclearQue();
  rig.post("INFO");
  rig.pump();
  EXPECT_EQ(rig.app.currentModeNumber, eModeNumber::Help);
  EXPECT_EQ(rig.queuedPrompts(), (Calls{"sfx_indicator3"}));
}

TEST(Dispatcher, VolumeWhilePlayingKeepsPromptsAtEightAndSaysNothing) {
  cDispatcherRig rig;
  rig.playBook();
  rig.post("INCREASEVOLUME");
  rig.pump();
  EXPECT_EQ(rig.bookPlayer->plVolume(), 9);
  EXPECT_EQ(rig.promptPlayer->plVolume(), 8);
  EXPECT_TRUE(rig.queuedPrompts().empty());
}

TEST(Dispatcher, VolumeWhileStoppedSpeaksTheNewStepAndStopsAtTheTop) {
  cDispatcherRig rig;
  rig.bookPlayer->plVolume(10);
  rig.post("INCREASEVOLUME");
  rig.pump();
  EXPECT_EQ(rig.bookPlayer->plVolume(), 10);
  Calls expected{"con_volume"};
  for (auto& k : fncNumberKeys(10)) expected.push_back(k);
  EXPECT_EQ(rig.queuedPrompts(), expected);
}

TEST(Dispatcher, RateStepsAreSpokenRelativeToNormalSpeed) {
  cDispatcherRig rig;
  rig.app.bolSpeedChangeAvailable = true;
  rig.speed.subSetSpeed(6);
  rig.post("DECREASERATE");
  rig.pump();
  EXPECT_EQ(rig.queuedPrompts(), (Calls{"con_normalspeed"}));
  rig.prompts->subclearQue();
  rig.post("DECREASERATE");
  rig.pump();
  Calls expected{"con_speed"};
  for (auto& k : fncNumberKeys(-1)) expected.push_back(k);
  EXPECT_EQ(rig.queuedPrompts(), expected);
  EXPECT_EQ(rig.speed.Speed(), 4);
}

TEST(Dispatcher, RateIsRefusedWithoutSpeedChangeAndInTheBookshelf) {
  cDispatcherRig rig;
  rig.post("INCREASERATE");
  rig.pump();
  EXPECT_EQ(rig.speed.Speed(), 5);
  EXPECT_EQ(rig.queuedPrompts(), (Calls{"sfx_indicator3"}));
  rig.prompts->subclearQue();
  rig.app.bolSpeedChangeAvailable = true;
  rig.post("BOOKSHELF");
  rig.post("INCREASERATE");
  rig.pump();
  EXPECT_EQ(rig.speed.Speed(), 5);
}

TEST(Dispatcher, PreviousStyleFromNoStyleGoesToTheLastPair) {
  cDispatcherRig rig;
  for (const char* id : {"001", "002", "003"}) {
    std::ofstream(rig.program / (std::string("sttxt") + id + ".css")) << "";
    std::ofstream(rig.program / (std::string("stncc") + id + ".css")) << "";
  }
  rig.app.styleSheets().subDiscover(rig.program.path().string() + "/", "");
  rig.post("PREVIOUSSTYLE");
  rig.pump();
  EXPECT_EQ(rig.app.styleSheets().fncCurrentStyle(), 3);
  Calls expected{"cap_style"};
  for (auto& k : fncNumberKeys(3)) expected.push_back(k);
  EXPECT_EQ(rig.queuedPrompts(), expected);
  rig.prompts->subclearQue();
  rig.post("NEXTSTYLE");
  rig.pump();
  EXPECT_EQ(rig.app.styleSheets().fncCurrentStyle(), 0);
  EXPECT_EQ(rig.queuedPrompts(), (Calls{"cap_nostyle"}));
}

TEST(Dispatcher, CommandsThatDoNotApplyAnswerWithASound) {
  cDispatcherRig rig;
  rig.post("UNDO");
  rig.pump();
  EXPECT_EQ(rig.queuedPrompts(), (Calls{"sfx_indicator3"}));
  rig.post("BOOKSHELF");
  rig.pump();
  rig.prompts->subclearQue();
  rig.post("GOTOPAGE");
  rig.pump();
  EXPECT_EQ(rig.queuedPrompts(), (Calls{"sfx_indicator2"}));
  rig.prompts->subclearQue();
  rig.post("NCCVIEW");
  rig.post("KEYHOLD", int32_t{39});
  rig.pump();
  EXPECT_EQ(rig.queuedPrompts(), (Calls{"sfx_indicator3"}));
  EXPECT_EQ(rig.reading().calls, (Calls{"fncUndo", "subPrepareForModeChange"}));
}

TEST(Dispatcher, HoldAndReleaseDriveFastForwardInTheReadingMode) {
  cDispatcherRig rig;
  rig.post("KEYHOLD", int32_t{39});
  rig.post("KEYRELEASE", int32_t{39});
  rig.post("KEYHOLD", int32_t{37});
  rig.pump();
  EXPECT_EQ(rig.reading().calls, (Calls{"subBeginFFW 1", "subEndFFW", "subBeginFFW -1"}));
}

TEST(Dispatcher, QuitSetsTheFlagOnlyWhenConfirmed) {
  cDispatcherRig rig;
  rig.post("QUIT");
  rig.pump();
  EXPECT_FALSE(rig.app.bolQuit);
  EXPECT_EQ(rig.dialogs.quitText, "text of cap_exitprogram|text of cap_exitprogram\r\ntext of gen_entertoconfirm");
  EXPECT_EQ(rig.dialogs.quitKeys, (Calls{"cap_exitprogram", "gen_entertoconfirm"}));
  rig.dialogs.answer = true;
  rig.post("QUIT");
  rig.pump();
  EXPECT_TRUE(rig.app.bolQuit);
}

TEST(Dispatcher, ControlTimerTellsTheModeOfDriveChangesAgainstItsOwnFullScan) {
  cDispatcherRig rig;
  rig.drives.add("/home/me", eDriveType::Fixed);
  rig.drives.add("/mnt/share", eDriveType::Network);
  rig.dispatcher->subSetKnownDrives(rig.disk.fncScanDrives(true, false));
  // The bookshelf's search scans without the network drives.
  rig.disk.fncScanDrives(false, false);
  rig.post("CONTROLTIMER");
  rig.pump();
  EXPECT_EQ(rig.reading().calls, (Calls{"subControlTimer"}));

  rig.drives.add("/media/me/BOOK", eDriveType::Removable);
  rig.post("CONTROLTIMER");
  rig.pump();
  EXPECT_EQ(rig.reading().calls, (Calls{"subControlTimer", "subDrivesChanged", "subControlTimer"}));
  EXPECT_EQ(rig.disk.gsChangedDrives, (Calls{"/media/me/BOOK"}));
}

}  // namespace
}  // namespace lyn::testing

namespace lyn::testing {
namespace {

TEST(Dispatcher, OpenBookFromTheBookshelfLoadsTheFolderAndReadsIt) {
  cDispatcherRig rig;
  rig.post("BOOKSHELF");
  rig.pump();
  rig.post("OPENBOOK", std::string("/media/disc/book one"));
  rig.pump();
  // "Loading the book" is spoken first.
  rig.promptFake->subAdvance(600);
  rig.promptPlayer->subDoYourEvents();
  rig.pump();
  rig.pump();
  EXPECT_EQ(rig.booksOpened, (Calls{"/media/disc/book one"}));
  EXPECT_EQ(rig.app.currentModeNumber, eModeNumber::Reading);
  EXPECT_EQ(rig.fncCurrentMode(), &rig.reading());
  EXPECT_EQ(rig.mode(eModeNumber::Bookshelf).calls.back(), "subPrepareForModeChange");
  EXPECT_EQ(rig.reading().calls.back(), "subPlay");
}

TEST(Dispatcher, OpenBookOfAFolderWithoutABookSpeaksTheErrorAndStaysInTheMode) {
  cDispatcherRig rig;
  rig.post("HELP");
  rig.pump();
  rig.prompts->subclearQue();
  rig.bookOpens = false;
  rig.post("OPENBOOK", std::string("/tmp/no book here"));
  rig.pump();
  EXPECT_EQ(rig.booksOpened, (Calls{"/tmp/no book here"}));
  EXPECT_EQ(rig.app.currentModeNumber, eModeNumber::Help);
  // The error is spoken before the mode plays on.
  ASSERT_GE(rig.prompts->fncCurrentBatch(), 1);
  EXPECT_EQ(rig.prompts->fncBatch(rig.prompts->fncCurrentBatch()).ids, (Calls{"err_nccerr"}));
  EXPECT_TRUE(rig.mode(eModeNumber::Help).calls.empty() ||
              rig.mode(eModeNumber::Help).calls.back() != "subPlay");
}

TEST(Dispatcher, OpenBookWithoutAFolderDoesNothing) {
  cDispatcherRig rig;
  rig.post("OPENBOOK");
  rig.pump();
  EXPECT_TRUE(rig.booksOpened.empty());
}

}  // namespace
}  // namespace lyn::testing
