// The end of every clip is reported while a sink on its own thread pulls without pause: the
// clip may end at any instant of a poll.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cPhraseAudioHandler.h"
#include "platform/audio/iAudioSink.h"
#include "tests/platform/audio/AudioTestFiles.h"

namespace lyn {
namespace {

// Takes whatever the engine has ready, as fast as it comes, on a thread of its own.
class cGreedySink final : public iAudioSink {
 public:
  ~cGreedySink() override { subStop(); }
  bool fncbStart(iAudioSource& source, const AudioFormat& format) override {
    subStop();
    mbStop = false;
    mThread = std::thread([this, &source, format] {
      std::vector<int16_t> buffer(static_cast<size_t>(64 * format.channels));
      while (!mbStop.load()) {
        if (source.fncPull(buffer.data(), 64, false) == 0) std::this_thread::yield();
      }
    });
    return true;
  }
  void subStop() override {
    mbStop = true;
    if (mThread.joinable()) mThread.join();
  }
  const char* fncName() const override { return "greedy"; }

 private:
  std::atomic<bool> mbStop{false};
  std::thread mThread;
};

class cEndCounter : public iAudioPlaybackListener {
 public:
  void evEndofStream() override { ++ends; }
  int ends = 0;
};

TEST(ClipEndStressTest, EveryClipEndIsReportedWhileTheSinkPullsContinuously) {
  test::cTempDir dir;
  test::subWriteWav(dir / "clip.wav", 22050, 1, test::fncRamp(22050, 1, 0.03));
  const std::string clip = (dir / "clip.wav").string();
  cAudioPlaybackSystem player(
      std::make_unique<cPhraseAudioHandler>(eAudioRole::Book, std::make_unique<cGreedySink>()));
  cEndCounter counter;
  player.subAddListener(counter);

  constexpr int kClips = 2000;
  int lost = 0;
  for (int i = 0; i < kClips; ++i) {
    player.psFileName(clip);
    ASSERT_TRUE(player.mbAudioFileLoaded);
    player.plVolume(10);
    // A mark on the last sample, as the reader arms for a clip that runs to the end of its file.
    ASSERT_TRUE(player.fncbSetMark(player.pdDuration()));
    ASSERT_TRUE(player.fncbPlay());
    const int before = counter.ends;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (counter.ends == before && std::chrono::steady_clock::now() < deadline)
      player.subDoYourEvents();
    if (counter.ends == before && ++lost == 3) break;  // a lost end never comes: enough to know
    EXPECT_LE(counter.ends, before + 1) << "clip " << i << " ended twice";
    EXPECT_FALSE(player.mbMarkSet);
  }
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(counter.ends, kClips);
  player.subRemoveListener(counter);
}

}  // namespace
}  // namespace lyn
