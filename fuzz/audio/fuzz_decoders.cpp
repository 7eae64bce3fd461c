// Arbitrary bytes as an audio file: opening, reading, seeking and reading again must never
// crash, hang or read out of bounds, whatever the decoder makes of them.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/audio/AudioDecoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/lyn-fuzz-audio-" + std::to_string(getpid());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  std::string error;
  if (auto decoder = lyn::fncOpenAudioDecoder(path, error)) {
    std::vector<int16_t> frames(4096 * 2);
    size_t total = 0;
    while (total < 200000) {
      const size_t n = decoder->fncRead(frames.data(), 4096);
      if (n == 0) break;
      total += n;
    }
    decoder->fncbSeek(decoder->fncLength() / 2);
    decoder->fncRead(frames.data(), 4096);
    decoder->fncbSeek(0);
    decoder->fncRead(frames.data(), 4096);
  }
  std::remove(path.c_str());
  return 0;
}
