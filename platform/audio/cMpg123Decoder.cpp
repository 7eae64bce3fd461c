#include "platform/audio/cMpg123Decoder.h"

#include <mpg123.h>

#include <cstdio>

namespace lyn {

std::unique_ptr<cMpg123Decoder> cMpg123Decoder::fncOpen(const std::string& path,
                                                       std::string& error) {
  int err = MPG123_OK;
  mpg123_handle* handle = mpg123_new(nullptr, &err);
  if (handle == nullptr) {
    error = std::string("MPEG decoder unavailable: ") + mpg123_plain_strerror(err);
    return nullptr;
  }
  std::unique_ptr<cMpg123Decoder> decoder(new cMpg123Decoder(handle));
  mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
  // Garbage between frames is skipped, but a file that is not MPEG audio at all must fail
  // quickly instead of being searched to its end.
  mpg123_param(handle, MPG123_RESYNC_LIMIT, 64 * 1024, 0);
  // An index of every frame (it grows with the file: about 8 bytes per 26 ms of audio), so that
  // exact seeks jump straight to the frame instead of reading up to it.
  mpg123_param(handle, MPG123_INDEX_SIZE, -4096, 0);
  mpg123_format_none(handle);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i)
    mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

  if (mpg123_open(handle, path.c_str()) != MPG123_OK) {
    error = std::string("cannot open: ") + mpg123_strerror(handle);
    return nullptr;
  }
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
      (channels != 1 && channels != 2)) {
    error = std::string("no MPEG audio frame decodes: ") + mpg123_strerror(handle);
    return nullptr;
  }
  // From now on every frame comes out in this format; frames of another rate or channel count
  // (a spliced or damaged stream) are converted by the library.
  mpg123_format_none(handle);
  mpg123_format(handle, rate, channels, MPG123_ENC_SIGNED_16);
  decoder->mFormat = {static_cast<int32_t>(rate), channels};
  decoder->subReadLength();
  return decoder;
}

cMpg123Decoder::~cMpg123Decoder() {
  mpg123_close(mHandle);
  mpg123_delete(mHandle);
}

void cMpg123Decoder::subReadLength() {
  off_t length = mpg123_length(mHandle);
  mLength = length > 0 ? static_cast<int64_t>(length) : 0;
  long accurate = 0;
  mbExact = mpg123_getstate(mHandle, MPG123_ACCURATE, &accurate, nullptr) == MPG123_OK &&
            accurate != 0 && length > 0;
}

void cMpg123Decoder::subMeasureLength() {
  if (mpg123_scan(mHandle) == MPG123_OK) {
    off_t length = mpg123_length(mHandle);
    mLength = length > 0 ? static_cast<int64_t>(length) : 0;
  }
  mbExact = true;
}

size_t cMpg123Decoder::fncRead(int16_t* out, size_t frames) {
  const size_t frameBytes = sizeof(int16_t) * static_cast<size_t>(mFormat.channels);
  unsigned char* bytes = reinterpret_cast<unsigned char*>(out);
  size_t filled = 0;
  int errors = 0;
  while (filled < frames * frameBytes) {
    size_t done = 0;
    int result = mpg123_read(mHandle, bytes + filled, frames * frameBytes - filled, &done);
    filled += done;
    if (result == MPG123_OK || result == MPG123_NEW_FORMAT) {
      if (done == 0 && result == MPG123_OK && ++errors > 64) break;
      continue;
    }
    if (result == MPG123_DONE) break;
    // A hard error: try to go on after it a few times (a damaged stretch), then give up.
    if (++errors > 8) break;
  }
  return filled / frameBytes;
}

bool cMpg123Decoder::fncbSeek(int64_t frame) {
  if (frame < 0) frame = 0;
  off_t result = mpg123_seek(mHandle, static_cast<off_t>(frame), SEEK_SET);
  return result >= 0 && result == static_cast<off_t>(frame);
}

}  // namespace lyn
