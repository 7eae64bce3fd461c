#include "platform/audio/cMpg123Decoder.h"

#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace lyn {

// The file as libmpg123 reads it: one pread of 128 KiB serves many small requests. The first
// reads are smaller (16 KiB, then twice as much each time): opening a file needs only its first
// frames and its last 128 bytes, and a file that is only opened to be checked, or played from its
// start, is then not copied 128 KiB at a time before its first frame decodes.
struct cMpg123Decoder::cReader {
  static constexpr size_t kBufferBytes = 128 * 1024;
  static constexpr size_t kFirstReadBytes = 16 * 1024;

  explicit cReader(cFileDescriptor file)
      : mFile(std::move(file)), mBuffer(std::make_unique_for_overwrite<unsigned char[]>(kBufferBytes)) {}

  ssize_t fncRead(unsigned char* out, size_t bytes) {
    size_t done = 0;
    while (done < bytes) {
      if (mOffset >= mBufferStart && mOffset < mBufferStart + int64_t(mBufferFill)) {
        const size_t at = static_cast<size_t>(mOffset - mBufferStart);
        const size_t n = std::min(bytes - done, mBufferFill - at);
        std::memcpy(out + done, mBuffer.get() + at, n);
        done += n;
        mOffset += static_cast<int64_t>(n);
        continue;
      }
      // A large request goes straight to the file; a small one refills the buffer.
      const bool direct = bytes - done >= kBufferBytes;
      unsigned char* into = direct ? out + done : mBuffer.get();
      const size_t want = direct ? bytes - done : mRefillBytes;
      ssize_t got = -1;
      do {
        got = ::pread(mFile.get(), into, want, static_cast<off_t>(mOffset));
      } while (got < 0 && errno == EINTR);
      ++mReads;
      if (got < 0) return done > 0 ? static_cast<ssize_t>(done) : -1;
      if (got == 0) break;
      if (direct) {
        done += static_cast<size_t>(got);
        mOffset += got;
      } else {
        // Reading on from where the buffer ended: the file is being played through.
        if (mOffset == mBufferStart + int64_t(mBufferFill))
          mRefillBytes = std::min(2 * mRefillBytes, kBufferBytes);
        mBufferStart = mOffset;
        mBufferFill = static_cast<size_t>(got);
      }
    }
    return static_cast<ssize_t>(done);
  }

  off_t fncSeek(off_t offset, int whence) {
    int64_t base = 0;
    if (whence == SEEK_CUR) {
      base = mOffset;
    } else if (whence == SEEK_END) {
      struct stat st {};
      if (::fstat(mFile.get(), &st) != 0) return -1;
      base = st.st_size;
    } else if (whence != SEEK_SET) {
      return -1;
    }
    if (base + offset < 0) return -1;
    mOffset = base + offset;
    return static_cast<off_t>(mOffset);
  }

  static ssize_t fncReadCallback(void* self, void* out, size_t bytes) {
    return static_cast<cReader*>(self)->fncRead(static_cast<unsigned char*>(out), bytes);
  }
  static off_t fncSeekCallback(void* self, off_t offset, int whence) {
    return static_cast<cReader*>(self)->fncSeek(offset, whence);
  }

  cFileDescriptor mFile;
  std::unique_ptr<unsigned char[]> mBuffer;
  size_t mRefillBytes = kFirstReadBytes;
  int64_t mBufferStart = 0;
  size_t mBufferFill = 0;
  int64_t mOffset = 0;
  int64_t mReads = 0;
};

cMpg123Decoder::cMpg123Decoder(mpg123_handle_struct* handle, std::unique_ptr<cReader> reader)
    : mHandle(handle), mReader(std::move(reader)) {}

std::unique_ptr<cMpg123Decoder> cMpg123Decoder::fncOpen(cFileDescriptor& file,
                                                       std::string& error) {
  int err = MPG123_OK;
  mpg123_handle* handle = mpg123_new(nullptr, &err);
  if (handle == nullptr) {
    error = std::string("MPEG decoder unavailable: ") + mpg123_plain_strerror(err);
    return nullptr;
  }
  std::unique_ptr<cMpg123Decoder> decoder(
      new cMpg123Decoder(handle, std::make_unique<cReader>(std::move(file))));
  // A file that does not decode goes back to the caller, who may try another decoder.
  const auto giveBack = [&] { file = std::move(decoder->mReader->mFile); };
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

  if (mpg123_replace_reader_handle(handle, &cReader::fncReadCallback, &cReader::fncSeekCallback,
                                   nullptr) != MPG123_OK ||
      mpg123_open_handle(handle, decoder->mReader.get()) != MPG123_OK) {
    error = std::string("cannot open: ") + mpg123_strerror(handle);
    giveBack();
    return nullptr;
  }
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
      (channels != 1 && channels != 2)) {
    error = std::string("no MPEG audio frame decodes: ") + mpg123_strerror(handle);
    giveBack();
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
  // The length is exact when an Info tag says it (the tag that also gives the encoder's delay);
  // otherwise it is estimated from the file's size. MPG123_ACCURATE tells only whether seek
  // positions are exact, not the length.
  long delay = -1;
  mbExact = length > 0 &&
            mpg123_getstate(mHandle, MPG123_ENC_DELAY, &delay, nullptr) == MPG123_OK && delay >= 0;
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

int64_t cMpg123Decoder::fncFileReads() const { return mReader->mReads; }

bool cMpg123Decoder::fncbSeek(int64_t frame) {
  if (frame < 0) frame = 0;
  off_t result = mpg123_seek(mHandle, static_cast<off_t>(frame), SEEK_SET);
  return result >= 0 && result == static_cast<off_t>(frame);
}

}  // namespace lyn
