#include "disk/cFindFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/drives/PathCompare.h"
#include "platform/files/TextCase.h"
#include "platform/files/cFolderHandle.h"
#include "platform/files/cPathResolver.h"

namespace lyn {

namespace {

constexpr std::string_view kNccName = "ncc.html";

std::string joinPath(const std::string& folder, std::string_view name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path = folder;
  if (path.empty() || path.back() != '/') path += '/';
  path.append(name);
  return path;
}

std::string withoutTrailingSeparators(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return std::string(path);
}

bool isTrashName(std::string_view name) {
  if (fncStartsWithIgnoringAsciiCase(name, "recycled") || fncStartsWithIgnoringAsciiCase(name, "recycler")) return true;
  if (fncEqualsIgnoringAsciiCase(name, "$recycle.bin") || fncEqualsIgnoringAsciiCase(name, ".trash")) return true;
  if (!fncStartsWithIgnoringAsciiCase(name, ".trash-") || name.size() == 7) return false;
  return std::all_of(name.begin() + 7, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The first component of `path` below `root`, or "" when `path` is `root` or not below it.
std::string_view firstComponentBelow(std::string_view root, std::string_view path) {
  if (!fncbPathHolds(root, path, true)) return {};
  size_t r = 0;
  size_t p = 0;
  auto next = [](std::string_view s, size_t& pos) {
    while (pos < s.size() && s[pos] == '/') ++pos;
    size_t start = pos;
    while (pos < s.size() && s[pos] != '/') ++pos;
    return s.substr(start, pos - start);
  };
  while (!next(root, r).empty()) next(path, p);
  return next(path, p);
}

bool isTrashFolder(std::string_view path, std::string_view driveRoot) {
  constexpr std::string_view kHomeTrash = "/.local/share/Trash";
  if (path.size() >= kHomeTrash.size() && path.substr(path.size() - kHomeTrash.size()) == kHomeTrash) return true;
  return !driveRoot.empty() && isTrashName(firstComponentBelow(driveRoot, path));
}

// The highest folder above `path` (or `path` itself) on the same file system.
std::string fileSystemRoot(const std::string& path, dev_t device) {
  std::string current = withoutTrailingSeparators(path);
  while (current != "/") {
    size_t slash = current.rfind('/');
    std::string parent = slash == 0 ? "/" : current.substr(0, slash);
    struct stat st {};
    if (::stat(parent.c_str(), &st) != 0 || st.st_dev != device) break;
    current = std::move(parent);
  }
  return current;
}

// One folder's listing: its subfolders in byte-wise order and its NCC, when it has one.
struct Listing {
  std::vector<std::string> subfolders;
  std::string ncc;
};

bool isRegularFile(int dirFd, const char* name, unsigned char type) {
  if (type == DT_REG) return true;
  if (type != DT_LNK && type != DT_UNKNOWN) return false;
  struct stat st {};
  return ::fstatat(dirFd, name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

// Lists the open folder `fd` (and closes it), stopping when `abort` becomes set.
Listing listFolder(int fd, const bool& abort) {
  Listing listing;
  const cFolderHandle dir(::fdopendir(fd));
  if (!dir) {
    ::close(fd);
    return listing;
  }
  std::vector<std::string> nccs;
  while (!abort) {
    const dirent* entry = ::readdir(dir.get());
    if (!entry) break;
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    unsigned char type = entry->d_type;
    if (type == DT_UNKNOWN) {
      struct stat st {};
      if (::fstatat(::dirfd(dir.get()), name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
    }
    if (type == DT_DIR) {
      listing.subfolders.emplace_back(name);
    } else if (std::string_view(name).size() == kNccName.size() && fncEqualsIgnoringAsciiCase(name, kNccName) &&
               isRegularFile(::dirfd(dir.get()), name, type)) {
      nccs.emplace_back(name);
    }
  }
  std::sort(listing.subfolders.begin(), listing.subfolders.end());
  if (!nccs.empty()) {
    auto exact = std::find(nccs.begin(), nccs.end(), kNccName);
    listing.ncc = exact != nccs.end() ? *exact : *std::min_element(nccs.begin(), nccs.end());
  }
  return listing;
}

bool matches(std::string_view pattern, std::string_view name) {
  size_t p = 0;
  size_t n = 0;
  size_t starP = std::string_view::npos;
  size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool cFindFile::fncbFileExists(std::string_view path) const {
  std::string text = withoutTrailingSeparators(path);
  if (text.empty()) return false;
  size_t slash = text.rfind('/');
  std::string folder = slash == std::string::npos ? "" : (slash == 0 ? "/" : text.substr(0, slash));
  std::string last = slash == std::string::npos ? text : text.substr(slash + 1);
  if (last.find_first_of("*?") == std::string::npos) return fncResolvePathIgnoringCase(text).has_value();
  std::filesystem::path resolvedFolder = ".";
  if (!folder.empty()) {
    auto resolved = fncResolvePathIgnoringCase(folder);
    if (!resolved) return false;
    resolvedFolder = *resolved;
  }
  if (last == "*.*") last = "*";
  // "?" stands for one byte of the folded name.
  const std::string pattern = fncFoldCase(last);
  for (const auto& entry : fncListFolder(resolvedFolder))
    if (matches(pattern, fncFoldCase(entry.sName))) return true;
  return false;
}

std::vector<std::string> cFindFile::fncavntFindNccs(std::string_view folder) {
  std::vector<std::string> results(1);
  cFindFile& root = *oSearchRoot;
  const bool& abort = root.mbAbort;
  if (abort || root.mbSearching) return results;
  std::string start = withoutTrailingSeparators(folder);
  if (start.empty()) return results;
  if (start.front() != '/') {
    // The finds are full paths, and the trash rule needs the path from the drive's root.
    char* cwd = ::getcwd(nullptr, 0);
    if (!cwd) return results;
    start = start == "." ? std::string(cwd) : joinPath(cwd, start);
    std::free(cwd);
  }

  root.mbSearching = true;
  struct Release {
    bool& flag;
    ~Release() { flag = false; }
  } release{root.mbSearching};

  struct Frame {
    std::string path;
    std::vector<std::string> subfolders;
    size_t next = 0;
    dev_t device = 0;
    ino_t inode = 0;
  };
  std::vector<Frame> stack;
  dev_t searchDevice = 0;
  std::string driveRoot = sDriveRoot.empty() ? std::string() : withoutTrailingSeparators(sDriveRoot);

  // Enters one opened folder: tells the listener, lists it, reports its NCC and puts it on the
  // stack. False when the search is to stop.
  auto enter = [&](std::string path, int fd, const struct stat& st) {
    if (oSearchOwner) oSearchOwner->subSearchingPath(path);
    if (abort) {
      ::close(fd);
      return false;
    }
    Listing listing = listFolder(fd, abort);
    if (abort) return false;
    if (!listing.ncc.empty()) {
      results.push_back(joinPath(path, listing.ncc));
      if (oSearchOwner) oSearchOwner->subIncomingBook(results.back());
      if (abort) return false;
    }
    stack.push_back(Frame{std::move(path), std::move(listing.subfolders), 0, st.st_dev, st.st_ino});
    return true;
  };

  {
    // The start folder may itself be reached through a link: the caller chose it.
    int fd = ::open(start.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return results;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
      ::close(fd);
      return results;
    }
    searchDevice = st.st_dev;
    if (driveRoot.empty()) driveRoot = fileSystemRoot(start, searchDevice);
    if (isTrashFolder(start, driveRoot)) {
      ::close(fd);
      return results;
    }
    if (!enter(start, fd, st)) return results;
  }

  while (!stack.empty() && !abort) {
    Frame& top = stack.back();
    if (top.next >= top.subfolders.size()) {
      stack.pop_back();
      continue;
    }
    std::string path = joinPath(top.path, top.subfolders[top.next++]);
    if (isTrashFolder(path, driveRoot)) continue;
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    bool enterable = ::fstat(fd, &st) == 0 && st.st_dev == searchDevice;
    for (size_t i = 0; enterable && i < stack.size(); ++i)
      enterable = !(stack[i].device == st.st_dev && stack[i].inode == st.st_ino);
    if (!enterable) {
      ::close(fd);
      continue;
    }
    if (!enter(std::move(path), fd, st)) break;
  }
  return results;
}

}  // namespace lyn
