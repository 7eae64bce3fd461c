#include "platform/audio/cSndfileDecoder.h"

#include <sndfile.h>

#include <algorithm>

namespace lyn {

std::unique_ptr<cSndfileDecoder> cSndfileDecoder::fncOpen(cFileDescriptor& file,
                                                         std::string& error) {
  SF_INFO info{};
  SNDFILE* handle = sf_open_fd(file.get(), SFM_READ, &info, SF_FALSE);
  if (handle == nullptr) {
    error = std::string("cannot read as WAV: ") + sf_strerror(nullptr);
    return nullptr;
  }
  if (info.samplerate <= 0 || info.channels <= 0) {
    sf_close(handle);
    error = "the WAV header gives no sample rate or channels";
    return nullptr;
  }
  std::unique_ptr<cSndfileDecoder> decoder(new cSndfileDecoder(handle, std::move(file)));
  decoder->mFileChannels = info.channels;
  decoder->mFormat = {info.samplerate, std::min(info.channels, 2)};
  decoder->mLength = std::max<int64_t>(info.frames, 0);
  return decoder;
}

cSndfileDecoder::~cSndfileDecoder() { sf_close(mFile); }

size_t cSndfileDecoder::fncRead(int16_t* out, size_t frames) {
  if (mFileChannels <= 2) {
    sf_count_t got = sf_readf_short(mFile, out, static_cast<sf_count_t>(frames));
    return got > 0 ? static_cast<size_t>(got) : 0;
  }
  mWide.resize(frames * static_cast<size_t>(mFileChannels));
  sf_count_t got = sf_readf_short(mFile, mWide.data(), static_cast<sf_count_t>(frames));
  if (got <= 0) return 0;
  for (sf_count_t i = 0; i < got; ++i) {
    out[2 * i] = mWide[static_cast<size_t>(i * mFileChannels)];
    out[2 * i + 1] = mWide[static_cast<size_t>(i * mFileChannels + 1)];
  }
  return static_cast<size_t>(got);
}

bool cSndfileDecoder::fncbSeek(int64_t frame) {
  if (frame < 0) frame = 0;
  return sf_seek(mFile, static_cast<sf_count_t>(frame), SEEK_SET) == frame;
}

}  // namespace lyn
