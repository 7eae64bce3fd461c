#include "tools/cWavWriter.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace lyn::tools {

namespace {

void fncPut32(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}
void fncPut16(unsigned char* at, uint16_t value) {
  at[0] = static_cast<unsigned char>(value);
  at[1] = static_cast<unsigned char>(value >> 8);
}

// The 44-byte canonical header of a 16-bit mono PCM file holding `samples` samples.
std::vector<unsigned char> fncHeader(int rate, uint64_t samples) {
  std::vector<unsigned char> h(44, 0);
  const uint64_t bytes = samples * 2;
  const uint32_t data = bytes > 0xFFFFFFF0u - 36 ? 0xFFFFFFF0u - 36 : uint32_t(bytes);
  std::memcpy(&h[0], "RIFF", 4);
  fncPut32(&h[4], 36 + data);
  std::memcpy(&h[8], "WAVEfmt ", 8);
  fncPut32(&h[16], 16);
  fncPut16(&h[20], 1);  // PCM
  fncPut16(&h[22], 1);  // mono
  fncPut32(&h[24], uint32_t(rate));
  fncPut32(&h[28], uint32_t(rate) * 2);
  fncPut16(&h[32], 2);
  fncPut16(&h[34], 16);
  std::memcpy(&h[36], "data", 4);
  fncPut32(&h[40], data);
  return h;
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
