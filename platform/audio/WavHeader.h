#pragma once
// The 44-byte header of a 16-bit PCM WAV file, for every writer of WAV files (the WAV sink and
// the build tools).
//
// The RIFF and data sizes are 32-bit fields. A file whose data would not fit (over 4 GiB), and a
// stream whose length is not known when the header is written (a pipe, standard output), get
// 0xFFFFFFFF in both: readers then take the data to run to the end of the file.

#include <array>
#include <cstdint>

namespace lyn {

constexpr int64_t kWavLengthUnknown = -1;

// `frames` of `channels` x 16-bit samples at `rate`; kWavLengthUnknown for a stream.
std::array<unsigned char, 44> fncWavHeader(int32_t rate, int32_t channels, int64_t frames);

}  // namespace lyn
