#include "disk/mdlDiskModule.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "platform/drives/PathCompare.h"
#include "platform/drives/cDrives.h"
#include "platform/storage/cAtomicFile.h"
#include "shell/ModuleServices.h"
#include "shell/cSettingsTable.h"

namespace lyn {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUserDataPathValue = "userdatapath";
constexpr const char* kDataFolderName = "lyn-reader/";

void warn(const std::string& message) { std::cerr << "lyn-reader: " << message << '\n'; }

void removeAllIgnoringCase(std::string& text, std::string_view what) {
  size_t pos = 0;
  while (pos + what.size() <= text.size()) {
    if (fncEqualsIgnoringAsciiCase(std::string_view(text).substr(pos, what.size()), what))
      text.erase(pos, what.size());
    else
      ++pos;
  }
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Web and other non-file links: "scheme://..." (file:// is already gone), the plain "http:",
// "https:" and "ftp:" forms, and the schemes that never name a file.
bool isWebLink(std::string_view s) {
  for (std::string_view scheme : {"http:", "https:", "ftp:", "mailto:", "javascript:", "data:"})
    if (fncStartsWithIgnoringAsciiCase(s, scheme)) return true;
  if (s.empty() || !isAsciiLetter(s[0])) return false;
  size_t i = 1;
  while (i < s.size() && (isAsciiLetter(s[i]) || isAsciiDigit(s[i]) || s[i] == '+' || s[i] == '-' || s[i] == '.'))
    ++i;
  return i >= 2 && s.substr(i, 3) == "://";
}

// `folder` (ending in "/" or empty) with "." and ".." resolved and repeated "/" collapsed. An
// absolute folder never climbs above the root; a relative one keeps the ".." it cannot resolve.
std::string normaliseFolder(std::string_view folder) {
  const bool absolute = !folder.empty() && folder.front() == '/';
  std::vector<std::string_view> parts;
  size_t pos = 0;
  while (pos < folder.size()) {
    size_t end = folder.find('/', pos);
    if (end == std::string_view::npos) end = folder.size();
    std::string_view part = folder.substr(pos, end - pos);
    pos = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..")
        parts.pop_back();
      else if (!absolute)
        parts.push_back(part);
      continue;
    }
    parts.push_back(part);
  }
  std::string result = absolute ? "/" : "";
  for (auto part : parts) {
    result.append(part);
    result += '/';
  }
  return result;
}

// Decodes one UTF-8 character at text[pos]; a byte that starts no valid sequence is taken as
// the Latin-1 character of that code.
char32_t nextCodePoint(std::string_view text, size_t& pos) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char first = byte(pos);
  size_t length = first < 0x80 ? 1 : (first >> 5) == 0x6 ? 2 : (first >> 4) == 0xE ? 3 : (first >> 3) == 0x1E ? 4 : 0;
  if (length > 1 && pos + length <= text.size()) {
    char32_t c = first & (0x7F >> length);
    bool valid = true;
    for (size_t i = 1; i < length && valid; ++i) {
      valid = (byte(pos + i) & 0xC0) == 0x80;
      c = (c << 6) | (byte(pos + i) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (valid && c >= kSmallest[length] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF)) {
      pos += length;
      return c;
    }
  }
  ++pos;
  return first;
}

// Upper case as the Western code page knew it.
char32_t upperWestern(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  switch (c) {
    case 0xFF: return 0x178;   // y with diaeresis
    case 0x161: return 0x160;  // s with caron
    case 0x153: return 0x152;  // oe
    case 0x17E: return 0x17D;  // z with caron
    default: return c;
  }
}

}  // namespace

mdlDiskModule::mdlDiskModule(cRegistry& registry, iDrives& drives) : mRegistry(registry), mDrives(drives) {}

std::string mdlDiskModule::fncDefaultUserDataPath() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
    return fncWithTrailingSeparator(xdg) + kDataFolderName;
  std::string home = cDrives::fncUserHomeFolder();
  if (home.empty()) home = "/tmp/lyn-reader-" + std::to_string(::getuid());
  return fncWithTrailingSeparator(home) + ".local/share/" + kDataFolderName;
}

bool mdlDiskModule::fncbFolderUsable(const std::string& folder) const {
  std::error_code ec;
  return fs::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

void mdlDiskModule::subCreateFolderPath(std::string_view path) const {
  for (size_t slash = path.find('/', 1); slash != std::string_view::npos; slash = path.find('/', slash + 1)) {
    std::string folder(path.substr(0, slash));
    if (folder.empty() || folder.back() == '/') continue;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) fs::create_directory(folder, ec);
  }
}

void mdlDiskModule::subMoveFiles(const std::string& fromFolder, const std::string& toFolder) const {
  std::error_code ec;
  for (fs::directory_iterator it(fromFolder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code entryError;
    if (!fs::is_regular_file(it->symlink_status(entryError))) continue;
    const fs::path from = it->path();
    const fs::path to = fs::path(toFolder) / from.filename();
    if (fs::exists(fs::symlink_status(to, entryError))) {
      warn("not moved, already in the new data folder: " + from.string());
      continue;
    }
    if (std::rename(from.c_str(), to.c_str()) == 0) continue;
    if (errno != EXDEV) {
      warn("could not move " + from.string() + " to " + to.string());
      continue;
    }
    // Another file system: copy whole, and only then remove the original.
    std::string bytes;
    std::string error;
    if (!fncReadWholeFile(from, bytes) || !fncWriteFileAtomically(to, bytes, &error)) {
      warn("could not move " + from.string() + " to " + to.string() + (error.empty() ? "" : ": " + error));
      continue;
    }
    fs::remove(from, entryError);
  }
}

void mdlDiskModule::subInitUserDataPath() {
  std::string path;
  mRegistry.fncReadValue(kUserDataPathValue, path, eRegistryRoot::CurrentUser, kKeyMisc);
  const std::string defaultPath = fncWithTrailingSeparator(sDefaultUserDataPath);
  // Only an absolute path names one folder whatever the current folder is.
  path = (path.empty() || path.front() != '/') ? defaultPath : fncWithTrailingSeparator(path);
  if (!fncbFolderUsable(path)) subCreateFolderPath(path);
  if (!fncbFolderUsable(path) && path != defaultPath) {
    // A folder on a stick that is gone, or a path that can no longer be made: bookmarks must
    // still be saved somewhere.
    warn("the data folder " + path + " cannot be used; using " + defaultPath);
    path = defaultPath;
    subCreateFolderPath(path);
  }
  if (!fncbFolderUsable(path)) warn("the data folder " + path + " cannot be created");
  gsUserDataPath = path;

  std::string drive, folder, file, fragment;
  fncSplitPath(path, drive, folder, file, fragment);
  std::optional<uint64_t> free = mDrives.fncFreeSpace(drive.empty() ? path : drive);
  if (free && *free <= kLowFreeSpace) {
    mDrives.fncbUpdate();
    for (const cDrive& candidate : mDrives.fncDrives()) {
      if (!candidate.bolIsReady || candidate.enDriveType != eDriveType::Fixed) continue;
      std::optional<uint64_t> room = mDrives.fncFreeSpace(candidate.sMountPoint);
      if (!room || *room <= kLowFreeSpace) continue;
      // On the drive of the default folder that folder is the place; elsewhere the drive's own.
      const std::string newPath = mDrives.fncDriveOfPath(defaultPath) == candidate.sMountPoint
                                      ? defaultPath
                                      : fncWithTrailingSeparator(candidate.sMountPoint) + kDataFolderName;
      if (fncEqualsIgnoringAsciiCase(newPath, path)) break;
      subCreateFolderPath(newPath);
      if (!fncbFolderUsable(newPath)) continue;
      if (fncbFolderUsable(path)) subMoveFiles(path, newPath);
      gsUserDataPath = newPath;
      break;
    }
  }
  mRegistry.subWriteValue(kUserDataPathValue, gsUserDataPath, eRegistryRoot::CurrentUser, kKeyMisc);
}

std::vector<std::string> mdlDiskModule::fncScanDrives(bool includeNetwork, bool removableOnly) {
  mDrives.fncbUpdate();
  // In list order: CD-ROM, removable, RAM disk, fixed, network, unknown.
  static constexpr eDriveType kOrder[] = {eDriveType::CdRom,   eDriveType::Removable, eDriveType::RamDisk,
                                          eDriveType::Fixed,   eDriveType::Network,   eDriveType::Unknown};
  std::vector<std::string> full;
  std::vector<std::string> returned;
  const auto& drives = mDrives.fncDrives();
  for (eDriveType type : kOrder) {
    const bool wanted = removableOnly ? (type == eDriveType::CdRom || type == eDriveType::Removable)
                                      : (includeNetwork || type != eDriveType::Network);
    for (const cDrive& drive : drives) {
      if (!drive.bolIsReady || drive.enDriveType != type) continue;
      full.push_back(drive.sMountPoint);
      if (wanted) returned.push_back(drive.sMountPoint);
    }
  }

  auto contains = [](const std::vector<std::string>& list, const std::string& item) {
    for (const auto& entry : list)
      if (entry == item) return true;
    return false;
  };
  std::vector<std::string> differences;
  for (const auto& drive : full)
    if (!contains(gsLastDrives, drive)) differences.push_back(drive);
  for (const auto& drive : gsLastDrives)
    if (!contains(full, drive)) differences.push_back(drive);
  if (!differences.empty()) gsChangedDrives = std::move(differences);

  gsLastDrives = returned;
  return returned;
}

bool mdlDiskModule::fncbCheckDrivesChanged() {
  std::vector<std::string> before = gsLastDrives;
  fncScanDrives(true, false);
  return before != gsLastDrives;
}

bool mdlDiskModule::fncSplitPath(std::string_view pathOrLink, std::string& drive, std::string& folder,
                                 std::string& file, std::string& fragment,
                                 std::optional<std::string_view> base) const {
  std::string baseDrive, baseFolder, baseFile, baseFragment;
  if (base && !fncSplitPath(*base, baseDrive, baseFolder, baseFile, baseFragment)) return false;

  std::string s(pathOrLink);
  removeAllIgnoringCase(s, "about:blank");
  std::string outFragment;
  if (size_t hash = s.find('#'); hash != std::string::npos) {
    outFragment = s.substr(hash + 1);
    s.resize(hash);
  }
  for (char& c : s)
    if (c == '\\') c = '/';
  if (fncStartsWithIgnoringAsciiCase(s, "file://")) s.erase(0, 7);
  if (isWebLink(s)) return false;

  std::string outFolder;
  std::string outFile;
  size_t slash = s.rfind('/');
  if (slash == std::string::npos) {
    outFolder = base ? baseFolder : std::string();
    outFile = s;
  } else {
    std::string_view folderPart = std::string_view(s).substr(0, slash + 1);
    outFile = s.substr(slash + 1);
    if (folderPart.front() == '/' || !base || baseFolder.empty())
      outFolder = normaliseFolder(folderPart);
    else
      outFolder = normaliseFolder(baseFolder + std::string(folderPart));
  }

  drive = (!outFolder.empty() && outFolder.front() == '/') ? mDrives.fncDriveOfPath(outFolder) : std::string();
  folder = std::move(outFolder);
  file = std::move(outFile);
  fragment = std::move(outFragment);
  return true;
}

std::string mdlDiskModule::fncSafeFileName(std::string_view text) {
  constexpr size_t kMaximumLength = 40;
  std::string name;
  size_t pos = 0;
  while (pos < text.size() && name.size() < kMaximumLength) {
    char32_t c = upperWestern(nextCodePoint(text, pos));
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'))
      name += static_cast<char>(c);
    else
      name += static_cast<char>('a' + c % 26);
  }
  return name;
}

}  // namespace lyn
