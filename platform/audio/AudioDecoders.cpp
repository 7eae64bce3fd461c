#include "platform/audio/AudioDecoders.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/audio/cMpg123Decoder.h"
#include "platform/audio/cSndfileDecoder.h"
#include "platform/storage/cRegularFile.h"

namespace lyn {
namespace {

enum class eKind { Sndfile, Mpeg, Unknown };

bool fncbIsMpegHeader(const unsigned char* p) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  const int version = (p[1] >> 3) & 3;  // 1 is reserved
  const int layer = (p[1] >> 1) & 3;    // 0 is reserved
  const int bitrate = p[2] >> 4;        // 15 is invalid
  const int rate = (p[2] >> 2) & 3;     // 3 is reserved
  return version != 1 && layer != 0 && bitrate != 15 && rate != 3;
}

// Frame length in bytes of a valid header, 0 when it cannot be told (free format).
size_t fncMpegFrameBytes(const unsigned char* p) {
  static constexpr int kBitrates[2][3][16] = {
      {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
       {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
       {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
      {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
  static constexpr int kRates[4][3] = {
      {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
  const int version = (p[1] >> 3) & 3;
  const int layer = 4 - ((p[1] >> 1) & 3);
  const int kbps = kBitrates[version == 3 ? 0 : 1][layer - 1][p[2] >> 4];
  const int rate = kRates[version][(p[2] >> 2) & 3];
  const int padding = (p[2] >> 1) & 1;
  if (kbps == 0 || rate == 0) return 0;
  if (layer == 1) return static_cast<size_t>((12 * kbps * 1000 / rate + padding) * 4);
  const int factor = (layer == 3 && version != 3) ? 72 : 144;
  return static_cast<size_t>(factor * kbps * 1000 / rate + padding);
}

// Two frame headers in a row, the second where the first says it ends: MPEG audio, not chance.
bool fncbHasMpegFrames(const std::vector<unsigned char>& head) {
  for (size_t i = 0; i + 4 <= head.size(); ++i) {
    if (!fncbIsMpegHeader(&head[i])) continue;
    const size_t bytes = fncMpegFrameBytes(&head[i]);
    if (bytes == 0 || i + bytes + 4 > head.size()) {
      if (bytes != 0 && i + bytes >= head.size() && i == 0) return true;  // a one-frame file
      continue;
    }
    if (fncbIsMpegHeader(&head[i + bytes])) return true;
  }
  return false;
}

eKind fncProbe(const std::vector<unsigned char>& head) {
  auto starts = [&](const char* magic, size_t at = 0) {
    const size_t n = std::strlen(magic);
    return head.size() >= at + n && std::memcmp(head.data() + at, magic, n) == 0;
  };
  if ((starts("RIFF") || starts("RIFX") || starts("RF64")) && starts("WAVE", 8))
    return eKind::Sndfile;
  if (starts("FORM") || starts("fLaC") || starts("OggS") || starts(".snd") || starts("caff"))
    return eKind::Sndfile;
  if (starts("ID3")) return eKind::Mpeg;
  if (head.size() >= 4 && fncbIsMpegHeader(head.data())) return eKind::Mpeg;
  if (fncbHasMpegFrames(head)) return eKind::Mpeg;
  return eKind::Unknown;
}

}  // namespace

std::unique_ptr<iAudioDecoder> fncOpenAudioDecoder(const std::string& path, std::string& error) {
  // Never a blocking open: a FIFO, a device or a folder is refused here with its reason.
  cFileDescriptor file = fncOpenRegularFile(path, &error);
  if (!file) return nullptr;
  std::vector<unsigned char> head(8192);
  ssize_t got = -1;
  do {
    got = ::pread(file.get(), head.data(), head.size(), 0);
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    error = path + ": " + std::strerror(errno);
    return nullptr;
  }
  head.resize(static_cast<size_t>(got));
  if (head.empty()) {
    error = path + ": the file is empty";
    return nullptr;
  }
  std::string reason;
  switch (fncProbe(head)) {
    case eKind::Sndfile: {
      if (auto decoder = cSndfileDecoder::fncOpen(file, reason)) return decoder;
      std::string mpegReason;
      if (auto decoder = cMpg123Decoder::fncOpen(file, mpegReason)) return decoder;
      break;
    }
    case eKind::Mpeg:
      if (auto decoder = cMpg123Decoder::fncOpen(file, reason)) return decoder;
      break;
    case eKind::Unknown:
      reason = "not an audio file";
      break;
  }
  error = path + ": " + reason;
  return nullptr;
}

bool fncbAudioFileDecodes(const std::string& path, std::string& error) {
  auto decoder = fncOpenAudioDecoder(path, error);
  if (!decoder) return false;
  std::vector<int16_t> frames(2 * 1152);
  if (decoder->fncRead(frames.data(), 1152) == 0) {
    error = "no audio could be decoded";
    return false;
  }
  return true;
}

}  // namespace lyn
