#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <sstream>
#include <thread>

#include "platform/audio/AudioSinks.h"
#include "platform/audio/cAudioEngine.h"
#include "platform/audio/cNullSink.h"
#include "platform/audio/cSoundDeviceNotice.h"
#include "platform/audio/cVirtualClock.h"
#include "platform/audio/cWavSink.h"
#include "tests/platform/audio/AudioTestFiles.h"

namespace lyn {
namespace {

using test::cCaptureSink;

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source = test::fncRamp(22050, 1, 5.0);
    test::subWriteWav(dir / "ramp.wav", 22050, 1, source);
    auto sink = std::make_unique<cCaptureSink>(clock);
    capture = sink.get();
    engine = std::make_unique<cAudioEngine>(std::move(sink), true);
  }
  void subOpen(const std::string& name) {
    std::string error;
    ASSERT_TRUE(engine->fncbOpen(dir / name, error)) << error;
  }
  // Advances 10 ms at a time until the engine stops or `ticks` run out.
  int fncRunUntilStopped(int ticks = 100000) {
    int n = 0;
    while (n < ticks && engine->fncState() == cAudioEngine::eState::Running) {
      clock.subAdvance(10);
      ++n;
    }
    return n;
  }
  std::vector<int16_t> fncSource(int64_t from, int64_t to) const {
    return {source.begin() + from, source.begin() + to};
  }

  test::cTempDir dir;
  std::vector<int16_t> source;
  cVirtualClock clock;
  cCaptureSink* capture = nullptr;
  std::unique_ptr<cAudioEngine> engine;
};

TEST_F(EngineTest, AClipRendersExactlyItsSamples) {
  subOpen("ramp.wav");
  ASSERT_TRUE(engine->fncbSeek(22050));
  engine->subSetStopPoint(55125);
  ASSERT_TRUE(engine->fncbPlay());
  fncRunUntilStopped();
  EXPECT_TRUE(engine->fncbEndOfStream());
  EXPECT_EQ(engine->fncPosition(), 55125);
  EXPECT_EQ(capture->samples, fncSource(22050, 55125));
}

TEST_F(EngineTest, PlayingOnPastAStopPointContinuesWithoutAGap) {
  subOpen("ramp.wav");
  engine->fncbSeek(22050);
  engine->subSetStopPoint(55125);
  engine->fncbPlay();
  fncRunUntilStopped();
  engine->subSetStopPoint(88200);
  engine->fncbPlay();
  fncRunUntilStopped();
  EXPECT_EQ(capture->samples, fncSource(22050, 88200));
}

TEST_F(EngineTest, ThePositionIsWhatHasBeenHeard) {
  subOpen("ramp.wav");
  EXPECT_EQ(engine->fncPosition(), 0);
  engine->fncbPlay();
  for (int i = 0; i < 10; ++i) clock.subAdvance(10);
  EXPECT_EQ(engine->fncPosition(), 2205);
  EXPECT_EQ(capture->samples.size(), 2205u);
  // Paused, time passes and nothing more is heard; playing resumes where it stopped.
  engine->fncbPause();
  clock.subAdvance(500);
  EXPECT_EQ(engine->fncPosition(), 2205);
  engine->fncbPlay();
  clock.subAdvance(100);
  EXPECT_EQ(capture->samples, fncSource(0, 2205 + 2205));
}

TEST_F(EngineTest, ASeekWhilePlayingIsHeardAtOnce) {
  subOpen("ramp.wav");
  engine->fncbPlay();
  clock.subAdvance(100);
  engine->fncbSeek(66150);
  EXPECT_EQ(engine->fncPosition(), 66150);
  capture->samples.clear();
  clock.subAdvance(10);
  EXPECT_EQ(capture->samples, fncSource(66150, 66150 + 220));
}

TEST_F(EngineTest, TheEndOfTheFileStopsPlaybackAndSeeksAreClampedToIt) {
  subOpen("ramp.wav");
  engine->fncbSeek(10'000'000);
  EXPECT_EQ(engine->fncPosition(), 110250);
  engine->fncbPlay();
  fncRunUntilStopped(10);
  EXPECT_TRUE(engine->fncbEndOfStream());
  EXPECT_TRUE(capture->samples.empty());
  engine->fncbSeek(110250 - 441);
  engine->fncbPlay();
  EXPECT_FALSE(engine->fncbEndOfStream());
  fncRunUntilStopped();
  EXPECT_TRUE(engine->fncbEndOfStream());
  EXPECT_EQ(capture->samples, fncSource(110250 - 441, 110250));
}

TEST_F(EngineTest, ClosingWhilePlayingIsSafeAndTheNextFilePlays) {
  subOpen("ramp.wav");
  engine->fncbPlay();
  clock.subAdvance(30);
  engine->subClose();
  EXPECT_FALSE(engine->fncbHasFile());
  EXPECT_EQ(engine->fncPosition(), -1);
  EXPECT_FALSE(engine->fncbPlay());
  clock.subAdvance(30);
  std::string error;
  EXPECT_FALSE(engine->fncbOpen(dir / "missing.wav", error));
  subOpen("ramp.wav");
  capture->samples.clear();
  engine->fncbPlay();
  clock.subAdvance(10);
  EXPECT_EQ(capture->samples, fncSource(0, 220));
}

TEST_F(EngineTest, VolumeScalesWhatIsHeard) {
  subOpen("ramp.wav");
  engine->subSetGain(0.5);
  engine->fncbPlay();
  clock.subAdvance(10);
  ASSERT_EQ(capture->samples.size(), 220u);
  for (size_t i = 0; i < 220; ++i)
    EXPECT_NEAR(capture->samples[i], source[i] / 2.0, 0.5001);
  engine->subSetGain(0);
  clock.subAdvance(10);
  EXPECT_EQ(capture->samples[300], 0);
}

TEST_F(EngineTest, AtTwiceTheTempoAToneKeepsItsPitchAndTakesHalfTheTime) {
  const auto tone = test::fncSine(22050, 1, 4.0, 440);
  test::subWriteWav(dir / "tone.wav", 22050, 1, tone);
  subOpen("tone.wav");
  SpeedSettings settings;
  settings.tempo = 2.0;
  engine->subSetSpeed(settings);
  engine->fncbPlay();
  fncRunUntilStopped();
  EXPECT_TRUE(engine->fncbSpeedStageActive());
  const double seconds = double(capture->samples.size()) / 22050;
  EXPECT_NEAR(seconds, 2.0, 2.0 * 0.02);
  // Pitch from the zero crossings of the middle second.
  int crossings = 0;
  for (size_t i = 11025 + 1; i < 11025 + 22050; ++i)
    if ((capture->samples[i - 1] < 0) != (capture->samples[i] < 0)) ++crossings;
  EXPECT_NEAR(crossings / 2.0, 440, 440 * 0.02);
  EXPECT_EQ(engine->fncPosition(), 88200);
}

TEST_F(EngineTest, PauseShorteningShortensPausesAndKeepsEverySpeechSample) {
  const auto speech = test::fncSpeechWithPauses(22050, 4, 1.0, 2.0);
  test::subWriteWav(dir / "speech.wav", 22050, 1, speech);
  subOpen("speech.wav");
  SpeedSettings settings;  // a row with the recorded tempo that speeds up through its pauses
  settings.pauses = {3000, 200, 25, 1000, 150};
  engine->subSetSpeed(settings);
  engine->fncbPlay();
  fncRunUntilStopped();
  std::vector<int16_t> kept;
  std::vector<int16_t> spoken;
  for (int16_t s : capture->samples)
    if (s != 0) kept.push_back(s);
  for (int16_t s : speech)
    if (s != 0) spoken.push_back(s);
  EXPECT_EQ(kept, spoken);
  // Each 2-second pause is long (from 1000 ms): kept at 100/150 of its length.
  const double pauses = double(capture->samples.size() - spoken.size()) / 22050 / 3;
  EXPECT_NEAR(pauses, 2.0 / 1.5, 0.03);
  EXPECT_EQ(engine->fncPosition(), int64_t(speech.size()));
}

TEST_F(EngineTest, ShortPausesAreNeverMadeShorterThan80Milliseconds) {
  const auto speech = test::fncSpeechWithPauses(22050, 3, 0.5, 0.3);
  test::subWriteWav(dir / "speech.wav", 22050, 1, speech);
  subOpen("speech.wav");
  SpeedSettings settings;
  settings.pauses = {3000, 500, 25, 1000, 500};
  engine->subSetSpeed(settings);
  engine->fncbPlay();
  fncRunUntilStopped();
  int64_t silent = 0;
  for (int16_t s : capture->samples) silent += s == 0;
  // 300 ms / 5 would be 60 ms; 80 ms are kept, plus what shares a 10-ms block with speech.
  const double pause = double(silent) / 22050 / 2;
  EXPECT_GE(pause, 0.08);
  EXPECT_LE(pause, 0.10);
}

TEST(WavSinkTest, WritesExactlyWhatIsHeardAndOnlyWhenComplete) {
  test::cTempDir dir;
  const auto source = test::fncRamp(22050, 2, 1.0);
  test::subWriteWav(dir / "in.wav", 22050, 2, source);
  cVirtualClock clock;
  {
    cAudioEngine engine(std::make_unique<cWavSink>(dir / "out.wav", &clock), false);
    std::string error;
    ASSERT_TRUE(engine.fncbOpen(dir / "in.wav", error));
    engine.fncbSeek(11025);
    engine.fncbPlay();
    clock.subAdvance(100);
    engine.fncbPause();
    clock.subAdvance(100);  // a pause adds nothing to the file
    engine.fncbPlay();
    clock.subAdvance(50);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
  }
  AudioFormat format;
  const auto written = test::fncReadWav(dir / "out.wav", &format);
  EXPECT_EQ(format, (AudioFormat{22050, 2}));
  const size_t frames = 2205 + 1102;
  ASSERT_EQ(written.size(), frames * 2);
  EXPECT_TRUE(std::equal(written.begin(), written.end(), source.begin() + 11025 * 2));
  EXPECT_FALSE(std::filesystem::exists(dir / "out.wav.tmp"));
}

// On the wall clock the sink has no thread of its own: what the clock says is due is taken when
// the position is looked at, and a pause ends it on the frame heard at that moment. The bounds
// come from the times measured around each step, so a slow machine cannot fail the test.
TEST(WavSinkTest, OnTheWallClockWhatIsDueIsTakenWhenThePositionIsLookedAt) {
  using std::chrono::steady_clock;
  test::cTempDir dir;
  const auto source = test::fncRamp(22050, 1, 3.0);
  test::subWriteWav(dir / "in.wav", 22050, 1, source);
  auto sink = std::make_unique<cWavSink>(dir / "out.wav", nullptr);
  cWavSink& wav = *sink;
  int64_t paused = 0;
  {
    cAudioEngine engine(std::move(sink), false);
    std::string error;
    ASSERT_TRUE(engine.fncbOpen(dir / "in.wav", error)) << error;
    const auto deadline = steady_clock::now() + std::chrono::seconds(30);
    while (engine.fncFramesReady() < 4410 && steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const int64_t ready = engine.fncFramesReady();
    ASSERT_GE(ready, 4410);
    const auto playing = steady_clock::now();
    ASSERT_TRUE(engine.fncbPlay());
    const auto played = steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto before = steady_clock::now();
    const int64_t heard = engine.fncPosition();
    const auto after = steady_clock::now();
    const auto frames = [](steady_clock::duration d) {
      return std::chrono::duration_cast<std::chrono::microseconds>(d).count() * 22050 / 1000000;
    };
    // Frames come out of the buffer only, so at least what was ready at the start or what was
    // due, whichever is less; never more than was due by the time the look ended.
    EXPECT_GE(heard, std::min(ready, frames(before - played)) - 1);
    EXPECT_LE(heard, frames(after - playing) + 1);
    ASSERT_TRUE(engine.fncbPause());
    paused = engine.fncPosition();
    EXPECT_GE(paused, heard);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(engine.fncPosition(), paused);
    ASSERT_TRUE(wav.fncbClose(error)) << error;
  }
  // The file holds exactly the frames heard, from the start on.
  const auto written = test::fncReadWav(dir / "out.wav");
  ASSERT_EQ(int64_t(written.size()), paused);
  EXPECT_TRUE(std::equal(written.begin(), written.end(), source.begin()));
}

TEST(WavSinkTest, AnUnwritablePathFallsBackToNoSoundWithOneWarning) {
  test::cTempDir dir;
  test::subWriteWav(dir / "in.wav", 22050, 1, test::fncRamp(22050, 1, 0.5));
  cVirtualClock clock;
  cAudioEngine engine(std::make_unique<cWavSink>(dir / "no" / "such" / "out.wav", &clock), false);
  std::string error;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(engine.fncbOpen(dir / "in.wav", error));
  const std::string warnings = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 2) << warnings;
  EXPECT_STREQ(engine.fncSinkName(), "null");
  EXPECT_TRUE(engine.fncbPlay());
}

// A sound device that is not there.
class cMissingDeviceSink final : public iAudioSink {
 public:
  bool fncbStart(iAudioSource&, const AudioFormat&) override { return false; }
  void subStop() override {}
  const char* fncName() const override { return "sdl"; }
};

TEST(SoundDeviceNoticeTest, TwoPlayersWithoutADeviceSayItOnceBetweenThem) {
  test::cTempDir dir;
  test::subWriteWav(dir / "mono.wav", 22050, 1, test::fncRamp(22050, 1, 0.2));
  test::subWriteWav(dir / "stereo.wav", 44100, 2, test::fncRamp(44100, 2, 0.2));
  std::ostringstream said;
  cSoundDeviceNotice notice(said);
  cAudioEngine book(std::make_unique<cMissingDeviceSink>(), true, &notice);
  cAudioEngine prompts(std::make_unique<cMissingDeviceSink>(), false, &notice);
  std::string error;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(book.fncbOpen(dir / "mono.wav", error)) << error;
  ASSERT_TRUE(prompts.fncbOpen(dir / "stereo.wav", error)) << error;
  ASSERT_TRUE(book.fncbOpen(dir / "stereo.wav", error)) << error;
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(said.str(), std::string(cSoundDeviceNotice::kText) + "\n");
  EXPECT_TRUE(notice.fncbSaid());
  // Both play on, without sound.
  EXPECT_STREQ(book.fncSinkName(), "null");
  EXPECT_STREQ(prompts.fncSinkName(), "null");
  EXPECT_TRUE(book.fncbPlay());
}

TEST(SoundDeviceNoticeTest, APlayerOfItsOwnWarnsOnceOnStandardError) {
  test::cTempDir dir;
  test::subWriteWav(dir / "mono.wav", 22050, 1, test::fncRamp(22050, 1, 0.2));
  test::subWriteWav(dir / "stereo.wav", 44100, 2, test::fncRamp(44100, 2, 0.2));
  cAudioEngine engine(std::make_unique<cMissingDeviceSink>(), true);
  std::string error;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(engine.fncbOpen(dir / "mono.wav", error)) << error;
  ASSERT_TRUE(engine.fncbOpen(dir / "stereo.wav", error)) << error;
  EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(cSoundDeviceNotice::kText) + "\n");
}

TEST(AudioChoiceTest, LynAudioChoosesTheSink) {
  EXPECT_EQ(fncParseAudioChoice("null").kind, AudioChoice::eKind::Null);
  EXPECT_EQ(fncParseAudioChoice("sdl").kind, AudioChoice::eKind::Sdl);
  EXPECT_EQ(fncParseAudioChoice("").kind, AudioChoice::eKind::Sdl);
  const auto wav = fncParseAudioChoice("wav:/tmp/x y.wav");
  EXPECT_EQ(wav.kind, AudioChoice::eKind::Wav);
  EXPECT_EQ(wav.path, "/tmp/x y.wav");
  testing::internal::CaptureStderr();
  EXPECT_EQ(fncParseAudioChoice("alsa").kind, AudioChoice::eKind::Sdl);
  EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
  auto sink = fncMakeAudioSink(wav, ".prompts", nullptr);
  EXPECT_STREQ(sink->fncName(), "wav");
  EXPECT_EQ(static_cast<cWavSink&>(*sink).fncPath(), "/tmp/x y.prompts.wav");
}

}  // namespace
}  // namespace lyn
