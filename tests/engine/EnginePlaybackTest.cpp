// Books played through the real audio engine onto a WAV sink on a virtual clock.

#include <gtest/gtest.h>

#include <cmath>

#include "EngineTestSupport.h"
#include "audio/cPhraseAudioHandler.h"
#include "audio/cPositionCheckTimer.h"
#include "platform/audio/cVirtualClock.h"
#include "platform/audio/cWavSink.h"
#include "tools/cSyntheticBook.h"

namespace lyn::testing {
namespace {

// Plays a book from point 1 to its end and returns the frames written (rate in `rate`).
int64_t fncPlayBookToWav(const std::filesystem::path& book, const std::filesystem::path& wav,
                         int* rate, std::vector<int16_t>* samples = nullptr,
                         std::vector<int32_t>* points = nullptr) {
  {
    cVirtualClock clock;
    cMessageQueue queue;
    cAudioPlaybackSystem player(
        std::make_unique<cPhraseAudioHandler>(eAudioRole::Book, std::make_unique<cWavSink>(wav, &clock)));
    player.plVolume(10);
    cPositionCheckTimer timer(&clock);
    timer.subAttach(player);
    cNCCReader reader(queue);
    cReaderRecorder recorder(reader);
    reader.subAddListener(recorder);
    reader.ctlDXM(&player);
    if (!reader.fncbLoadBook(book.string(), "ncc.html")) return -1;
    if (!reader.fncbPlayTocItem(1)) return -1;
    bool ended = false;
    for (int tick = 0; tick < 200000 && !ended; ++tick) {
      while (queue.hasNext())
        if (queue.fncgetNextMessageQueueItem()->fncgetMessageName() == "START") player.fncbPlay();
      queue.subclearQue();
      timer.subTick();
      ended = reader.fncbAtEndOfBook();
    }
    reader.subRemoveListener(recorder);
    if (points) {
      for (int32_t n : recorder.toc)
        if (points->empty() || points->back() != n) points->push_back(n);
    }
    if (!ended) return -2;
  }
  return fncWavFrames(wav, rate, samples);
}

TEST(EnginePlayback, ABookWhoseClipsCarryNoTimesPlaysEveryFileWhole) {
  TempFolder folder;
  tools::SyntheticOptions options;
  options.lPoints = 4;
  options.lSmilFiles = 2;
  options.lPars = 8;
  options.dClipSeconds = 0.25;
  options.lSampleRate = 8000;
  options.bolNoClipTimes = true;
  std::string error;
  ASSERT_TRUE(tools::cSyntheticBook::fncbMake(options, folder / "book", error)) << error;
  int rate = 0;
  std::vector<int32_t> points;
  const int64_t frames = fncPlayBookToWav(folder / "book", folder / "out.wav", &rate, nullptr, &points);
  ASSERT_GT(frames, 0);
  EXPECT_EQ(rate, 8000);
  EXPECT_NEAR(frames, 8 * 0.25 * 8000, 0.05 * 8000);
  EXPECT_EQ(points, (std::vector<int32_t>{1, 2, 3, 4}));
}

TEST(EnginePlayback, FullClockValuesPlayTheRightStretches) {
  TempFolder folder;
  // One second of silence, one of tone, one of silence; the clip takes the middle second.
  std::vector<int16_t> tone;
  const int rate = 8000;
  {
    std::string data;
    for (int i = 0; i < 3 * rate; ++i) {
      const bool loud = i >= rate && i < 2 * rate;
      const auto s = static_cast<int16_t>(loud ? std::lround(16000 * std::sin(2 * M_PI * 500.0 * i / rate)) : 0);
      data.push_back(static_cast<char>(s & 0xFF));
      data.push_back(static_cast<char>((s >> 8) & 0xFF));
    }
    fncWriteToneWav(folder / "seed.wav", 0.01, rate);  // a valid header to copy
    std::ifstream in(folder / "seed.wav", std::ios::binary);
    std::string header(44, '\0');
    in.read(header.data(), 44);
    auto put32 = [&](size_t at, uint32_t v) {
      for (int b = 0; b < 4; ++b) header[at + b] = static_cast<char>((v >> (8 * b)) & 0xFF);
    };
    put32(4, 36 + static_cast<uint32_t>(data.size()));
    put32(40, static_cast<uint32_t>(data.size()));
    fncWriteText(folder / "book" / "middle.wav", header + data);
  }
  fncWriteText(folder / "book" / "a.smil",
               fncSmil({{"p1", "middle.wav", "npt=0:00:01.000", "npt=0:00:02.000"},
                        {"p2", "middle.wav", "npt=00:01.5", "npt=1750ms"}}));
  fncWriteText(folder / "book" / "ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("Middle")}));
  int outRate = 0;
  std::vector<int16_t> samples;
  const int64_t frames = fncPlayBookToWav(folder / "book", folder / "out.wav", &outRate, &samples);
  ASSERT_GT(frames, 0);
  EXPECT_NEAR(frames, 1.25 * rate, 0.05 * rate);
  // Everything heard is the tone: no second of silence crept in.
  int64_t quiet = 0;
  for (size_t i = 0; i + 16 <= samples.size(); i += 16) {
    int peak = 0;
    for (size_t j = i; j < i + 16; ++j) peak = std::max(peak, std::abs(int(samples[j])));
    quiet += peak < 1000;
  }
  EXPECT_LT(quiet * 16, 0.05 * rate);
}

TEST(EnginePlayback, ASyntheticBookWithFullClockValuesPlaysAllItsClips) {
  TempFolder folder;
  tools::SyntheticOptions options;
  options.lPoints = 6;
  options.lSmilFiles = 3;
  options.lPars = 18;
  options.dClipSeconds = 0.2;
  options.lSampleRate = 8000;
  options.enClock = tools::enClockForm::Full;
  std::string error;
  ASSERT_TRUE(tools::cSyntheticBook::fncbMake(options, folder / "book", error)) << error;
  int rate = 0;
  std::vector<int32_t> points;
  const int64_t frames = fncPlayBookToWav(folder / "book", folder / "out.wav", &rate, nullptr, &points);
  EXPECT_NEAR(frames, 18 * 0.2 * 8000, 0.05 * 8000 + 0.002 * 18 * 0.2 * 8000);
  EXPECT_EQ(points, (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
}

}  // namespace
}  // namespace lyn::testing
