#pragma once
// Writes exactly what would be heard to a WAV file (16-bit PCM), back to back: pauses and stops
// add nothing. The file takes the format of the first audio; audio of another format that
// follows is converted to it (channels mixed, rate changed by linear interpolation).
//
// Where the sound goes depends on what `path` names:
//   a regular file, or nothing yet   written whole or not at all: a temporary file, created
//                                     exclusively in the same folder, is renamed over `path`
//                                     when closed (through a symbolic link to its target, so the
//                                     link stays a link)
//   "-"                               standard output, as a stream
//   a FIFO or a device                written in place as a stream, never replaced
// A stream's header says its sizes are unknown (see WavHeader.h); it is never seeked.
//
// Errors: the output cannot be opened (a folder, no permission, no such folder) -> fncbOpenOutput
// false with the reason, and at start fncbStart false with one warning on stderr (the engine
// falls back to the null sink); a write fails -> one warning on stderr, the rest is dropped, and
// fncbClose reports it (a regular file is then left as it was).

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/audio/cPacedSink.h"

namespace lyn {

class cWavSink final : public cPacedSink {
 public:
  cWavSink(std::filesystem::path path, cVirtualClock* clock = nullptr);
  // Closes as fncbClose does when that was not called.
  ~cWavSink() override;
  const char* fncName() const override { return "wav"; }

  const std::filesystem::path& fncPath() const { return mPath; }
  // Opens the output now rather than at the first start, so that a caller learns at once that
  // it cannot be written. Opening a FIFO waits until something reads it.
  bool fncbOpenOutput(std::string& error);
  // Stops taking audio and completes the output (header sizes, flush, rename). False, with the
  // reason, when the output could not be opened or any write failed. Nothing is written when no
  // audio ever came. Afterwards the sink takes no more audio.
  bool fncbClose(std::string& error);
  bool fncbStreaming() const { return mbStream; }

 private:
  bool fncbPrepare(const AudioFormat& format) override;
  void subConsume(const int16_t* frames, size_t count, const AudioFormat& format) override;
  void subWriteFrames(const int16_t* frames, size_t count);
  void subWrite(const void* bytes, size_t size);
  void subFail();

  std::filesystem::path mPath;
  std::filesystem::path mTarget;     // the regular file to replace (links followed)
  std::filesystem::path mTemporary;  // empty for a stream
  std::FILE* mFile = nullptr;
  bool mbStream = false;
  bool mbOpened = false;
  bool mbClosed = false;
  bool mbFailed = false;
  bool mbHeaderWritten = false;
  std::string msError;
  AudioFormat mFileFormat;
  int64_t mFramesWritten = 0;
  // Conversion from another format: the fractional read position and the last frame.
  double mdPhase = 0;
  std::vector<int16_t> mPrevious;
  std::vector<int16_t> mConverted;
};

}  // namespace lyn
