#pragma once
// WAV (and the other containers libsndfile reads: AIFF, FLAC, Ogg Vorbis) through libsndfile.
// Lengths and seeks are exact. More than two channels are reduced to the first two.
//
// Errors of fncOpen: the file cannot be opened or its header is not understood. A header that
// claims more data than the file holds is trusted only as far as the data goes: reading ends at
// the real end.

#include <memory>
#include <string>
#include <vector>

#include "platform/audio/iAudioDecoder.h"

struct sf_private_tag;

namespace lyn {

class cSndfileDecoder final : public iAudioDecoder {
 public:
  static std::unique_ptr<cSndfileDecoder> fncOpen(const std::string& path, std::string& error);
  ~cSndfileDecoder() override;

  AudioFormat fncFormat() const override { return mFormat; }
  int64_t fncLength() const override { return mLength; }
  bool fncbLengthExact() const override { return true; }
  void subMeasureLength() override {}
  size_t fncRead(int16_t* out, size_t frames) override;
  bool fncbSeek(int64_t frame) override;

 private:
  explicit cSndfileDecoder(sf_private_tag* file) : mFile(file) {}

  sf_private_tag* mFile;
  AudioFormat mFormat;
  int mFileChannels = 0;
  int64_t mLength = 0;
  std::vector<int16_t> mWide;  // frames of a file with more than two channels
};

}  // namespace lyn
