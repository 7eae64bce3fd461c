#include "tests/platform/audio/AudioTestFiles.h"

#include <mpg123.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace lyn::test {

cTempDir::cTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lyn-audio-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  mPath = pattern;
}

cTempDir::~cTempDir() {
  std::error_code ec;
  std::filesystem::remove_all(mPath, ec);
}

std::vector<int16_t> fncSine(int rate, int channels, double seconds, double hz, double amplitude) {
  const auto frames = static_cast<size_t>(std::llround(seconds * rate));
  std::vector<int16_t> out(frames * static_cast<size_t>(channels));
  for (size_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      out[i * channels + c] =
          static_cast<int16_t>(std::lrint(amplitude * std::sin(2 * M_PI * hz * double(i) / rate)));
  return out;
}

std::vector<int16_t> fncRamp(int rate, int channels, double seconds) {
  const auto frames = static_cast<size_t>(std::llround(seconds * rate));
  std::vector<int16_t> out(frames * static_cast<size_t>(channels));
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<int16_t>(int(i % 30000) - 15000);
  return out;
}

std::vector<int16_t> fncSpeechWithPauses(int rate, int bursts, double speechSeconds,
                                         double pauseSeconds) {
  std::vector<int16_t> out;
  for (int b = 0; b < bursts; ++b) {
    auto tone = fncSine(rate, 1, speechSeconds, 300 + 40 * b, 10000);
    // No sample of the burst is 0, so speech and silence are told apart exactly.
    for (auto& s : tone)
      if (s == 0) s = 1;
    out.insert(out.end(), tone.begin(), tone.end());
    if (b + 1 < bursts) out.insert(out.end(), static_cast<size_t>(pauseSeconds * rate), 0);
  }
  return out;
}

void subWriteWav(const std::filesystem::path& path, int rate, int channels,
                 const std::vector<int16_t>& samples, uint16_t formatTag) {
  auto put32 = [](std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
  };
  auto put16 = [](std::string& s, uint16_t v) {
    s.push_back(static_cast<char>(v));
    s.push_back(static_cast<char>(v >> 8));
  };
  const uint32_t bytes = static_cast<uint32_t>(samples.size() * 2);
  std::string h = "RIFF";
  put32(h, 36 + bytes);
  h += "WAVEfmt ";
  put32(h, 16);
  put16(h, formatTag);
  put16(h, static_cast<uint16_t>(channels));
  put32(h, static_cast<uint32_t>(rate));
  put32(h, static_cast<uint32_t>(rate * channels * 2));
  put16(h, static_cast<uint16_t>(channels * 2));
  put16(h, 16);
  h += "data";
  put32(h, bytes);
  std::ofstream out(path, std::ios::binary);
  out.write(h.data(), static_cast<std::streamsize>(h.size()));
  out.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(bytes));
}

std::vector<int16_t> fncReadWav(const std::filesystem::path& path, AudioFormat* format) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 44) return {};
  auto get16 = [&](size_t at) {
    return uint16_t(uint8_t(bytes[at]) | (uint8_t(bytes[at + 1]) << 8));
  };
  auto get32 = [&](size_t at) { return uint32_t(get16(at) | (uint32_t(get16(at + 2)) << 16)); };
  if (format != nullptr) *format = {int32_t(get32(24)), int32_t(get16(22))};
  const size_t data = std::min<size_t>(get32(40), bytes.size() - 44);
  std::vector<int16_t> samples(data / 2);
  std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
  return samples;
}

bool fncbEncodeMp3(const std::filesystem::path& wav, const std::filesystem::path& mp3,
                   const std::string& options) {
  if (std::system("command -v lame >/dev/null 2>&1") != 0) return false;
  const std::string command =
      "lame --quiet " + options + " '" + wav.string() + "' '" + mp3.string() + "'";
  return std::system(command.c_str()) == 0;
}

std::vector<int16_t> fncReferenceDecode(const std::filesystem::path& mp3) {
  std::vector<int16_t> out;
  mpg123_handle* h = mpg123_new(nullptr, nullptr);
  mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
  mpg123_format_none(h);
  const long* rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i)
    mpg123_format(h, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg123_open(h, mp3.c_str()) == MPG123_OK) {
    unsigned char buffer[16384];
    for (;;) {
      size_t done = 0;
      const int result = mpg123_read(h, buffer, sizeof buffer, &done);
      const auto* s = reinterpret_cast<const int16_t*>(buffer);
      out.insert(out.end(), s, s + done / 2);
      if (result != MPG123_OK && result != MPG123_NEW_FORMAT) break;
    }
    mpg123_close(h);
  }
  mpg123_delete(h);
  return out;
}

}  // namespace lyn::test
