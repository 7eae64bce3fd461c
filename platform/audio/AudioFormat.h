#pragma once
// The shape of the samples that flow through the audio layer: interleaved signed 16-bit frames.

#include <cstdint>

namespace lyn {

struct AudioFormat {
  int32_t rate = 0;      // frames per second
  int32_t channels = 0;  // 1 or 2

  bool operator==(const AudioFormat&) const = default;
  bool fncbValid() const { return rate > 0 && (channels == 1 || channels == 2); }
};

// Frames of `format` in `microseconds`, rounded down.
inline int64_t fncFramesIn(const AudioFormat& format, int64_t microseconds) {
  return microseconds * format.rate / 1000000;
}

}  // namespace lyn
