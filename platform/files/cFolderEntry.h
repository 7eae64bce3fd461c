#pragma once
// One entry of a folder listing (fncListFolder).

#include <string>

namespace lyn {

struct cFolderEntry {
  std::string sName;        // as on disk
  bool bolFolder = false;   // a folder, or a symbolic link to one
  bool bolSymlink = false;  // the entry itself is a symbolic link
};

}  // namespace lyn
