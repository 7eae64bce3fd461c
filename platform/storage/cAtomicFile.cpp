#include "platform/storage/cAtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace lyn {

namespace {

void setError(std::string* error, const std::string& what) {
  if (error) *error = what;
}

bool writeAll(int fd, std::string_view bytes) {
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

// Makes the rename itself durable: without this a power loss can bring back the old name.
void syncFolder(const std::filesystem::path& folder) {
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

bool writeFile(const std::filesystem::path& path, std::string_view bytes, std::string* error,
               const std::function<bool()>& beforeRename, const AtomicWriteObserver& onStep) {
  const auto step = [&onStep](eAtomicWriteStep s) {
    if (onStep) onStep(s);
  };
  std::error_code ec;
  const auto folder = path.parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);

  std::filesystem::path temp = path;
  temp += ".tmp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    setError(error, "cannot create " + temp.string() + ": " + std::strerror(errno));
    return false;
  }
  step(eAtomicWriteStep::TemporaryCreated);
  bool ok = writeAll(fd, bytes);
  if (ok) step(eAtomicWriteStep::DataWritten);
  ok = ok && ::fsync(fd) == 0;
  const int savedErrno = errno;
  ok = (::close(fd) == 0) && ok;
  if (!ok) {
    setError(error, "cannot write " + temp.string() + ": " + std::strerror(savedErrno));
    std::filesystem::remove(temp, ec);
    return false;
  }
  step(eAtomicWriteStep::DataFlushed);
  if (beforeRename && !beforeRename()) {
    setError(error, "write interrupted before the rename");
    return false;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    setError(error, "cannot replace " + path.string() + ": " + std::strerror(errno));
    std::filesystem::remove(temp, ec);
    return false;
  }
  step(eAtomicWriteStep::Renamed);
  syncFolder(folder);
  step(eAtomicWriteStep::FolderSynced);
  return true;
}

}  // namespace

bool fncWriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                            std::string* error, const std::function<bool()>& beforeRename) {
  return writeFile(path, bytes, error, beforeRename, {});
}

bool fncWriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                            std::string* error, const AtomicWriteObserver& onStep) {
  return writeFile(path, bytes, error, {}, onStep);
}

bool fncReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  bytes = std::move(content);
  return true;
}

}  // namespace lyn
