#pragma once
// The disk side of the player: which drives there are and when they change, the per-user data
// folder, folder creation, splitting paths and links, and file names made from any text.
//
// Drives are named by their mount points (cDrive::sMountPoint). Drive lists are ordered lists
// of mount points; a path's drive is the deepest mount point that holds it.
//
// Paths keep their case in every output; where paths are compared, case is ignored.
//
// Errors, none of which stops the program:
//   the stored data folder is not an absolute path or cannot be created
//                                                -> the default folder is used (and stored)
//   the default folder cannot be created either  -> it stays the data folder; a warning on stderr
//   too little room and no fixed drive with room -> the data folder stays where it is
//   a file that cannot be moved to the new data folder, or that is there already
//                                                -> stays in the old folder, nothing is lost
//   fncSplitPath of a web link, or with a base that is one
//                                                -> false: the link is not local

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drives/iDrives.h"
#include "platform/registry/cRegistry.h"

namespace lyn {

class mdlDiskModule {
 public:
  // Both are borrowed for the module's life.
  mdlDiskModule(cRegistry& registry, iDrives& drives);

  // Sets gsUserDataPath at start-up: the setting "userdatapath", else sDefaultUserDataPath;
  // created when missing; moved with its files to "<mount point>/lyn-reader/" on the first
  // ready fixed drive with room (to sDefaultUserDataPath when that drive holds it) when its own
  // drive has 999999 bytes free or fewer; written back.
  void subInitUserDataPath();

  // Creates every missing folder along `path` up to its last "/"; a trailing part without "/"
  // is not created, nor is the root.
  void subCreateFolderPath(std::string_view path) const;

  // The ready drives: CD-ROM, removable, RAM disk, fixed, network, unknown, each group in the
  // walk's order. removableOnly gives CD-ROM and removable drives only; otherwise
  // includeNetwork false leaves out the network drives. The full list is compared with
  // gsLastDrives: when they differ, gsChangedDrives becomes the mount points that appeared
  // followed by those that went. gsLastDrives becomes the returned list.
  // Costs one poll of the mount table's monitor when nothing changed.
  std::vector<std::string> fncScanDrives(bool includeNetwork, bool removableOnly);

  // The timer tick's check: scans with network drives and all media; true when gsLastDrives
  // changed.
  bool fncbCheckDrivesChanged();

  // Splits a path or link into the drive (its mount point), the folder from the root with its
  // trailing "/", the file and the fragment after "#". "/" and "\" both separate; a leading
  // "file://" is stripped; "about:blank" is removed; "." and ".." are resolved. A relative
  // path is taken relative to the folder of `base` when one is given, and has drive "" and a
  // relative folder without one. False for web links (any "scheme://" other than file, and
  // "mailto:", "javascript:", "data:") and when `base` cannot be split.
  bool fncSplitPath(std::string_view pathOrLink, std::string& drive, std::string& folder, std::string& file,
                    std::string& fragment, std::optional<std::string_view> base = std::nullopt) const;

  // A file name from any text: upper-cased (ASCII and the letters of Latin-1, as the Western
  // code page did), cut to its first 40 characters, "0"-"9" and "A"-"Z" kept and every other
  // character of code point c replaced by the letter 'a' + c % 26. "My Book: 2" -> "MYgBOOKgg2".
  // Bytes that are not UTF-8 count as Latin-1 characters.
  static std::string fncSafeFileName(std::string_view text);

  // $XDG_DATA_HOME/lyn-reader/ (when that is an absolute path), else ~/.local/share/lyn-reader/.
  static std::string fncDefaultUserDataPath();

  // The per-user data folder, ending in "/".
  std::string gsUserDataPath;
  // The mount points returned by the last scan.
  std::vector<std::string> gsLastDrives;
  // The mount points that differed at the last scan that found a difference.
  std::vector<std::string> gsChangedDrives;
  // Where the data folder goes when the setting is empty.
  std::string sDefaultUserDataPath = fncDefaultUserDataPath();

  // The drives the module reads (the book engine resolves a src from the book's drive with them).
  const iDrives& fncDrives() const { return mDrives; }

  // Free bytes at or below which the data folder is moved.
  static constexpr uint64_t kLowFreeSpace = 999999;

 private:
  bool fncbFolderUsable(const std::string& folder) const;
  void subMoveFiles(const std::string& fromFolder, const std::string& toFolder) const;

  cRegistry& mRegistry;
  iDrives& mDrives;
};

}  // namespace lyn
