#include "platform/drives/cDrives.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

#include "platform/drives/PathCompare.h"
#include "platform/drives/cMountLibrary.h"
#include "platform/files/TextCase.h"

namespace lyn {

namespace {

namespace fs = std::filesystem;

bool isUnder(std::string_view path, std::string_view folder) {
  return path == folder ||
         (path.size() > folder.size() && path.substr(0, folder.size()) == folder && path[folder.size()] == '/');
}

// The system's own mounts, by their place in the table.
bool isSystemMount(std::string_view target) {
  if (target == "/" || target == "/home") return true;
  // Other users' homes sit directly below /home; ours is the home drive.
  if (target.size() > 6 && target.substr(0, 6) == "/home/" && target.find('/', 6) == std::string_view::npos)
    return true;
  if (isUnder(target, "/run/media")) return false;
  static constexpr std::array<std::string_view, 11> kSystemFolders = {
      "/boot", "/usr", "/var", "/tmp", "/run", "/srv", "/opt", "/snap", "/proc", "/sys", "/dev"};
  for (auto folder : kSystemFolders)
    if (isUnder(target, folder)) return true;
  return false;
}

bool isOneOf(std::string_view type, std::initializer_list<std::string_view> types) {
  for (auto t : types)
    if (fncEqualsIgnoringAsciiCase(type, t)) return true;
  return false;
}

bool isNetworkType(const cMountLibrary& mount, const std::string& type) {
  return isOneOf(type, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "davfs", "fuse.davfs",
                        "fuse.davfs2", "9p", "virtiofs", "vboxsf", "afs", "ceph", "glusterfs",
                        "fuse.glusterfs", "ncpfs"}) ||
         mount.fstype_is_netfs(type.c_str());
}

bool isPseudoType(const cMountLibrary& mount, const std::string& type) {
  return isOneOf(type, {"proc", "sysfs", "cgroup", "cgroup2", "devpts", "devtmpfs", "securityfs", "debugfs",
                        "tracefs", "mqueue", "fusectl", "configfs", "bpf", "pstore", "autofs", "squashfs",
                        "binfmt_misc", "hugetlbfs", "efivarfs", "nsfs", "overlay", "rpc_pipefs",
                        "selinuxfs"}) ||
         mount.fstype_is_pseudofs(type.c_str());
}

std::optional<bool> readFlag(const fs::path& file) {
  std::ifstream in(file);
  char c = 0;
  if (!in.get(c)) return std::nullopt;
  return c == '1';
}

// The "removable" flag of the disk that holds the device: by its numbers through
// <sys>/dev/block/<major>:<minor>, else by its name under <sys>/block.
std::optional<bool> isRemovableDevice(const std::string& sysFolder, dev_t devno, const std::string& name) {
  std::error_code ec;
  if (major(devno) != 0) {
    fs::path link = fs::path(sysFolder) / "dev/block" /
                    (std::to_string(major(devno)) + ":" + std::to_string(minor(devno)));
    fs::path device = fs::canonical(link, ec);
    if (!ec) {
      bool partition = fs::exists(device / "partition", ec);
      if (auto flag = readFlag(partition ? device.parent_path() / "removable" : device / "removable")) return flag;
    }
  }
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  fs::path block = fs::path(sysFolder) / "block";
  if (auto flag = readFlag(block / name / "removable")) return flag;
  for (fs::directory_iterator it(block, ec), end; !ec && it != end; it.increment(ec)) {
    if (fs::is_directory(it->path() / name, ec)) return readFlag(it->path() / "removable");
  }
  return std::nullopt;
}

// The drive type of one mount, or nothing when it is no drive.
std::optional<eDriveType> classify(const cMountLibrary& mount, const std::string& target,
                                   const std::string& source, const std::string& type, dev_t devno,
                                   const std::string& sysFolder) {
  if (isSystemMount(target)) return std::nullopt;
  const bool blockDevice = source.size() > 5 && source.compare(0, 5, "/dev/") == 0;
  const std::string deviceName = blockDevice ? fs::path(source).filename().string() : std::string();
  if (blockDevice && source.compare(0, 7, "/dev/fd") == 0) return std::nullopt;
  if (isOneOf(type, {"iso9660", "udf"})) return eDriveType::CdRom;
  if (deviceName.size() > 2 && deviceName.compare(0, 2, "sr") == 0) return eDriveType::CdRom;
  if (isOneOf(type, {"tmpfs", "ramfs"})) return eDriveType::RamDisk;
  if (isNetworkType(mount, type)) return eDriveType::Network;
  if (isPseudoType(mount, type)) return std::nullopt;
  if (blockDevice)
    return isRemovableDevice(sysFolder, devno, deviceName).value_or(false) ? eDriveType::Removable
                                                                            : eDriveType::Fixed;
  return eDriveType::Unknown;
}

bool startsWithTwoNumbers(std::string_view line) {
  size_t i = 0;
  for (int field = 0; field < 2; ++field) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
    if (i == start || i >= line.size() || (line[i] != ' ' && line[i] != '\t')) return false;
  }
  return true;
}

// The lines of the table that can be mountinfo lines. libmount guesses the format of a table
// from its first line, so one odd line at the top must not turn the rest into another format.
std::string fncMountInfoLines(const std::string& path) {
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string_view line(bytes.data() + start, end - start);
    if (line.find('\0') == std::string_view::npos && startsWithTwoNumbers(line)) {
      lines.append(line);
      lines += '\n';
    }
    start = end + 1;
  }
  return lines;
}

bool isListable(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return false;
  errno = 0;
  bool ok = ::readdir(dir) != nullptr || errno == 0;
  ::closedir(dir);
  return ok;
}

std::string withoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string mapped(const std::string& root, const std::string& target) {
  if (root.empty()) return target;
  if (target == "/") return root;
  return root + target;
}

size_t depth(std::string_view path) {
  size_t n = 0;
  bool inComponent = false;
  for (char c : path) {
    if (c == '/') {
      inComponent = false;
    } else if (!inComponent) {
      inComponent = true;
      ++n;
    }
  }
  return n;
}

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
struct TableDeleter {
  const cMountLibrary* mount;
  void operator()(libmnt_table* table) const { mount->unref_table(table); }
};
struct IterDeleter {
  const cMountLibrary* mount;
  void operator()(libmnt_iter* iter) const { mount->free_iter(iter); }
};

}  // namespace

cDrives::cDrives() : cDrives(MachinePaths{}) {}

cDrives::cDrives(MachinePaths paths) : mPaths(std::move(paths)) {
  mPaths.sRootFolder = mPaths.sRootFolder.empty() ? std::string() : withoutTrailingSeparators(mPaths.sRootFolder);
  if (!mPaths.sHomeFolder.empty()) mPaths.sHomeFolder = withoutTrailingSeparators(mPaths.sHomeFolder);
}

cDrives::~cDrives() = default;

void cDrives::subReadFirst() const {
  if (mMonitor) return;
  // The monitor first, so that a change while the table is read is reported later.
  mMonitor = std::make_unique<cMountMonitor>(mPaths.sMountTable);
  mMonitor->fncbChanged();
  subRead();
}

std::string cDrives::fncUserHomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home == '/') return withoutTrailingSeparators(home);
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::string buffer(size > 0 ? static_cast<size_t>(size) : 16384, '\0');
  struct passwd entry {};
  struct passwd* result = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_dir &&
      result->pw_dir[0] == '/')
    return withoutTrailingSeparators(result->pw_dir);
  return {};
}

bool cDrives::fncbUpdate() {
  if (!mMonitor) {
    subReadFirst();
    return false;
  }
  if (!mMonitor->fncbChanged()) return false;
  subRead();
  return true;
}

const std::vector<cDrive>& cDrives::fncDrives() const {
  subReadFirst();
  return mvDrives;
}

const std::vector<std::string>& cDrives::fncMountPoints() const {
  subReadFirst();
  return mvsMountPoints;
}

bool cDrives::fncbUsesKernelMonitor() const {
  subReadFirst();
  return mMonitor->fncbUsesKernelMonitor();
}

void cDrives::subReload() {
  if (!mMonitor) {
    subReadFirst();
    return;
  }
  subRead();
}

void cDrives::subRead() const {
  mvDrives.clear();
  mvsMountPoints.clear();

  const std::string& home = mPaths.sHomeFolder;
  if (!home.empty() && home != "/") {
    cDrive drive;
    drive.sMountPoint = home;
    drive.enDriveType = eDriveType::Fixed;
    drive.bolIsReady = isListable(home);
    mvDrives.push_back(std::move(drive));
  }

  std::string text = fncMountInfoLines(mPaths.sMountTable);
  if (text.empty()) return;
  if (!mMountLibrary) {
    auto library = std::make_unique<cMountLibrary>();
    if (!library->fncbLoad()) return;
    mMountLibrary = std::move(library);
  }
  const cMountLibrary& mount = *mMountLibrary;
  std::unique_ptr<libmnt_table, TableDeleter> table(mount.new_table(), TableDeleter{&mount});
  std::unique_ptr<libmnt_iter, IterDeleter> iter(mount.new_iter(MNT_ITER_FORWARD), IterDeleter{&mount});
  if (!table || !iter) return;
  // Broken lines are skipped, the rest of the table still counts.
  mount.table_set_parser_errcb(table.get(), [](libmnt_table*, const char*, int) { return 1; });
  std::unique_ptr<FILE, FileCloser> stream(::fmemopen(text.data(), text.size(), "r"));
  if (!stream) return;
  mount.table_parse_stream(table.get(), stream.get(), mPaths.sMountTable.c_str());

  libmnt_fs* entry = nullptr;
  while (mount.table_next_fs(table.get(), iter.get(), &entry) == 0) {
    const char* targetText = mount.fs_get_target(entry);
    if (!targetText || targetText[0] != '/') continue;
    const std::string target = withoutTrailingSeparators(targetText);
    const char* sourceText = mount.fs_get_source(entry);
    const char* typeText = mount.fs_get_fstype(entry);
    const std::string source = sourceText ? sourceText : "";
    const std::string type = typeText ? typeText : "";
    const std::string mountPoint = mapped(mPaths.sRootFolder, target);

    bool known = false;
    for (const auto& m : mvsMountPoints) known = known || m == mountPoint;
    if (!known) mvsMountPoints.push_back(mountPoint);

    // A mount of the home folder is the home drive, already listed.
    if (!home.empty() && mountPoint == home) continue;
    auto driveType = classify(mount, target, source, type, mount.fs_get_devno(entry), mPaths.sSysFolder);

    // A later mount on the same point hides the earlier one.
    auto same = mvDrives.end();
    for (auto it = mvDrives.begin(); it != mvDrives.end(); ++it)
      if (it->sMountPoint == mountPoint) same = it;
    if (!driveType) {
      if (same != mvDrives.end()) mvDrives.erase(same);
      continue;
    }
    cDrive drive;
    drive.sMountPoint = mountPoint;
    drive.sSource = source;
    drive.sFileSystemType = type;
    drive.enDriveType = *driveType;
    drive.bolIsReady = isListable(mountPoint);
    if (same != mvDrives.end())
      *same = std::move(drive);
    else
      mvDrives.push_back(std::move(drive));
  }
}

std::string cDrives::fncDriveOfPath(std::string_view path) const {
  if (path.empty() || path.front() != '/') return {};
  subReadFirst();
  const std::string* exact = nullptr;
  const std::string* folded = nullptr;
  size_t exactDepth = 0;
  size_t foldedDepth = 0;
  auto consider = [&](const std::string& folder) {
    size_t d = depth(folder);
    if (fncbPathHolds(folder, path, false)) {
      if (!exact || d > exactDepth) exact = &folder, exactDepth = d;
    } else if (fncbPathHolds(folder, path, true)) {
      if (!folded || d > foldedDepth) folded = &folder, foldedDepth = d;
    }
  };
  for (const auto& m : mvsMountPoints) consider(m);
  if (!mPaths.sHomeFolder.empty()) consider(mPaths.sHomeFolder);
  if (folded && (!exact || foldedDepth > exactDepth)) return *folded;
  if (exact) return *exact;
  return "/";
}

std::optional<uint64_t> cDrives::fncFreeSpace(const std::string& path) const {
  struct statvfs st {};
  if (path.empty() || ::statvfs(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<uint64_t>(st.f_bavail) * static_cast<uint64_t>(st.f_frsize);
}

}  // namespace lyn
