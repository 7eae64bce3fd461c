#include "platform/audio/cSndfileDecoder.h"

#include <sndfile.h>

#include <algorithm>

#include "platform/files/cSharedLibrary.h"

namespace lyn {

// libsndfile's header gives the types; the functions come from the library loaded at run time.
struct cSndfileDecoder::Library {
  cSharedLibrary library{"libsndfile.so.1", true};
  decltype(&sf_open_fd) open_fd = nullptr;
  decltype(&sf_strerror) strerror = nullptr;
  decltype(&sf_close) close = nullptr;
  decltype(&sf_readf_short) readf_short = nullptr;
  decltype(&sf_seek) seek = nullptr;

  bool fncbLoad() {
    return library.fncbFind("sf_open_fd", open_fd) && library.fncbFind("sf_strerror", strerror) &&
           library.fncbFind("sf_close", close) &&
           library.fncbFind("sf_readf_short", readf_short) && library.fncbFind("sf_seek", seek);
  }
};

cSndfileDecoder::cSndfileDecoder(std::unique_ptr<Library> library, sf_private_tag* file,
                                 cFileDescriptor descriptor)
    : mLibrary(std::move(library)), mDescriptor(std::move(descriptor)), mFile(file) {}

std::string cSndfileDecoder::fncLibraryVersion() {
  cSharedLibrary library("libsndfile.so.1", false);
  decltype(&sf_version_string) versionString = nullptr;
  if (!library.fncbFind("sf_version_string", versionString)) return "";
  const char* text = versionString();
  std::string version = text != nullptr ? text : "";
  // "libsndfile-1.2.0"
  if (const auto dash = version.find('-'); dash != std::string::npos) version.erase(0, dash + 1);
  return version;
}

std::unique_ptr<cSndfileDecoder> cSndfileDecoder::fncOpen(cFileDescriptor& file,
                                                         std::string& error) {
  auto library = std::make_unique<Library>();
  if (!library->fncbLoad()) {
    error = "cannot read as WAV: libsndfile cannot be loaded: " + library->library.fncError();
    return nullptr;
  }
  SF_INFO info{};
  SNDFILE* handle = library->open_fd(file.get(), SFM_READ, &info, SF_FALSE);
  if (handle == nullptr) {
    error = std::string("cannot read as WAV: ") + library->strerror(nullptr);
    return nullptr;
  }
  if (info.samplerate <= 0 || info.channels <= 0) {
    library->close(handle);
    error = "the WAV header gives no sample rate or channels";
    return nullptr;
  }
  std::unique_ptr<cSndfileDecoder> decoder(
      new cSndfileDecoder(std::move(library), handle, std::move(file)));
  decoder->mFileChannels = info.channels;
  decoder->mFormat = {info.samplerate, std::min(info.channels, 2)};
  decoder->mLength = std::max<int64_t>(info.frames, 0);
  return decoder;
}

cSndfileDecoder::~cSndfileDecoder() { mLibrary->close(mFile); }

size_t cSndfileDecoder::fncRead(int16_t* out, size_t frames) {
  if (mFileChannels <= 2) {
    sf_count_t got = mLibrary->readf_short(mFile, out, static_cast<sf_count_t>(frames));
    return got > 0 ? static_cast<size_t>(got) : 0;
  }
  mWide.resize(frames * static_cast<size_t>(mFileChannels));
  sf_count_t got = mLibrary->readf_short(mFile, mWide.data(), static_cast<sf_count_t>(frames));
  if (got <= 0) return 0;
  for (sf_count_t i = 0; i < got; ++i) {
    out[2 * i] = mWide[static_cast<size_t>(i * mFileChannels)];
    out[2 * i + 1] = mWide[static_cast<size_t>(i * mFileChannels + 1)];
  }
  return static_cast<size_t>(got);
}

bool cSndfileDecoder::fncbSeek(int64_t frame) {
  if (frame < 0) frame = 0;
  return mLibrary->seek(mFile, static_cast<sf_count_t>(frame), SEEK_SET) == frame;
}

}  // namespace lyn
