#pragma once
// Test audio made on the spot: tones and pauses written as WAV, MP3 encoded with lame, and a
// sink that keeps what it hears.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/audio/AudioFormat.h"
#include "platform/audio/cPacedSink.h"

namespace lyn::test {

class cTempDir {
 public:
  cTempDir();
  ~cTempDir();
  std::filesystem::path operator/(const std::string& name) const { return mPath / name; }
  const std::filesystem::path& path() const { return mPath; }

 private:
  std::filesystem::path mPath;
};

std::vector<int16_t> fncSine(int rate, int channels, double seconds, double hz,
                             double amplitude = 12000);
// A counting ramp: sample i of channel c is (i * channels + c) % 30000 - 15000, so that every
// sample tells where it came from.
std::vector<int16_t> fncRamp(int rate, int channels, double seconds);
// Tone bursts ("speech") of `speechSeconds` separated by `pauseSeconds` of digital silence.
std::vector<int16_t> fncSpeechWithPauses(int rate, int bursts, double speechSeconds,
                                         double pauseSeconds);

// A 16-bit PCM WAV. `formatTag` replaces bytes 20-21 (the format tag) when not 1.
void subWriteWav(const std::filesystem::path& path, int rate, int channels,
                 const std::vector<int16_t>& samples, uint16_t formatTag = 1);
// Reads a 16-bit PCM WAV as written by subWriteWav or the WAV sink.
std::vector<int16_t> fncReadWav(const std::filesystem::path& path, AudioFormat* format = nullptr);

// Encodes with lame; false when lame is not installed (a required package: the test fails).
bool fncbEncodeMp3(const std::filesystem::path& wav, const std::filesystem::path& mp3,
                   const std::string& options = "-b 64");
// Decodes a whole MP3 with libmpg123 directly, gapless (what mpg123 itself outputs).
std::vector<int16_t> fncReferenceDecode(const std::filesystem::path& mp3);

// A sink that keeps every frame it hears, paced by a virtual clock.
class cCaptureSink final : public cPacedSink {
 public:
  explicit cCaptureSink(cVirtualClock& clock) : cPacedSink(&clock) {}
  ~cCaptureSink() override { subShutDown(); }
  const char* fncName() const override { return "capture"; }
  std::vector<int16_t> samples;

 private:
  void subConsume(const int16_t* frames, size_t count, const AudioFormat& format) override {
    samples.insert(samples.end(), frames, frames + count * static_cast<size_t>(format.channels));
  }
};

}  // namespace lyn::test
