#pragma once
// An open folder listing (DIR*) owned like any other object: closed when the handle goes, on
// every way out, a thrown allocation failure included.

#include <dirent.h>

#include <memory>

namespace lyn {

struct FolderCloser {
  void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};
using cFolderHandle = std::unique_ptr<DIR, FolderCloser>;

}  // namespace lyn
