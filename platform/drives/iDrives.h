#pragma once
// The machine's drives, as the disk module sees them. cDrives is this machine's; tests give
// their own.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drives/cDrive.h"

namespace lyn {

class iDrives {
 public:
  virtual ~iDrives() = default;

  // Reads the drives again when they may have changed; true when it did. Cheap otherwise:
  // this is called on every tick of the main timer.
  virtual bool fncbUpdate() = 0;

  // Every drive, in the order of the walk: the home folder first, then the mount table's order.
  // Drives that are not ready are listed too.
  virtual const std::vector<cDrive>& fncDrives() const = 0;

  // The mount point (or home folder) that holds `path`: the deepest one, names compared exactly
  // first and then without regard to case. "/" for an absolute path that nothing else holds,
  // "" for a relative path.
  virtual std::string fncDriveOfPath(std::string_view path) const = 0;

  // Bytes free for the user on the file system that holds `path`; nothing when it cannot be
  // asked (path gone, not mounted any more).
  virtual std::optional<uint64_t> fncFreeSpace(const std::string& path) const = 0;
};

}  // namespace lyn
