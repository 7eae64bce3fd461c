// The playback object on the real control, with sinks on a virtual clock.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cPhraseAudioHandler.h"
#include "audio/cPositionCheckTimer.h"
#include "audio/cVariControl.h"
#include "platform/audio/cVirtualClock.h"
#include "platform/audio/cWavSink.h"
#include "platform/registry/cRegistry.h"
#include "tests/platform/audio/AudioTestFiles.h"

namespace lyn {
namespace {

class cSpeedLink : public iPlaybackSpeed {
 public:
  explicit cSpeedLink(cVariControl& vari) : mVari(vari) {}
  bool fncbBookshelfIsCurrent() const override { return false; }
  void subApplyCurrentSpeed() override { mVari.subSetSpeed(mVari.Speed()); }

 private:
  cVariControl& mVari;
};

class cEnds : public iAudioPlaybackListener {
 public:
  void evEndofStream() override { ++ends; }
  void evError() override { ++errors; }
  int ends = 0;
  int errors = 0;
};

class PlaybackIntegrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source = test::fncRamp(22050, 1, 5.0);
    test::subWriteWav(dir / "ramp.wav", 22050, 1, source);
    subMakePlayer();
  }
  void subMakePlayer() {
    player.reset();
    auto sink = std::make_unique<test::cCaptureSink>(clock);
    capture = sink.get();
    player = std::make_unique<cAudioPlaybackSystem>(
        std::make_unique<cPhraseAudioHandler>(eAudioRole::Book, std::move(sink)), &link);
    vari.subSetBookPlayer(player.get());
    timer.subAttach(*player);
    player->subAddListener(ends);
  }
  // Ticks until an end is reported; returns the ticks it took.
  int fncTicksToEnd(int limit = 100000) {
    const int before = ends.ends;
    int n = 0;
    while (ends.ends == before && n < limit) {
      timer.subTick();
      ++n;
    }
    return n;
  }

  test::cTempDir dir;
  std::vector<int16_t> source;
  cVirtualClock clock;
  cRegistry registry;
  cVariControl vari{registry, 6};
  cSpeedLink link{vari};
  cPositionCheckTimer timer{&clock};
  cEnds ends;
  test::cCaptureSink* capture = nullptr;
  std::unique_ptr<cAudioPlaybackSystem> player;
};

TEST_F(PlaybackIntegrationTest, AClipRendersItsSamplesAndAtMostOneTickMore) {
  player->psFileName((dir / "ramp.wav").string());
  player->plVolume(10);
  ASSERT_TRUE(player->fncbSetMark(2.5));
  player->pdPosition(1.0);
  ASSERT_TRUE(player->fncbPlay());
  fncTicksToEnd();
  player->fncbPause();
  timer.subTicks(5);
  ASSERT_GE(capture->samples.size(), 33075u);
  EXPECT_LE(capture->samples.size(), 33075u + 220u);
  EXPECT_TRUE(std::equal(capture->samples.begin(), capture->samples.end(), source.begin() + 22050));
}

TEST_F(PlaybackIntegrationTest, ConsecutiveClipsOfOneFileFollowWithoutAGap) {
  player->psFileName((dir / "ramp.wav").string());
  player->plVolume(10);
  player->fncbSetMark(2.5);
  player->pdPosition(1.0);
  player->fncbPlay();
  fncTicksToEnd();
  // The reader arms the next clip from inside the event's turn and does not seek.
  ASSERT_TRUE(player->fncbSetMark(4.0));
  EXPECT_FALSE(player->fncbPlay());  // still playing
  fncTicksToEnd();
  player->fncbPause();
  const size_t n = capture->samples.size();
  ASSERT_GE(n, size_t(3 * 22050));
  EXPECT_LE(n, size_t(3 * 22050 + 220));
  EXPECT_TRUE(std::equal(capture->samples.begin(), capture->samples.end(), source.begin() + 22050));
}

TEST_F(PlaybackIntegrationTest, AStopPointLeftByAnotherUserOfTheFileDoesNotEndTheNextClips) {
  // A list plays the file's first 2.5 s with a stop point and is interrupted at 0.5 s; a book
  // then plays the same file, still open, clip by clip with marks.
  player->psFileName((dir / "ramp.wav").string());
  ASSERT_TRUE(player->fncbStopAt(2.5));
  player->fncbPlay();
  timer.subTicks(50);
  ASSERT_TRUE(player->fncbSetMark(2.5));
  player->pdPosition(0.0);
  fncTicksToEnd();
  ASSERT_TRUE(player->fncbSetMark(4.0));
  player->fncbPlay();
  // The next 1.5 s are heard, not cut off at the list's stop point.
  EXPECT_GE(fncTicksToEnd(), 140);
  EXPECT_NEAR(player->pdPosition(), 4.0, 0.02);
  // A clip without an end plays to the end of the file, past a stop point set before.
  ASSERT_TRUE(player->fncbStopAt(4.5));
  player->subClearMark();
  EXPECT_GE(fncTicksToEnd(), 90);
}

TEST_F(PlaybackIntegrationTest, APromptStyleStopEndsOnTheExactSample) {
  player->psnotXingFilename((dir / "ramp.wav").string());
  player->plVolume(10);
  player->fncbPause();
  ASSERT_TRUE(player->fncbStopAt(1.7345));
  player->pdPosition(0.5);
  player->fncbPlay();
  fncTicksToEnd();
  const int64_t from = 11025;
  // 1734.5 ms goes to the control as 1734 (ties to even): frame 38234.7, rounded.
  const int64_t stop = std::llround(1734.0 * 22050 / 1000);
  ASSERT_EQ(int64_t(capture->samples.size()), stop - from);
  EXPECT_TRUE(std::equal(capture->samples.begin(), capture->samples.end(), source.begin() + from));
  EXPECT_EQ(player->mlCurrentAudioState, 0);
}

TEST_F(PlaybackIntegrationTest, AtStepFifteenAToneKeepsItsPitchAndShrinksByTheTempo) {
  test::subWriteWav(dir / "tone.wav", 22050, 1, test::fncSine(22050, 1, 6.0, 440));
  vari.subSetSpeed(15);  // "200, 3000, 100, 30, 500, 500"
  player->psFileName((dir / "tone.wav").string());
  player->plVolume(10);
  EXPECT_TRUE(player->mbIsUsingVari);
  player->fncbPlay();
  fncTicksToEnd();
  const double seconds = double(capture->samples.size()) / 22050;
  EXPECT_NEAR(seconds, 3.0, 3.0 * 0.02);
  int crossings = 0;
  for (size_t i = 22051; i < 2 * 22050; ++i)
    if ((capture->samples[i - 1] < 0) != (capture->samples[i] < 0)) ++crossings;
  EXPECT_NEAR(crossings / 2.0, 440, 440 * 0.02);
}

TEST_F(PlaybackIntegrationTest, HigherStepsShortenTheTwoSecondPausesAndKeepTheSpeech) {
  const auto speech = test::fncSpeechWithPauses(22050, 4, 1.0, 2.0);
  test::subWriteWav(dir / "speech.wav", 22050, 1, speech);
  size_t spoken = 0;
  for (int16_t s : speech) spoken += s != 0;
  cRegistry registryB;
  cVariControl setB(registryB, 6);  // processor class 4: set B, tempo 100 for steps 5 to 9
  vari.subSetBookPlayer(nullptr);
  setB.subSetBookPlayer(player.get());
  cSpeedLink linkB(setB);
  double previous = 1e9;
  for (int step : {5, 6, 7, 9}) {
    auto sink = std::make_unique<test::cCaptureSink>(clock);
    auto* heard = sink.get();
    cAudioPlaybackSystem book(
        std::make_unique<cPhraseAudioHandler>(eAudioRole::Book, std::move(sink)), &linkB);
    setB.subSetBookPlayer(&book);
    setB.subSetSpeed(step);
    cEnds end;
    book.subAddListener(end);
    timer.subAttach(book);
    book.psFileName((dir / "speech.wav").string());
    book.plVolume(10);
    book.fncbPlay();
    for (int i = 0; i < 2000 && end.ends == 0; ++i) timer.subTick();
    size_t kept = 0;
    for (int16_t s : heard->samples) kept += s != 0;
    EXPECT_EQ(kept, spoken) << "step " << step;
    const double pauses = double(heard->samples.size() - kept) / 22050 / 3;
    EXPECT_LT(pauses, previous + 1e-9) << "step " << step;
    if (step > 5) {
      EXPECT_LT(pauses, 2.0 * 0.95) << "step " << step;
    }
    previous = pauses;
  }
  setB.subSetBookPlayer(nullptr);
}

TEST_F(PlaybackIntegrationTest, BadFilesReportErrorOneAndLeaveTheObjectUsable) {
  std::ofstream(dir / "empty.mp3").close();
  std::ofstream(dir / "text.mp3") << "just words";
  std::ofstream(dir / "header.wav", std::ios::binary) << std::string("RIFF\x10\0\0\0WAVE", 12);
  for (const char* name : {"missing.mp3", "empty.mp3", "text.mp3", "header.wav"}) {
    player->mlErrorNumber = 0;
    player->psFileName((dir / name).string());
    EXPECT_EQ(player->mlErrorNumber, 1) << name;
    EXPECT_EQ(player->psFileName(), "") << name;
  }
  player->psFileName((dir / "ramp.wav").string());
  EXPECT_EQ(player->psFileName(), (dir / "ramp.wav").string());
  EXPECT_DOUBLE_EQ(player->pdDuration(), 5.0);
  player->pdPosition(5.3);
  EXPECT_EQ(player->mlErrorNumber, 2);
  EXPECT_FALSE(player->fncbSetMark(5.3));
  EXPECT_EQ(player->mlErrorNumber, 7);
  player->plVolume(10);
  player->pdPosition(4.9);
  player->fncbPlay();
  EXPECT_LT(fncTicksToEnd(), 20);
  // Closing while playing, then the next file.
  player->pdPosition(1.0);
  player->fncbPlay();
  timer.subTicks(3);
  EXPECT_TRUE(player->fncbQuit());
  timer.subTicks(3);
  player->psFileName((dir / "ramp.wav").string());
  EXPECT_TRUE(player->mbAudioFileLoaded);
}

TEST_F(PlaybackIntegrationTest, ATruncatedMp3EndsAndStillRaisesTheEnd) {
  // Long enough that what remains is more than the audio decoded ahead at the open, so the
  // damage is found only while playing.
  test::subWriteWav(dir / "tone.wav", 22050, 1, test::fncSine(22050, 1, 20.0, 440));
  ASSERT_TRUE(test::fncbEncodeMp3(dir / "tone.wav", dir / "tone.mp3")) << "lame is needed";
  std::ifstream in(dir / "tone.mp3", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ofstream(dir / "cut.mp3", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  player->psFileName((dir / "cut.mp3").string());
  ASSERT_TRUE(player->mbAudioFileLoaded);
  EXPECT_NEAR(player->pdDuration(), 20.0, 0.001);  // as the header says
  ASSERT_TRUE(player->fncbSetMark(player->pdDuration()));
  player->fncbPlay();
  EXPECT_LT(fncTicksToEnd(3000), 3000);
  EXPECT_LT(player->pdDuration(), 10.2);  // the true length, learnt at the end
}

TEST_F(PlaybackIntegrationTest, AnMp3WithoutLengthHeaderIsMeasuredOnlyForAMarkNearItsEnd) {
  test::subWriteWav(dir / "tone.wav", 22050, 1, test::fncSine(22050, 1, 6.0, 440));
  // -t: no LAME/Xing header, so the length is estimated from the file's size.
  ASSERT_TRUE(test::fncbEncodeMp3(dir / "tone.wav", dir / "tone.mp3", "-b 64 -t"));
  const double decoded = double(test::fncReferenceDecode(dir / "tone.mp3").size()) / 22050;
  player->psFileName((dir / "tone.mp3").string());
  ASSERT_TRUE(player->mbAudioFileLoaded);
  PhraseAudioHandler& control = *player->mdahAudioSystem;
  EXPECT_FALSE(control.DurationIsExact());
  const double estimate = player->pdDuration();

  // A clip far from the end: the file is never read through for it.
  ASSERT_TRUE(player->fncbSetMark(1.0));
  player->fncbPlay();
  fncTicksToEnd();
  timer.subTicks(20);
  EXPECT_FALSE(control.DurationIsExact());
  EXPECT_EQ(player->pdDuration(), estimate);

  // A clip that ends within a second of the estimated end: its true end is learnt while it plays.
  player->pdPosition(estimate - 2.0);
  ASSERT_TRUE(player->fncbSetMark(estimate - 0.5));
  player->fncbPlay();
  const int ticks = fncTicksToEnd(1000);
  EXPECT_LT(ticks, 1000);
  EXPECT_TRUE(control.DurationIsExact());
  EXPECT_NEAR(player->pdDuration(), decoded, 0.001);
}

TEST_F(PlaybackIntegrationTest, AnMp3ClipEqualsWhatMpg123Decodes) {
  test::subWriteWav(dir / "tone.wav", 22050, 1, test::fncSine(22050, 1, 4.0, 523));
  ASSERT_TRUE(test::fncbEncodeMp3(dir / "tone.wav", dir / "tone.mp3")) << "lame is needed";
  const auto reference = test::fncReferenceDecode(dir / "tone.mp3");
  player->psFileName((dir / "tone.mp3").string());
  player->plVolume(10);
  ASSERT_TRUE(player->fncbStopAt(2.5));
  player->pdPosition(1.0);
  player->fncbPlay();
  fncTicksToEnd();
  ASSERT_EQ(capture->samples.size(), 33075u);
  int worst = 0;
  for (size_t i = 0; i < capture->samples.size(); ++i)
    worst = std::max(worst, std::abs(capture->samples[i] - reference[22050 + i]));
  EXPECT_LE(worst, 2);
}

TEST(PhraseAudioHandlerTest, VolumeStepsAreEvenInLoudnessAndNeverAmplify) {
  EXPECT_EQ(cPhraseAudioHandler::fncVolumeGain(0), 0.0);
  EXPECT_EQ(cPhraseAudioHandler::fncVolumeGain(10), 1.0);
  EXPECT_EQ(cPhraseAudioHandler::fncVolumeGain(12), 1.0);
  for (int step = 1; step <= 10; ++step) {
    // Loudness ~ gain^0.6 rises by a tenth per step.
    EXPECT_NEAR(std::pow(cPhraseAudioHandler::fncVolumeGain(step), 0.6), step / 10.0, 1e-9);
  }
}

TEST(PhraseAudioHandlerTest, ThePromptControlHasNoSpeedStage) {
  cVirtualClock clock;
  cPhraseAudioHandler prompt(eAudioRole::Prompt, std::make_unique<test::cCaptureSink>(clock));
  EXPECT_FALSE(prompt.IsUsingVari());
  EXPECT_FALSE(prompt.SetRate(1.5));
  EXPECT_TRUE(prompt.SetRate(1.0));
  EXPECT_EQ(prompt.Position(), -1);
  EXPECT_EQ(prompt.Duration(), 0);
  EXPECT_FALSE(prompt.Play());
  EXPECT_EQ(prompt.LastError(), "Play: no file open");
  cPhraseAudioHandler book(eAudioRole::Book, std::make_unique<test::cCaptureSink>(clock));
  EXPECT_TRUE(book.IsUsingVari());
  EXPECT_FALSE(book.SetRate(5.0));
}

TEST(PhraseAudioHandlerTest, TheMediaCheckOpensAndDecodesTheFirstFrame) {
  test::cTempDir dir;
  test::subWriteWav(dir / "a.wav", 22050, 1, test::fncRamp(22050, 1, 0.2));
  std::ofstream(dir / "b.mp3") << "no";
  std::string error;
  EXPECT_TRUE(fncbCanPlayAudioFile((dir / "a.wav").string(), &error));
  EXPECT_FALSE(fncbCanPlayAudioFile((dir / "b.mp3").string(), &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace lyn
