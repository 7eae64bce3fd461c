#pragma once
// One drive: a mounted volume named by its mount point, or the user's home folder.

#include <string>

#include "platform/drives/eDriveType.h"

namespace lyn {

struct cDrive {
  std::string sMountPoint;      // full path, no trailing "/" (the root itself is "/")
  std::string sSource;          // what is mounted ("/dev/sdb1", "//server/share"); "" for home
  std::string sFileSystemType;  // "vfat", "iso9660", ...; "" for home
  eDriveType enDriveType = eDriveType::Unknown;
  bool bolIsReady = false;      // the mount point could be listed when the table was last read

  bool operator==(const cDrive&) const = default;
};

}  // namespace lyn
