#pragma once
// Writes a 16-bit mono PCM WAV file as the samples come, without holding them in memory.
// The file is written as "<path>.tmp" and renamed into place by fncbClose, so an interrupted
// build never leaves a half-written WAV under the real name.
//
// fncbOpen: false when the temporary file cannot be created (`error` says why).
// subWrite: appends samples; a failed write is remembered and reported by fncbClose.
// fncbClose: fills in the header sizes and renames; false on any earlier or final failure
//            (the temporary file is then removed). The destructor of an unclosed writer removes
//            the temporary file.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace lyn::tools {

class cWavWriter {
 public:
  cWavWriter() = default;
  cWavWriter(const cWavWriter&) = delete;
  cWavWriter& operator=(const cWavWriter&) = delete;
  ~cWavWriter();

  bool fncbOpen(const std::filesystem::path& path, int lSampleRate, std::string& error);
  void subWrite(const int16_t* samples, size_t count);
  void subWriteSilence(size_t count);
  bool fncbClose(std::string& error);

  // Samples written so far.
  uint64_t fncSamples() const { return mSamples; }

 private:
  std::FILE* mFile = nullptr;
  std::filesystem::path mPath;
  std::filesystem::path mTemp;
  int mRate = 0;
  uint64_t mSamples = 0;
  bool mFailed = false;
};

}  // namespace lyn::tools
