#include <gtest/gtest.h>

#include "platform/audio/WavHeader.h"

namespace lyn {
namespace {

uint32_t fncField(const std::array<unsigned char, 44>& h, size_t at) {
  return uint32_t(h[at]) | uint32_t(h[at + 1]) << 8 | uint32_t(h[at + 2]) << 16 |
         uint32_t(h[at + 3]) << 24;
}

TEST(WavHeaderTest, SizesAreExactWhileTheyFitAndMarkedUnknownBeyondFourGibibytes) {
  const auto small = fncWavHeader(44100, 2, 10);
  EXPECT_EQ(fncField(small, 4), 36u + 40u);
  EXPECT_EQ(fncField(small, 40), 40u);
  EXPECT_EQ(fncField(small, 24), 44100u);
  EXPECT_EQ(fncField(small, 28), 44100u * 4);

  // The largest whole number of stereo frames whose RIFF size still fits.
  const int64_t fits = (0xFFFFFFFEll - 36) / 4;
  const auto largest = fncWavHeader(44100, 2, fits);
  EXPECT_EQ(fncField(largest, 40), uint32_t(fits * 4));
  EXPECT_EQ(fncField(largest, 4), uint32_t(fits * 4 + 36));

  // A whole book at 44.1 kHz stereo can pass 4 GiB: neither field may wrap to a small number.
  for (int64_t frames : {fits + 1, int64_t(0xFFFFFFF0ll / 4), int64_t(0x1'0000'0000ll),
                         int64_t(7'000'000'000ll)}) {
    const auto big = fncWavHeader(44100, 2, frames);
    EXPECT_EQ(fncField(big, 4), 0xFFFFFFFFu) << frames;
    EXPECT_EQ(fncField(big, 40), 0xFFFFFFFFu) << frames;
  }
  const auto stream = fncWavHeader(22050, 1, kWavLengthUnknown);
  EXPECT_EQ(fncField(stream, 4), 0xFFFFFFFFu);
  EXPECT_EQ(fncField(stream, 40), 0xFFFFFFFFu);
  EXPECT_EQ(std::string(stream.begin() + 36, stream.begin() + 40), "data");
}

}  // namespace
}  // namespace lyn
