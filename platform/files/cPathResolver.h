#pragma once
// Paths resolved without regard to case, and folder listings in a fixed order.
//
// Books made on systems whose file names ignore case name their files in any case
// ("CHAP01.SMIL" for chap01.smil), and parts of the player lower-case the names they keep. So
// every path the player opens, tests or lists goes through here: the path as written when it
// exists; otherwise, component by component, the entry of the folder whose name equals the
// component ignoring case (fncEqualsIgnoringCase), the first in byte-wise order of the names
// when several do. The result keeps the real case of every component; show and store that one.
//
// "." and ".." are taken as written. A trailing "/" is dropped. Relative paths resolve against
// the current folder and stay relative.
//
// Listings are in byte-wise order of the names, so every machine gives the same order.
//
// Results:
//   the path exists as written               -> that path; no folder is listed
//   a component matches only ignoring case   -> the real path
//   no entry matches, a folder cannot be read, or the path is empty
//                                            -> nothing

#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/files/cFolderEntry.h"

namespace lyn {

// The entries of `folder` (without "." and ".."), sorted byte-wise by name. Empty, and `ok` false,
// when the folder cannot be listed. Not cached.
std::vector<cFolderEntry> fncListFolder(const std::filesystem::path& folder, bool* ok = nullptr);

// Resolves one path without a cache; fine for a path met once.
std::optional<std::filesystem::path> fncResolvePathIgnoringCase(const std::filesystem::path& path);

// A resolver that keeps the listings it reads. Resolving a path again costs a status check per
// component and no listing; a listing is read again when its folder's modification time (or the
// folder itself) changes. Owned by whoever resolves many paths in the same folders (the book file
// set); not for use from two threads at once.
class cPathResolver {
 public:
  std::optional<std::filesystem::path> fncResolve(const std::filesystem::path& path);

  // The names in `folder` (real path, as fncResolve returns), byte-wise sorted; nothing when the
  // folder cannot be listed. The vector stays valid until the next call on this resolver.
  const std::vector<std::string>* fncListNames(const std::filesystem::path& folder);

  // Drops every kept listing.
  void subForget() { mListings.clear(); }

  // How many folder listings this resolver has read (for tests and benchmarks).
  size_t fncListingsRead() const { return mListingsRead; }

 private:
  struct cListing {
    int64_t lModifiedSeconds = 0;
    int64_t lModifiedNanoseconds = 0;
    uint64_t lInode = 0;
    std::vector<std::string> aNames;                        // byte-wise order
    std::unordered_map<std::string, size_t> mFoldedToName;  // folded name -> first in aNames
  };

  cListing* fncListing(const std::filesystem::path& folder);

  std::unordered_map<std::string, cListing> mListings;
  size_t mListingsRead = 0;
};

}  // namespace lyn
