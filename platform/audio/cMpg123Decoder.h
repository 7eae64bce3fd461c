#pragma once
// MPEG audio (MP3, MP2) through libmpg123, gapless: the encoder's delay and padding are cut, so
// frame 0 is the first sample of the recording and lengths are exact to the sample when the
// stream says them (LAME/Xing/Info header) or once measured.
//
// libmpg123 reads through a reader of our own over a large buffer: it asks for a few bytes at a
// time (two requests per MPEG frame), which would otherwise be two system calls per 26 ms.
//
// Errors of fncOpen (the text goes to `error`): no frame of the file decodes. While reading,
// damaged frames are skipped (the decoder finds the next one).

#include <memory>
#include <string>

#include "platform/audio/iAudioDecoder.h"
#include "platform/storage/cRegularFile.h"

struct mpg123_handle_struct;

namespace lyn {

class cMpg123Decoder final : public iAudioDecoder {
 public:
  // Takes `file` (an open regular file) when it succeeds; leaves it otherwise.
  static std::unique_ptr<cMpg123Decoder> fncOpen(cFileDescriptor& file, std::string& error);
  ~cMpg123Decoder() override;
  cMpg123Decoder(const cMpg123Decoder&) = delete;
  cMpg123Decoder& operator=(const cMpg123Decoder&) = delete;

  AudioFormat fncFormat() const override { return mFormat; }
  int64_t fncLength() const override { return mLength; }
  bool fncbLengthExact() const override { return mbExact; }
  void subMeasureLength() override;
  size_t fncRead(int16_t* out, size_t frames) override;
  bool fncbSeek(int64_t frame) override;

  // System calls that read the file so far (for the benchmarks).
  int64_t fncFileReads() const;

 private:
  struct cReader;
  cMpg123Decoder(mpg123_handle_struct* handle, std::unique_ptr<cReader> reader);
  void subReadLength();

  mpg123_handle_struct* mHandle;
  std::unique_ptr<cReader> mReader;  // outlives mHandle, which reads through it
  AudioFormat mFormat;
  int64_t mLength = 0;
  bool mbExact = false;
};

}  // namespace lyn
