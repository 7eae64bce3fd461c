#pragma once
// WAV (and the other containers libsndfile reads: AIFF, FLAC, Ogg Vorbis) through libsndfile.
// Lengths and seeks are exact. More than two channels are reduced to the first two.
// libsndfile (and the codecs behind it) is loaded at the first such file, not linked: a book of
// MPEG audio never maps it.
//
// Errors of fncOpen: libsndfile cannot be loaded; the header is not understood. A header that
// claims more data than the file holds is trusted only as far as the data goes: reading ends at
// the real end.

#include <memory>
#include <string>
#include <vector>

#include "platform/audio/iAudioDecoder.h"
#include "platform/storage/cRegularFile.h"

struct sf_private_tag;

namespace lyn {

class cSndfileDecoder final : public iAudioDecoder {
 public:
  // Takes `file` (an open regular file) when it succeeds; leaves it otherwise.
  static std::unique_ptr<cSndfileDecoder> fncOpen(cFileDescriptor& file, std::string& error);
  ~cSndfileDecoder() override;
  cSndfileDecoder(const cSndfileDecoder&) = delete;
  cSndfileDecoder& operator=(const cSndfileDecoder&) = delete;

  AudioFormat fncFormat() const override { return mFormat; }
  int64_t fncLength() const override { return mLength; }
  bool fncbLengthExact() const override { return true; }
  void subMeasureLength() override {}
  size_t fncRead(int16_t* out, size_t frames) override;
  bool fncbSeek(int64_t frame) override;

  // The version of the libsndfile installed ("1.2.0"); empty when it cannot be loaded.
  static std::string fncLibraryVersion();

 private:
  struct Library;
  cSndfileDecoder(std::unique_ptr<Library> library, sf_private_tag* file,
                  cFileDescriptor descriptor);

  std::unique_ptr<Library> mLibrary;  // outlives mFile
  cFileDescriptor mDescriptor;        // outlives mFile, which reads through it
  sf_private_tag* mFile;
  AudioFormat mFormat;
  int mFileChannels = 0;
  int64_t mLength = 0;
  std::vector<int16_t> mWide;  // frames of a file with more than two channels
};

}  // namespace lyn
