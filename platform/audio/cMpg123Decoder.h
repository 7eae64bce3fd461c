#pragma once
// MPEG audio (MP3, MP2) through libmpg123, gapless: the encoder's delay and padding are cut, so
// frame 0 is the first sample of the recording and lengths are exact to the sample when the
// stream says them (LAME/Xing/Info header) or once measured.
//
// Errors of fncOpen (the text goes to `error`): the file cannot be opened, or no frame of it
// decodes. While reading, damaged frames are skipped (the decoder finds the next one).

#include <memory>
#include <string>

#include "platform/audio/iAudioDecoder.h"

struct mpg123_handle_struct;

namespace lyn {

class cMpg123Decoder final : public iAudioDecoder {
 public:
  static std::unique_ptr<cMpg123Decoder> fncOpen(const std::string& path, std::string& error);
  ~cMpg123Decoder() override;

  AudioFormat fncFormat() const override { return mFormat; }
  int64_t fncLength() const override { return mLength; }
  bool fncbLengthExact() const override { return mbExact; }
  void subMeasureLength() override;
  size_t fncRead(int16_t* out, size_t frames) override;
  bool fncbSeek(int64_t frame) override;

 private:
  explicit cMpg123Decoder(mpg123_handle_struct* handle) : mHandle(handle) {}
  void subReadLength();

  mpg123_handle_struct* mHandle;
  AudioFormat mFormat;
  int64_t mLength = 0;
  bool mbExact = false;
};

}  // namespace lyn
