#include "platform/audio/cWavSink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "platform/audio/WavHeader.h"

namespace lyn {
namespace {

// Where a chain of symbolic links ends (the path itself when it is no link).
std::filesystem::path fncFollowLinks(std::filesystem::path path) {
  std::error_code ec;
  for (int hops = 0; hops < 40 && std::filesystem::is_symlink(path, ec); ++hops) {
    const std::filesystem::path link = std::filesystem::read_symlink(path, ec);
    if (ec) break;
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  return path;
}

}  // namespace

cWavSink::cWavSink(std::filesystem::path path, cVirtualClock* clock)
    : cPacedSink(clock), mPath(std::move(path)) {}

cWavSink::~cWavSink() {
  subShutDown();
  // A failure seen earlier has had its warning already.
  const bool warned = mbFailed;
  std::string error;
  if (!mbClosed && !fncbClose(error) && !warned) std::cerr << "LYN Reader: " << error << '\n';
}

bool cWavSink::fncbOpenOutput(std::string& error) {
  if (mbOpened) {
    error = msError;
    return mFile != nullptr;
  }
  mbOpened = true;
  const auto fail = [&](const std::filesystem::path& what, const std::string& why) {
    msError = what.string() + ": " + why;
    error = msError;
    mbFailed = true;
    return false;
  };
  if (mPath == "-") {
    const int fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    mFile = fd < 0 ? nullptr : ::fdopen(fd, "wb");
    if (mFile == nullptr) return fail("standard output", std::strerror(errno));
    mbStream = true;
    return true;
  }
  mTarget = fncFollowLinks(mPath);
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(mTarget, ec);
  if (std::filesystem::is_directory(status)) return fail(mPath, "is a folder");
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    // A FIFO or a device: written in place; replacing it would destroy it.
    const int fd = ::open(mTarget.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    mFile = fd < 0 ? nullptr : ::fdopen(fd, "wb");
    if (mFile == nullptr) {
      const int saved = errno;
      if (fd >= 0) ::close(fd);
      return fail(mPath, std::strerror(saved));
    }
    mbStream = true;
    return true;
  }
  // Created exclusively, so no file or link that is already there is ever written through.
  std::string name = mTarget.string() + ".tmp.XXXXXX";
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return fail(mPath, std::strerror(errno));
  mTemporary = name;
  // The new file keeps the mode of the one it replaces, or gets the usual mode of a new file.
  struct stat old {};
  if (::stat(mTarget.c_str(), &old) == 0) {
    ::fchmod(fd, old.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  mFile = ::fdopen(fd, "wb");
  if (mFile == nullptr) {
    const int saved = errno;
    ::close(fd);
    std::filesystem::remove(mTemporary, ec);
    return fail(mPath, std::strerror(saved));
  }
  return true;
}

bool cWavSink::fncbPrepare(const AudioFormat& format) {
  if (mbClosed) return false;
  if (!mbOpened) {
    std::string error;
    if (!fncbOpenOutput(error)) {
      std::cerr << "LYN Reader: cannot write " << error << '\n';
      return false;
    }
  }
  if (mFile == nullptr) return false;
  if (!mbHeaderWritten) {
    // The header is written once: a stream's now, a file's when its length is known (its
    // place is kept free until then).
    mFileFormat = format;
    const auto header = fncWavHeader(format.rate, format.channels, kWavLengthUnknown);
    if (mbStream)
      subWrite(header.data(), header.size());
    else if (std::fseek(mFile, static_cast<long>(header.size()), SEEK_SET) != 0)
      subFail();
    mbHeaderWritten = true;
  }
  return true;
}

void cWavSink::subConsume(const int16_t* frames, size_t count, const AudioFormat& format) {
  if (mFile == nullptr || mbFailed) return;
  if (format == mFileFormat) {
    subWriteFrames(frames, count);
    return;
  }
  // Another format: mix the channels, then step through at the ratio of the rates.
  const int inCh = format.channels;
  const int outCh = mFileFormat.channels;
  if (mPrevious.size() != static_cast<size_t>(outCh)) mPrevious.assign(static_cast<size_t>(outCh), 0);
  auto mixed = [&](size_t i, int c) -> double {
    if (inCh == outCh) return frames[i * inCh + c];
    if (inCh == 1) return frames[i];
    return (double(frames[i * 2]) + double(frames[i * 2 + 1])) / 2;
  };
  const double step = double(format.rate) / double(mFileFormat.rate);
  mConverted.clear();
  while (mdPhase < double(count)) {
    const auto at = static_cast<size_t>(mdPhase);
    const double frac = mdPhase - double(at);
    for (int c = 0; c < outCh; ++c) {
      const double a = at == 0 && frac < 0 ? mPrevious[c] : mixed(at, c);
      const double b = at + 1 < count ? mixed(at + 1, c) : a;
      mConverted.push_back(static_cast<int16_t>(std::clamp(a + (b - a) * frac, -32768.0, 32767.0)));
    }
    mdPhase += step;
  }
  mdPhase -= double(count);
  for (int c = 0; c < outCh; ++c) mPrevious[c] = static_cast<int16_t>(mixed(count - 1, c));
  subWriteFrames(mConverted.data(), mConverted.size() / static_cast<size_t>(outCh));
}

void cWavSink::subWriteFrames(const int16_t* frames, size_t count) {
  // WAV data is little-endian, as this machine is.
  subWrite(frames, count * static_cast<size_t>(mFileFormat.channels) * sizeof(int16_t));
  if (!mbFailed) mFramesWritten += static_cast<int64_t>(count);
}

void cWavSink::subWrite(const void* bytes, size_t size) {
  if (!mbFailed && std::fwrite(bytes, 1, size, mFile) != size) subFail();
}

void cWavSink::subFail() {
  msError = mPath.string() + ": " + std::strerror(errno);
  std::cerr << "LYN Reader: writing " << msError << '\n';
  mbFailed = true;
}

bool cWavSink::fncbClose(std::string& error) {
  subStop();
  if (mbClosed) {
    error = msError;
    return !mbFailed;
  }
  mbClosed = true;
  if (mFile != nullptr) {
    bool ok = !mbFailed;
    if (ok && !mbStream && mbHeaderWritten) {
      const auto header = fncWavHeader(mFileFormat.rate, mFileFormat.channels, mFramesWritten);
      ok = std::fseek(mFile, 0, SEEK_SET) == 0 &&
           std::fwrite(header.data(), 1, header.size(), mFile) == header.size();
    }
    ok = std::fflush(mFile) == 0 && ok;
    if (!mbStream) ok = ::fsync(::fileno(mFile)) == 0 && ok;
    ok = std::fclose(mFile) == 0 && ok;
    mFile = nullptr;
    if (!mbStream) {
      std::error_code renamed;
      if (ok && mbHeaderWritten) std::filesystem::rename(mTemporary, mTarget, renamed);
      if (!ok || renamed || !mbHeaderWritten) {
        std::error_code ignored;
        std::filesystem::remove(mTemporary, ignored);
      }
      if (renamed) ok = false;
    }
    if (!ok && !mbFailed) {
      msError = mPath.string() + ": cannot be written";
      mbFailed = true;
    }
  }
  error = msError;
  return !mbFailed;
}

}  // namespace lyn
