#include "platform/storage/cRegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lyn {

cFileDescriptor::~cFileDescriptor() {
  if (mFd >= 0) ::close(mFd);
}

cFileDescriptor& cFileDescriptor::operator=(cFileDescriptor&& other) noexcept {
  if (this != &other) {
    if (mFd >= 0) ::close(mFd);
    mFd = other.fncRelease();
  }
  return *this;
}

int cFileDescriptor::fncRelease() noexcept {
  const int fd = mFd;
  mFd = -1;
  return fd;
}

namespace {

void setError(std::string* error, const std::filesystem::path& path, const std::string& why) {
  if (error) *error = path.string() + ": " + why;
}

}  // namespace

cFileDescriptor fncOpenRegularFile(const std::filesystem::path& path, std::string* error,
                                   uint64_t* size) {
  cFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!fd) {
    setError(error, path, std::strerror(errno));
    return {};
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    setError(error, path, std::strerror(errno));
    return {};
  }
  if (S_ISDIR(st.st_mode)) {
    setError(error, path, "is a folder");
    return {};
  }
  if (!S_ISREG(st.st_mode)) {
    setError(error, path, "not a regular file");
    return {};
  }
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
  if (size) *size = static_cast<uint64_t>(st.st_size);
  return fd;
}

bool fncReadRegularFile(const std::filesystem::path& path, std::string& bytes, uint64_t maxBytes,
                        std::string* error) {
  bytes.clear();
  uint64_t size = 0;
  cFileDescriptor fd = fncOpenRegularFile(path, error, &size);
  if (!fd) return false;
  if (size > maxBytes) {
    setError(error, path, "larger than " + std::to_string(maxBytes) + " bytes");
    return false;
  }
  bytes.reserve(static_cast<size_t>(size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      setError(error, path, std::strerror(errno));
      bytes.clear();
      return false;
    }
    if (bytes.size() + static_cast<uint64_t>(n) > maxBytes) {
      setError(error, path, "larger than " + std::to_string(maxBytes) + " bytes");
      bytes.clear();
      return false;
    }
    bytes.append(buffer, static_cast<size_t>(n));
  }
  return true;
}

}  // namespace lyn
