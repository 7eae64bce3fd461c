#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cPositionCheckTimer.h"
#include "tests/audio/cFakeAudioControl.h"
#include "tests/platform/audio/AudioTestFiles.h"

namespace lyn {
namespace {

using test::cFakeAudioControl;

class cRecorder : public iAudioPlaybackListener {
 public:
  void evEndofStream() override { events.push_back("EndofStream"); }
  void evMarkReached() override { events.push_back("MarkReached"); }
  void evInternalError() override { events.push_back("InternalError"); }
  void evError() override { events.push_back("Error"); }
  void evShowMessageBox(const std::string& text) override { events.push_back("Box " + text); }
  std::vector<std::string> events;
};

class cSpeed : public iPlaybackSpeed {
 public:
  bool fncbBookshelfIsCurrent() const override { return bookshelf; }
  void subApplyCurrentSpeed() override { ++applied; }
  bool bookshelf = false;
  int applied = 0;
};

class PlaybackSystemTest : public ::testing::Test {
 protected:
  PlaybackSystemTest() {
    auto fake = std::make_unique<cFakeAudioControl>();
    control = fake.get();
    player = std::make_unique<cAudioPlaybackSystem>(std::move(fake), &speed);
    player->subAddListener(recorder);
    timer.subAttach(*player);
  }
  void subOpen() {
    test::subWriteWav(dir / "book.mp3", 22050, 1, {});
    player->psFileName((dir / "book.mp3").string());
    ASSERT_TRUE(player->mbAudioFileLoaded);
    recorder.events.clear();
    control->calls.clear();
  }
  bool fncbCalled(const std::string& call) const {
    return std::find(control->calls.begin(), control->calls.end(), call) != control->calls.end();
  }

  test::cTempDir dir;
  cSpeed speed;
  cFakeAudioControl* control = nullptr;
  std::unique_ptr<cAudioPlaybackSystem> player;
  cRecorder recorder;
  cPositionCheckTimer timer;
};

TEST_F(PlaybackSystemTest, StartsWithNoFileAndTheDocumentedValues) {
  EXPECT_FALSE(player->mbAudioFileLoaded);
  EXPECT_EQ(player->mlCurrentAudioState, 0);
  EXPECT_EQ(player->mdMarkPosition, -1);
  EXPECT_EQ(player->plVolume(), 0);
  EXPECT_EQ(player->plRate(), 10);  // without a file: 10, and "No file loaded"
  EXPECT_EQ(player->mlErrorNumber, 6);
  EXPECT_EQ(player->msErrorLocation, "Rate");
}

TEST_F(PlaybackSystemTest, OpeningAppliesTheSpeedRowAndSendsTheKeptVolume) {
  player->plVolume(7);
  EXPECT_EQ(player->mlErrorNumber, 6);
  EXPECT_EQ(player->msErrorMsg, "No file loaded");
  EXPECT_EQ(player->msErrorLocation, "Volume");
  subOpen();
  EXPECT_EQ(speed.applied, 1);
  EXPECT_TRUE(player->mbIsUsingVari);
  EXPECT_EQ(player->psFileName(), (dir / "book.mp3").string());
  player->psFileName((dir / "book.mp3").string());
  EXPECT_TRUE(fncbCalled("SetVolume 7"));

  speed.bookshelf = true;
  player->psFileName((dir / "book.mp3").string());
  EXPECT_FALSE(player->mbIsUsingVari);
}

TEST_F(PlaybackSystemTest, VolumeOutsideTheStepsIsABadValueAndKeepsTheOldStep) {
  subOpen();
  player->plVolume(4);
  player->plVolume(11);
  EXPECT_EQ(player->mlErrorNumber, 5);
  EXPECT_EQ(player->msErrorMsg, "Bad value");
  EXPECT_EQ(player->msErrorLocation, "Volume");
  EXPECT_EQ(player->plVolume(), 4);
  player->plVolume(-1);
  EXPECT_EQ(player->plVolume(), 4);
  EXPECT_EQ(std::count(recorder.events.begin(), recorder.events.end(), "Error"), 2);
}

TEST_F(PlaybackSystemTest, AFailedOpenReportsErrorOneAndForgetsThePath) {
  subOpen();
  control->failOpen = true;
  player->psFileName("/no/such/file.mp3");
  EXPECT_EQ(player->mlErrorNumber, 1);
  EXPECT_EQ(player->msErrorMsg, "Audiofile doesn't exist or is corrupt");
  EXPECT_EQ(player->msErrorLocation, "Filename");
  EXPECT_EQ(player->psFileName(), "");
  EXPECT_EQ(recorder.events, std::vector<std::string>{"Error"});
  // A refusal without an error changes nothing.
  control->failOpen = false;
  subOpen();
  control->openResult = false;
  player->psFileName("/other.mp3");
  EXPECT_EQ(player->psFileName(), (dir / "book.mp3").string());
  EXPECT_TRUE(recorder.events.empty());
}

TEST_F(PlaybackSystemTest, AMarkJustPastTheEndMovesToTheEndAndOneFurtherFails) {
  subOpen();
  EXPECT_TRUE(player->fncbSetMark(10.1));
  EXPECT_TRUE(player->mbMarkSet);
  EXPECT_DOUBLE_EQ(player->mdMarkPosition, 10.0);
  player->msErrorMsg = "earlier text";
  EXPECT_FALSE(player->fncbSetMark(10.3));
  EXPECT_EQ(player->mlErrorNumber, 7);
  EXPECT_EQ(player->msErrorLocation, "Set mark");
  EXPECT_EQ(player->msErrorMsg, "earlier text");
  EXPECT_DOUBLE_EQ(player->mdMarkPosition, 10.0);
}

TEST_F(PlaybackSystemTest, AReachedMarkRaisesEndOfStreamOnlyAndSurvivesPause) {
  subOpen();
  player->fncbSetMark(2.5);
  ASSERT_TRUE(player->fncbPlay());
  EXPECT_FALSE(player->fncbPlay());  // already playing: nothing changes
  EXPECT_EQ(std::count(control->calls.begin(), control->calls.end(), "Play"), 1);
  player->fncbPause();
  EXPECT_EQ(player->mlCurrentAudioState, 2);
  timer.subTick();
  EXPECT_TRUE(player->mbMarkSet);
  player->fncbPlay();
  control->position = 2499;
  timer.subTick();
  EXPECT_TRUE(recorder.events.empty());
  control->position = 2500;
  timer.subTick();
  EXPECT_EQ(recorder.events, std::vector<std::string>{"EndofStream"});
  EXPECT_FALSE(player->mbMarkSet);
  EXPECT_EQ(player->mdMarkPosition, -1);
}

TEST_F(PlaybackSystemTest, TheEndOfTheFileIsReportedOnceEachTimeItIsReached) {
  subOpen();
  player->fncbPlay();
  control->endOfStream = true;
  control->state = PhraseAudioHandler::kStopped;
  timer.subTicks(5);
  EXPECT_EQ(recorder.events, std::vector<std::string>{"EndofStream"});
  EXPECT_EQ(player->mlCurrentAudioState, 0);
  control->endOfStream = false;
  player->fncbPlay();
  timer.subTick();
  control->endOfStream = true;
  timer.subTick();
  EXPECT_EQ(recorder.events.size(), 2u);
}

TEST_F(PlaybackSystemTest, AnEndReachedAgainBeforeAnyPollSawItPassIsStillReported) {
  subOpen();
  player->fncbPlay();
  control->endOfStream = true;
  control->state = PhraseAudioHandler::kStopped;
  timer.subTick();
  // Played again from near the end: it ends again before the next poll, which never sees the
  // end of stream go away.
  player->pdPosition(9.99);
  player->fncbPlay();
  control->state = PhraseAudioHandler::kStopped;
  timer.subTick();
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"EndofStream", "EndofStream"}));
}

TEST_F(PlaybackSystemTest, AClearedMarkIsNeverReached) {
  subOpen();
  ASSERT_TRUE(player->fncbSetMark(2.5));
  player->subClearMark();
  EXPECT_FALSE(player->mbMarkSet);
  EXPECT_EQ(player->mdMarkPosition, -1);
  player->fncbPlay();
  control->position = 3000;
  timer.subTick();
  EXPECT_TRUE(recorder.events.empty());
  EXPECT_EQ(player->mlCurrentAudioState, cAudioPlaybackSystem::kPlaying);
}

TEST_F(PlaybackSystemTest, AMarkPastTheTrueEndOfAnEstimatedStreamIsReachedAtItsEnd) {
  subOpen();
  player->fncbSetMark(10.0);
  player->fncbPlay();
  control->position = 9950;  // the stream ended earlier than its header said
  control->endOfStream = true;
  timer.subTicks(3);
  EXPECT_EQ(recorder.events, std::vector<std::string>{"EndofStream"});
}

TEST_F(PlaybackSystemTest, ListenersMayLeaveAndActDuringAnEvent) {
  subOpen();
  struct cLeaver : iAudioPlaybackListener {
    cAudioPlaybackSystem* player = nullptr;
    iAudioPlaybackListener* other = nullptr;
    int count = 0;
    void evEndofStream() override {
      ++count;
      player->subRemoveListener(*other);
      player->fncbQuit();  // the listener closes the object from inside the event
    }
  } leaver;
  player->subRemoveListener(recorder);
  leaver.player = player.get();
  leaver.other = &recorder;
  player->subAddListener(leaver);
  player->subAddListener(recorder);
  player->fncbSetMark(1.0);
  player->fncbPlay();
  control->position = 1000;
  timer.subTick();
  EXPECT_EQ(leaver.count, 1);
  EXPECT_TRUE(recorder.events.empty());
  EXPECT_FALSE(player->mbAudioFileLoaded);
  EXPECT_FALSE(player->mbLookupTimer);
  timer.subTick();
  EXPECT_EQ(leaver.count, 1);
}

TEST_F(PlaybackSystemTest, OperationsWithoutAFileReportNoFileLoadedAtTheirLocation) {
  const std::vector<std::pair<std::function<void()>, std::string>> cases = {
      {[&] { player->fncbPlay(); }, "Play"},
      {[&] { player->fncbPause(); }, "Pause"},
      {[&] { player->fncbQuit(); }, "Quit"},
      {[&] { player->pdPosition(1.0); }, "Position"},
      {[&] { EXPECT_EQ(player->pdPosition(), 0); }, "Position"},
      {[&] { EXPECT_EQ(player->pdDuration(), 0); }, "Duration"},
      {[&] { EXPECT_FALSE(player->fncbStopAt(1.0)); }, "Stop at"},
  };
  for (const auto& [operation, location] : cases) {
    player->mlErrorNumber = 0;
    operation();
    EXPECT_EQ(player->mlErrorNumber, 6) << location;
    EXPECT_EQ(player->msErrorLocation, location);
  }
  EXPECT_FALSE(player->fncbSetMark(1.0));
  player->mbLookupTimer = true;
  timer.subTick();
  EXPECT_EQ(player->msErrorLocation, "Timer");
}

TEST_F(PlaybackSystemTest, PositionsOutsideTheFileAreRefusedAndTimesRoundToWholeMilliseconds) {
  subOpen();
  player->pdPosition(10.5);
  EXPECT_EQ(player->mlErrorNumber, 2);
  EXPECT_EQ(player->msErrorMsg, "Position doesn't exist in audio");
  player->pdPosition(-0.001);
  EXPECT_EQ(player->mlErrorNumber, 2);
  EXPECT_TRUE(control->calls.empty());
  player->pdPosition(1.0025);  // ties go to the even millisecond
  player->pdPosition(1.0035);
  EXPECT_EQ(control->calls, (std::vector<std::string>{"Seek 1002", "Seek 1004"}));
  control->position = -5;
  EXPECT_EQ(player->pdPosition(), 0);
}

TEST_F(PlaybackSystemTest, ARefusedStopPointAsksForTheErrorMessageBox) {
  subOpen();
  EXPECT_TRUE(player->fncbStopAt(2.0));
  control->stopAtResult = false;
  EXPECT_FALSE(player->fncbStopAt(20.0));
  EXPECT_EQ(recorder.events, std::vector<std::string>{"Box ERROR!"});
}

TEST_F(PlaybackSystemTest, TheRateStepIsTheControlsFactorTimesTen) {
  subOpen();
  player->plRate(15);
  EXPECT_TRUE(fncbCalled("SetRate 1.500000"));
  EXPECT_EQ(player->plRate(), 15);
  control->rate = -1;
  EXPECT_EQ(player->plRate(), 0);
}

TEST_F(PlaybackSystemTest, TheSlowWavVariantIsCorrectedWhateverTheCaseOfItsName) {
  std::vector<int16_t> samples(100, 0);
  test::subWriteWav(dir / "slow.wav", 22050, 1, samples, 0xDA03);  // bytes 20, 21: 03 DA
  test::subWriteWav(dir / "plain.WAV", 22050, 1, samples);
  player->psFileName((dir / "slow.wav").string());
  control->calls.clear();
  player->pdPosition(1.0);
  EXPECT_EQ(control->calls, std::vector<std::string>{"Seek 1003"});
  control->position = 1000;
  EXPECT_NEAR(player->pdPosition(), 0.996926984111111, 1e-12);
  EXPECT_NEAR(player->pdDuration(), 10 * 0.996926984111111, 1e-9);

  player->psFileName((dir / "plain.WAV").string());
  control->calls.clear();
  player->pdPosition(1.0);
  EXPECT_EQ(control->calls, std::vector<std::string>{"Seek 1000"});
}

TEST_F(PlaybackSystemTest, APromptFileOpensWithoutCheckOrSpeedRow) {
  player->psnotXingFilename((dir / "prompts.wav").string());
  EXPECT_TRUE(player->mbAudioFileLoaded);
  EXPECT_EQ(player->mlCurrentAudioState, 0);
  EXPECT_EQ(speed.applied, 0);
  player->psnotXingFilename("");
  EXPECT_FALSE(player->mbAudioFileLoaded);
  EXPECT_EQ(player->mlCurrentAudioState, -1);
  EXPECT_EQ(player->psFileName(), "");
}

TEST(PositionCheckTimerTest, OneTimerPollsEveryAttachedObject) {
  cPositionCheckTimer timer;
  auto a = std::make_unique<cAudioPlaybackSystem>(std::make_unique<cFakeAudioControl>());
  auto b = std::make_unique<cAudioPlaybackSystem>(std::make_unique<cFakeAudioControl>());
  timer.subAttach(*a);
  timer.subAttach(*b);
  EXPECT_EQ(a->mtimerPositionCheckTimer, &timer);
  a->mbLookupTimer = b->mbLookupTimer = true;
  timer.subTick();
  EXPECT_EQ(a->msErrorLocation, "Timer");
  EXPECT_EQ(b->msErrorLocation, "Timer");
  b.reset();  // leaves the timer by itself
  timer.subTick();
  a->msErrorLocation.clear();
  timer.subDetach(*a);
  timer.subTick();
  EXPECT_EQ(a->msErrorLocation, "");
}

}  // namespace
}  // namespace lyn
