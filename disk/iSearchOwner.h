#pragma once
// The listener of a book search (cFindFile). The searcher borrows it for the search's life.

#include <string>

namespace lyn {

class iSearchOwner {
 public:
  virtual ~iSearchOwner() = default;

  // A folder is being entered. This is where the window lets pending events run, so a key
  // that aborts the search (cFindFile::subAbortSearch) is handled here. It must not start
  // another search on the same root.
  virtual void subSearchingPath(const std::string& folder) = 0;

  // An NCC was found: its full path, the name spelled as on the disk.
  virtual void subIncomingBook(const std::string& nccPath) = 0;
};

}  // namespace lyn
