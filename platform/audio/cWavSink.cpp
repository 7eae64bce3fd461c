#include "platform/audio/cWavSink.h"

#include <algorithm>
#include <cstring>
#include <iostream>

#include <unistd.h>

#include "platform/audio/WavHeader.h"

namespace lyn {
namespace {

std::array<unsigned char, 44> fncHeader(const AudioFormat& format, int64_t frames) {
  return fncWavHeader(format.rate, format.channels, frames);
}

}  // namespace

cWavSink::cWavSink(std::filesystem::path path, cVirtualClock* clock)
    : cPacedSink(clock), mPath(std::move(path)) {
  mTemporary = mPath;
  mTemporary += ".tmp";
}

cWavSink::~cWavSink() {
  subShutDown();
  fncbFinish();
}

bool cWavSink::fncbPrepare(const AudioFormat& format) {
  if (mFile != nullptr || mbFailed) return mFile != nullptr;
  mFile = std::fopen(mTemporary.c_str(), "wb");
  if (mFile == nullptr) {
    std::cerr << "LYN Reader: cannot write " << mTemporary << ": " << std::strerror(errno)
              << '\n';
    mbFailed = true;
    return false;
  }
  mFileFormat = format;
  const auto header = fncHeader(format, 0);
  if (std::fwrite(header.data(), 1, header.size(), mFile) != header.size()) mbFailed = true;
  return true;
}

void cWavSink::subConsume(const int16_t* frames, size_t count, const AudioFormat& format) {
  if (mFile == nullptr || mbFailed) return;
  if (format == mFileFormat) {
    subWrite(frames, count);
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
  subWrite(mConverted.data(), mConverted.size() / static_cast<size_t>(outCh));
}

void cWavSink::subWrite(const int16_t* frames, size_t count) {
  const size_t samples = count * static_cast<size_t>(mFileFormat.channels);
  // WAV data is little-endian, as this machine is.
  if (std::fwrite(frames, sizeof(int16_t), samples, mFile) != samples) {
    std::cerr << "LYN Reader: writing " << mTemporary << " failed\n";
    mbFailed = true;
    return;
  }
  mFramesWritten += static_cast<int64_t>(count);
}

bool cWavSink::fncbFinish() {
  if (mFile == nullptr) return false;
  bool ok = !mbFailed;
  if (ok) {
    const auto header = fncHeader(mFileFormat, mFramesWritten);
    ok = std::fseek(mFile, 0, SEEK_SET) == 0 &&
         std::fwrite(header.data(), 1, header.size(), mFile) == header.size() &&
         std::fflush(mFile) == 0 && ::fsync(fileno(mFile)) == 0;
  }
  ok = std::fclose(mFile) == 0 && ok;
  mFile = nullptr;
  std::error_code ec;
  if (ok) std::filesystem::rename(mTemporary, mPath, ec);
  if (!ok || ec) {
    std::cerr << "LYN Reader: could not write " << mPath << '\n';
    std::filesystem::remove(mTemporary, ec);
    return false;
  }
  return true;
}

}  // namespace lyn
