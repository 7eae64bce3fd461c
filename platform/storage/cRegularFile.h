#pragma once
// Opening files that the player reads (books, audio, settings, prompts, bookmarks) safely.
//
// A path may name anything: a FIFO (an open would block for good), a device (/dev/zero never
// ends), a folder, /proc/self/mem. Every file the player reads is therefore opened without
// blocking (O_NONBLOCK), checked with fstat to be a regular file, and only then read through that
// same descriptor, so nothing can be swapped in between the check and the read.

#include <cstdint>
#include <filesystem>
#include <string>

namespace lyn {

// Owns one file descriptor; closes it when destroyed. Moves, never copies.
class cFileDescriptor {
 public:
  cFileDescriptor() = default;
  explicit cFileDescriptor(int fd) : mFd(fd) {}
  ~cFileDescriptor();
  cFileDescriptor(cFileDescriptor&& other) noexcept : mFd(other.fncRelease()) {}
  cFileDescriptor& operator=(cFileDescriptor&& other) noexcept;
  cFileDescriptor(const cFileDescriptor&) = delete;
  cFileDescriptor& operator=(const cFileDescriptor&) = delete;

  int get() const { return mFd; }
  bool valid() const { return mFd >= 0; }
  explicit operator bool() const { return valid(); }
  // Gives the descriptor up without closing it (-1 when there was none).
  int fncRelease() noexcept;

 private:
  int mFd = -1;
};

// Opens `path` for reading: O_RDONLY | O_NONBLOCK | O_CLOEXEC, then fstat. Anything but a regular
// file (a folder, a FIFO, a device, a socket) is closed again and refused. On success the
// descriptor is switched back to blocking reads (a regular file never blocks anyway) and `size`
// (when given) holds the file's size. On failure the result is invalid and `error` (when given)
// names the file and the reason: "<path>: is a folder", "<path>: not a regular file",
// "<path>: <strerror>".
cFileDescriptor fncOpenRegularFile(const std::filesystem::path& path, std::string* error = nullptr,
                                   uint64_t* size = nullptr);

// Reads the whole regular file `path` into `bytes` through fncOpenRegularFile. A file larger than
// `maxBytes` is refused ("<path>: larger than N bytes") without reading it; the limit also holds
// when the file grows while it is read. False (and `error`) on any failure; `bytes` is then
// empty.
bool fncReadRegularFile(const std::filesystem::path& path, std::string& bytes, uint64_t maxBytes,
                        std::string* error = nullptr);

}  // namespace lyn
