#include "tools/cWavWriter.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/audio/WavHeader.h"

namespace lyn::tools {

namespace {

void fncPut16(unsigned char* at, uint16_t value) {
  at[0] = static_cast<unsigned char>(value);
  at[1] = static_cast<unsigned char>(value >> 8);
}

// 16-bit mono PCM.
std::array<unsigned char, 44> fncHeader(int rate, uint64_t samples) {
  return fncWavHeader(rate, 1, static_cast<int64_t>(samples));
}

}  // namespace

cWavWriter::~cWavWriter() {
  if (mFile) {
    std::fclose(mFile);
    std::error_code ec;
    std::filesystem::remove(mTemp, ec);
  }
}

bool cWavWriter::fncbOpen(const std::filesystem::path& path, int lSampleRate,
                          std::string& error) {
  if (mFile) {
    error = "the writer is already open";
    return false;
  }
  mPath = path;
  mTemp = path;
  mTemp += ".tmp";
  mRate = lSampleRate;
  mSamples = 0;
  mFailed = false;
  mFile = std::fopen(mTemp.c_str(), "wb");
  if (!mFile) {
    error = mTemp.string() + ": " + std::strerror(errno);
    return false;
  }
  const auto header = fncHeader(mRate, 0);
  mFailed = std::fwrite(header.data(), 1, header.size(), mFile) != header.size();
  return true;
}

void cWavWriter::subWrite(const int16_t* samples, size_t count) {
  if (!mFile || mFailed || count == 0) return;
  std::vector<unsigned char> bytes(count * 2);
  for (size_t i = 0; i < count; ++i) fncPut16(&bytes[2 * i], uint16_t(samples[i]));
  mFailed = std::fwrite(bytes.data(), 1, bytes.size(), mFile) != bytes.size();
  mSamples += count;
}

void cWavWriter::subWriteSilence(size_t count) {
  const std::vector<int16_t> zeros(4096, 0);
  while (count > 0) {
    const size_t n = count < zeros.size() ? count : zeros.size();
    subWrite(zeros.data(), n);
    count -= n;
  }
}

bool cWavWriter::fncbClose(std::string& error) {
  if (!mFile) {
    error = "the writer is not open";
    return false;
  }
  const auto header = fncHeader(mRate, mSamples);
  bool ok = !mFailed && std::fseek(mFile, 0, SEEK_SET) == 0 &&
            std::fwrite(header.data(), 1, header.size(), mFile) == header.size();
  ok = std::fclose(mFile) == 0 && ok;
  mFile = nullptr;
  std::error_code ec;
  if (ok) std::filesystem::rename(mTemp, mPath, ec);
  if (!ok || ec) {
    error = mPath.string() + ": cannot be written";
    std::filesystem::remove(mTemp, ec);
    return false;
  }
  return true;
}

}  // namespace lyn::tools
