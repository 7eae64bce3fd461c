#include "platform/audio/WavHeader.h"

#include <cstring>

namespace lyn {
namespace {

void subPut32(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}
void subPut16(unsigned char* at, uint16_t value) {
  at[0] = static_cast<unsigned char>(value);
  at[1] = static_cast<unsigned char>(value >> 8);
}

}  // namespace

std::array<unsigned char, 44> fncWavHeader(int32_t rate, int32_t channels, int64_t frames) {
  constexpr uint32_t kUnknown = 0xFFFFFFFFu;
  constexpr uint64_t kRestOfHeader = 36;  // the RIFF size counts the header after its field
  std::array<unsigned char, 44> header{};
  const uint32_t block = static_cast<uint32_t>(channels) * 2;
  uint32_t riffSize = kUnknown;
  uint32_t dataSize = kUnknown;
  if (frames >= 0) {
    const uint64_t data = static_cast<uint64_t>(frames) * block;
    if (data + kRestOfHeader <= kUnknown - 1) {
      dataSize = static_cast<uint32_t>(data);
      riffSize = static_cast<uint32_t>(data + kRestOfHeader);
    }
  }
  std::memcpy(&header[0], "RIFF", 4);
  subPut32(&header[4], riffSize);
  std::memcpy(&header[8], "WAVEfmt ", 8);
  subPut32(&header[16], 16);
  subPut16(&header[20], 1);  // PCM
  subPut16(&header[22], static_cast<uint16_t>(channels));
  subPut32(&header[24], static_cast<uint32_t>(rate));
  subPut32(&header[28], static_cast<uint32_t>(rate) * block);
  subPut16(&header[32], static_cast<uint16_t>(block));
  subPut16(&header[34], 16);
  std::memcpy(&header[36], "data", 4);
  subPut32(&header[40], dataSize);
  return header;
}

}  // namespace lyn
