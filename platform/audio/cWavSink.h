#pragma once
// Writes exactly what would be heard to a WAV file (16-bit PCM), back to back: pauses and stops
// add nothing. The file takes the format of the first audio; audio of another format that
// follows is converted to it (channels mixed, rate changed by linear interpolation).
//
// The file is written as "<path>.tmp" and renamed over `path` when the sink is destroyed, so
// `path` is always either the old file or a complete new one.
//
// Errors: the file cannot be created -> fncbStart false (the engine falls back to the null
// sink); a write fails -> one warning on stderr, the rest is dropped, nothing is renamed.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/audio/cPacedSink.h"

namespace lyn {

class cWavSink final : public cPacedSink {
 public:
  cWavSink(std::filesystem::path path, cVirtualClock* clock = nullptr);
  ~cWavSink() override;
  const char* fncName() const override { return "wav"; }

  const std::filesystem::path& fncPath() const { return mPath; }

 private:
  bool fncbPrepare(const AudioFormat& format) override;
  void subConsume(const int16_t* frames, size_t count, const AudioFormat& format) override;
  void subWrite(const int16_t* frames, size_t count);
  bool fncbFinish();

  std::filesystem::path mPath;
  std::filesystem::path mTemporary;
  std::FILE* mFile = nullptr;
  bool mbFailed = false;
  AudioFormat mFileFormat;
  int64_t mFramesWritten = 0;
  // Conversion from another format: the fractional read position and the last frame.
  double mdPhase = 0;
  std::vector<int16_t> mPrevious;
  std::vector<int16_t> mConverted;
};

}  // namespace lyn
