#include "platform/files/cPathResolver.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/files/TextCase.h"
#include "platform/files/cFolderHandle.h"

namespace fs = std::filesystem;

namespace lyn {

namespace {

bool pathExists(const fs::path& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// Reads the names of `folder` with readdir, sorted byte-wise; false when it cannot be opened.
bool readNames(const fs::path& folder, std::vector<std::string>& names,
               std::vector<unsigned char>* types) {
  const cFolderHandle dir(::opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir) return false;
  std::vector<std::pair<std::string, unsigned char>> entries;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    entries.emplace_back(std::string(name), entry->d_type);
  }
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  names.clear();
  names.reserve(entries.size());
  if (types) types->clear();
  for (auto& [name, type] : entries) {
    names.push_back(std::move(name));
    if (types) types->push_back(type);
  }
  return true;
}

// The first name in `names` (byte-wise sorted) equal to `component` ignoring case.
const std::string* findIgnoringCase(const std::vector<std::string>& names,
                                    std::string_view component) {
  for (const auto& name : names)
    if (fncEqualsIgnoringCase(name, component)) return &name;
  return nullptr;
}

// Walks `path` component by component; `match` finds the real name of a component in a folder.
template <typename Match>
std::optional<fs::path> resolve(const fs::path& path, Match&& match) {
  if (path.empty()) return std::nullopt;
  if (pathExists(path)) {
    fs::path exact = path;
    if (!exact.has_filename() && exact.has_relative_path()) exact = exact.parent_path();
    return exact;
  }
  fs::path current = path.root_path();
  bool started = !current.empty();
  for (const auto& part : path.relative_path()) {
    const std::string component = part.string();
    if (component.empty()) continue;  // a trailing "/"
    const fs::path folder = started ? current : fs::path(".");
    fs::path candidate = started ? current / part : fs::path(part);
    if (component == "." || component == ".." || pathExists(candidate)) {
      current = std::move(candidate);
      started = true;
      continue;
    }
    const std::string* real = match(folder, component);
    if (!real) return std::nullopt;
    current = started ? current / *real : fs::path(*real);
    started = true;
  }
  if (!started) return std::nullopt;
  return current;
}

}  // namespace

std::vector<cFolderEntry> fncListFolder(const fs::path& folder, bool* ok) {
  std::vector<std::string> names;
  std::vector<unsigned char> types;
  std::vector<cFolderEntry> entries;
  const bool read = readNames(folder, names, &types);
  if (ok) *ok = read;
  if (!read) return entries;
  entries.reserve(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    cFolderEntry entry;
    entry.sName = std::move(names[i]);
    const fs::path full = folder / entry.sName;
    unsigned char type = types[i];
    if (type == DT_UNKNOWN) {
      struct stat st;
      if (::lstat(full.c_str(), &st) == 0)
        type = S_ISLNK(st.st_mode) ? DT_LNK : S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
    }
    entry.bolSymlink = type == DT_LNK;
    if (type == DT_DIR) {
      entry.bolFolder = true;
    } else if (type == DT_LNK) {
      struct stat st;
      entry.bolFolder = ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::optional<fs::path> fncResolvePathIgnoringCase(const fs::path& path) {
  std::vector<std::string> names;
  std::string found;
  return resolve(path, [&](const fs::path& folder, std::string_view component)
                           -> const std::string* {
    if (!readNames(folder, names, nullptr)) return nullptr;
    const std::string* real = findIgnoringCase(names, component);
    if (!real) return nullptr;
    found = *real;
    return &found;
  });
}

cPathResolver::cListing* cPathResolver::fncListing(const fs::path& folder) {
  struct stat st;
  if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return nullptr;
  const std::string key = folder.lexically_normal().string();
  auto it = mListings.find(key);
  if (it != mListings.end() && it->second.lModifiedSeconds == st.st_mtim.tv_sec &&
      it->second.lModifiedNanoseconds == st.st_mtim.tv_nsec &&
      it->second.lInode == static_cast<uint64_t>(st.st_ino))
    return &it->second;

  cListing listing;
  if (!readNames(folder, listing.aNames, nullptr)) return nullptr;
  ++mListingsRead;
  listing.lModifiedSeconds = st.st_mtim.tv_sec;
  listing.lModifiedNanoseconds = st.st_mtim.tv_nsec;
  listing.lInode = static_cast<uint64_t>(st.st_ino);
  listing.mFoldedToName.reserve(listing.aNames.size());
  for (size_t i = 0; i < listing.aNames.size(); ++i)
    listing.mFoldedToName.emplace(fncFoldCase(listing.aNames[i]), i);  // keeps the first
  auto& slot = mListings[key];
  slot = std::move(listing);
  return &slot;
}

std::optional<fs::path> cPathResolver::fncResolve(const fs::path& path) {
  return resolve(path, [&](const fs::path& folder, std::string_view component)
                           -> const std::string* {
    cListing* listing = fncListing(folder);
    if (!listing) return nullptr;
    auto it = listing->mFoldedToName.find(fncFoldCase(component));
    if (it == listing->mFoldedToName.end()) return nullptr;
    return &listing->aNames[it->second];
  });
}

const std::vector<std::string>* cPathResolver::fncListNames(const fs::path& folder) {
  cListing* listing = fncListing(folder);
  return listing ? &listing->aNames : nullptr;
}

}  // namespace lyn
