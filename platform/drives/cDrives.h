#pragma once
// This machine's drives: the mounted volumes of the mount table, read with libmount, plus the
// user's home folder, which counts as a fixed drive so that books kept there are found.
//
// The system's own mounts are no drives: "/", "/home" (the home folder stands for it), and
// "/boot", "/usr", "/var", "/tmp", "/run" (but "/run/media"), "/srv", "/opt", "/snap",
// "/proc", "/sys", "/dev" with everything below them; nor are pseudo file systems (proc, sysfs,
// cgroup, devpts, autofs, squashfs images, overlay, ...) or floppies ("/dev/fd*"). A mount of
// the home folder itself is the home drive.
//
// Types: iso9660, udf or an "sr" device: CD-ROM; tmpfs, ramfs: RAM disk; nfs, cifs, smb3,
// sshfs, davfs, 9p, virtiofs, ...: network; a block device that /sys marks removable:
// removable; any other block device: fixed; anything else: unknown.
//
// A drive is ready when its mount point can be listed. The table is first read (and libmount
// loaded, and the monitor set up) when the drives are first asked for, so a run that never asks,
// such as playing a book given by its folder, never reads it; the first fncbUpdate reads it and
// answers false. The table, and with it the readiness, is read again only when the monitor
// reports a change, so fncbUpdate costs one poll when nothing happened.
//
// Everything the layer reads comes from the paths in MachinePaths, so tests build a fake
// machine in a temporary folder: a table of their own, a /sys of their own, and a root folder
// under which the table's mount points lie.
//
// Errors, none of which stops the program:
//   table missing or unreadable, or libmount cannot be loaded
//                                    -> no mounted drives; the home folder alone
//   odd lines in the table           -> skipped; the other lines count
//   a mount point that vanished      -> listed, not ready
//   /sys without the device          -> a block device counts as fixed

#include <memory>
#include <string>
#include <vector>

#include "platform/drives/cMountMonitor.h"
#include "platform/drives/iDrives.h"

namespace lyn {

struct cMountLibrary;

class cDrives final : public iDrives {
 public:
  struct MachinePaths {
    std::string sMountTable = "/proc/self/mountinfo";
    std::string sSysFolder = "/sys";
    // Prefixed to every mount point of the table; "" on a real machine.
    std::string sRootFolder;
    // The user's home folder; "" for none.
    std::string sHomeFolder = fncUserHomeFolder();
  };

  // This machine.
  cDrives();
  explicit cDrives(MachinePaths paths);
  ~cDrives() override;

  bool fncbUpdate() override;
  const std::vector<cDrive>& fncDrives() const override;
  std::string fncDriveOfPath(std::string_view path) const override;
  std::optional<uint64_t> fncFreeSpace(const std::string& path) const override;

  // Reads the table again now, whatever the monitor says.
  void subReload();

  // Every mount point of the table (drives or not) with the root folder prefixed, in table order.
  const std::vector<std::string>& fncMountPoints() const;
  const MachinePaths& fncPaths() const { return mPaths; }
  bool fncbUsesKernelMonitor() const;

  // $HOME when it is an absolute path, else the password database's entry; no trailing "/".
  static std::string fncUserHomeFolder();

 private:
  // Sets up the monitor and reads the table, the first time only.
  void subReadFirst() const;
  void subRead() const;

  MachinePaths mPaths;
  // Filled on the first question, which may be a const one: all of it is the table as last read.
  mutable std::unique_ptr<cMountMonitor> mMonitor;
  mutable std::unique_ptr<cMountLibrary> mMountLibrary;
  mutable std::vector<cDrive> mvDrives;
  mutable std::vector<std::string> mvsMountPoints;
};

}  // namespace lyn
