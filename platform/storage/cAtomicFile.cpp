#include "platform/storage/cAtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "platform/storage/cRegularFile.h"

namespace lyn {

namespace {

void setError(std::string* error, const std::string& what) {
  if (error) *error = what;
}

std::string reason(const std::filesystem::path& path, int err) {
  return path.string() + ": " + std::strerror(err);
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
  cFileDescriptor fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd) ::fsync(fd.get());
}

// Creates a temporary file beside `target` that did not exist before. O_EXCL with O_CREAT also
// refuses a symbolic link of that name, dangling or not; O_NOFOLLOW says so once more.
cFileDescriptor createTemporary(const std::filesystem::path& target, mode_t mode,
                                std::filesystem::path& temp, std::string* error) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = target;
    temp += attempt == 0 ? std::string(".tmp") : ".tmp" + std::to_string(attempt);
    cFileDescriptor fd(::open(temp.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, mode));
    if (fd) return fd;
    if (errno != EEXIST) {
      setError(error, "cannot create " + reason(temp, errno));
      return {};
    }
  }
  setError(error, "cannot create a temporary file beside " + target.string() +
                      ": every name is taken");
  return {};
}

bool writeFile(const std::filesystem::path& path, std::string_view bytes, std::string* error,
               const std::function<bool()>& beforeRename, const AtomicWriteObserver& onStep);

}  // namespace

std::optional<std::filesystem::path> fncWriteTarget(const std::filesystem::path& path,
                                                    std::string* error) {
  std::filesystem::path current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::error_code ec;
    const auto next = std::filesystem::read_symlink(current, ec);
    if (ec) {
      setError(error, reason(current, ec.value()));
      return std::nullopt;
    }
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  setError(error, reason(path, ELOOP));
  return std::nullopt;
}

bool fncWriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                            std::string* error, const std::function<bool()>& beforeRename) {
  return writeFile(path, bytes, error, beforeRename, {});
}

bool fncWriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                            std::string* error, const AtomicWriteObserver& onStep) {
  return writeFile(path, bytes, error, {}, onStep);
}

namespace {

bool writeFile(const std::filesystem::path& path, std::string_view bytes, std::string* error,
               const std::function<bool()>& beforeRename, const AtomicWriteObserver& onStep) {
  const auto step = [&onStep](eAtomicWriteStep reached) {
    if (onStep) onStep(reached);
  };
  const auto target = fncWriteTarget(path, error);
  if (!target) return false;
  std::error_code ec;
  const auto folder = target->parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);

  mode_t mode = 0644;  // less the umask, as for any new file
  bool keepMode = false;
  struct stat st {};
  if (::stat(target->c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      setError(error, target->string() + (S_ISDIR(st.st_mode) ? ": is a folder" : ": not a regular file"));
      return false;
    }
    mode = st.st_mode & 07777;
    keepMode = true;
  }

  std::filesystem::path temp;
  cFileDescriptor fd = createTemporary(*target, keepMode ? 0600 : mode, temp, error);
  if (!fd) return false;
  step(eAtomicWriteStep::TemporaryCreated);
  // The mode given to open() loses the umask bits; the old file's mode is set exactly.
  bool ok = (!keepMode || ::fchmod(fd.get(), mode) == 0) && writeAll(fd.get(), bytes);
  if (ok) step(eAtomicWriteStep::DataWritten);
  ok = ok && ::fsync(fd.get()) == 0;
  int savedErrno = errno;
  ok = (::close(fd.fncRelease()) == 0) && ok;
  if (!ok) {
    if (savedErrno == 0) savedErrno = errno;
    setError(error, "cannot write " + reason(temp, savedErrno));
    std::filesystem::remove(temp, ec);
    return false;
  }
  step(eAtomicWriteStep::DataFlushed);
  if (beforeRename && !beforeRename()) {
    setError(error, "write interrupted before the rename");
    std::filesystem::remove(temp, ec);
    return false;
  }
  if (::rename(temp.c_str(), target->c_str()) != 0) {
    setError(error, "cannot replace " + reason(*target, errno));
    std::filesystem::remove(temp, ec);
    return false;
  }
  step(eAtomicWriteStep::Renamed);
  syncFolder(folder);
  step(eAtomicWriteStep::FolderSynced);
  return true;
}

}  // namespace

std::optional<std::filesystem::path> fncSetAside(const std::filesystem::path& from,
                                                 std::string_view suffix, std::string* error) {
  for (int number = 0; number < 10000; ++number) {
    std::filesystem::path to = from;
    to += std::string(suffix);
    if (number > 0) to += "." + std::to_string(number);
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
      return to;
    if (errno == EEXIST) continue;
    if (errno != EINVAL && errno != ENOSYS) {
      setError(error, "cannot rename " + reason(from, errno));
      return std::nullopt;
    }
    // A file system without RENAME_NOREPLACE: link() refuses an existing name just as well.
    if (::link(from.c_str(), to.c_str()) == 0) {
      ::unlink(from.c_str());
      return to;
    }
    if (errno == EEXIST) continue;
    setError(error, "cannot rename " + reason(from, errno));
    return std::nullopt;
  }
  setError(error, "cannot rename " + from.string() + ": every name is taken");
  return std::nullopt;
}

bool fncReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
  return fncReadRegularFile(path, bytes, uint64_t{1} << 30);
}

}  // namespace lyn
