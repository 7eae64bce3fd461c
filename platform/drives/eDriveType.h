#pragma once
// The kinds of drive, numbered as the player has always numbered them.

#include <cstdint>

namespace lyn {

enum class eDriveType : int32_t {
  Unknown = 0,    // a mounted file system that fits none of the others
  Removable = 1,  // on a block device that the kernel marks removable (USB sticks, card readers)
  Fixed = 2,      // any other block device, and the user's home folder
  Network = 3,    // nfs, cifs, smb3, sshfs, davfs and the like
  CdRom = 4,      // iso9660 or udf, or anything on an sr device
  RamDisk = 5,    // tmpfs, ramfs
};

}  // namespace lyn
