#pragma once
// Searching a folder tree for the NCC files of books, telling a listener about each find while
// the search runs.
//
// The search goes depth first: a folder's own "ncc.html" (found without regard to case; the
// exact spelling wins, else the first in byte-wise order), then its subfolders in byte-wise
// order of their names. It
//   - stays on the file system of the folder it was started in (other mounts are not entered),
//   - does not follow symbolic links to folders, and never enters a folder twice on one branch
//     (bind-mount loops),
//   - skips the recycle and trash folders at the drive's root ("RECYCLED*", "RECYCLER*",
//     "$RECYCLE.BIN", ".Trash", ".Trash-<uid>") and the home folder's ".local/share/Trash",
//   - consults the root searcher's mbAbort before every folder and every folder entry, and
//     after every listener call; an aborted search enters no further folder and returns what it
//     found so far,
//   - never sleeps: the listener's subSearchingPath is where the user interface gets its turn.
//
// Errors, none of which stops the search:
//   a folder that cannot be opened or listed (no permission, vanished, path too long)
//                                   -> no subfolders from it; the search goes on elsewhere
//   the start folder is missing     -> empty result
//   a second search started on the same root while one runs (from a listener)
//                                   -> empty result; the running search is not disturbed

#include <string>
#include <string_view>
#include <vector>

#include "disk/iSearchOwner.h"

namespace lyn {

class cFindFile {
 public:
  cFindFile() = default;
  cFindFile(const cFindFile&) = delete;
  cFindFile& operator=(const cFindFile&) = delete;

  // True when anything matches `path`. The last component may hold the wildcards "*" and "?";
  // "*.*" matches every name. Names are matched without regard to case.
  bool fncbFileExists(std::string_view path) const;

  // The full paths of the NCC files in `folder` and every folder below it, in search order; a
  // relative `folder` is taken from the current folder. The list is 1-based: element 0 is an
  // empty slot, the finds are 1 to size() - 1.
  std::vector<std::string> fncavntFindNccs(std::string_view folder);

  // Sets the root searcher's mbAbort.
  void subAbortSearch() { oSearchRoot->mbAbort = true; }

  // Set to abort a running search; only the root searcher's flag is consulted.
  bool mbAbort = false;
  // Receives the listener calls; may be empty.
  iSearchOwner* oSearchOwner = nullptr;
  // The searcher whose mbAbort every searcher of one search consults; the root is itself.
  cFindFile* oSearchRoot = this;
  // The root of the drive being searched, where the trash folders lie. When empty, the root of
  // the file system that holds the start folder.
  std::string sDriveRoot;

 private:
  bool mbSearching = false;
};

}  // namespace lyn
