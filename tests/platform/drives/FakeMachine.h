#pragma once
// A fake machine in a temporary folder: a mount table, a /sys and a root folder under which the
// table's mount points are made, for cDrives and everything built on it.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/drives/cDrives.h"
#include "platform/storage/cAtomicFile.h"

namespace lyn::test {

// A folder of its own under $TMPDIR, removed with everything in it.
class cTempFolder {
 public:
  cTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lyn-test-XXXXXX").string();
    if (::mkdtemp(pattern.data())) mPath = pattern;
  }
  ~cTempFolder() {
    std::error_code ec;
    // Folders a test made unreadable must be opened again before they can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(
             mPath, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
    }
    ::chmod(mPath.c_str(), 0700);
    std::filesystem::remove_all(mPath, ec);
  }
  cTempFolder(const cTempFolder&) = delete;
  cTempFolder& operator=(const cTempFolder&) = delete;
  const std::string& path() const { return mPath; }

 private:
  std::string mPath;
};

inline void makeFolder(const std::string& path) { std::filesystem::create_directories(path); }

inline void writeFile(const std::string& path, std::string_view text = "") {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

class cFakeMachine {
 public:
  cFakeMachine() {
    makeFolder(root());
    makeFolder(sys() + "/block");
    makeFolder(home());
  }
  std::string root() const { return mTemp.path() + "/root"; }
  std::string sys() const { return mTemp.path() + "/sys"; }
  std::string table() const { return mTemp.path() + "/mountinfo"; }
  std::string home() const { return root() + "/home/me"; }
  std::string temp() const { return mTemp.path(); }
  // Where a mount point of the table lies on this machine.
  std::string at(const std::string& mountPoint) const { return mountPoint == "/" ? root() : root() + mountPoint; }

  // Replaces the table whole, as the kernel's table changes from one read to the next.
  void writeTable(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    fncWriteFileAtomically(table(), text);
  }
  // A mountinfo line; the mount point is made on the machine unless `make` is false.
  std::string mount(int id, const std::string& numbers, const std::string& mountPoint, const std::string& type,
                    const std::string& source, bool make = true) {
    if (make) makeFolder(at(unescape(mountPoint)));
    return std::to_string(id) + " 1 " + numbers + " / " + mountPoint + " rw,relatime - " + type + " " + source +
           " rw";
  }
  // A disk under /sys/block with its removable flag and, optionally, one partition.
  void blockDevice(const std::string& disk, bool removable, const std::string& partition = "") {
    writeFile(sys() + "/block/" + disk + "/removable", removable ? "1\n" : "0\n");
    if (!partition.empty()) writeFile(sys() + "/block/" + disk + "/" + partition + "/partition", "1\n");
  }

  cDrives::MachinePaths paths() const {
    cDrives::MachinePaths p;
    p.sMountTable = table();
    p.sSysFolder = sys();
    p.sRootFolder = root();
    p.sHomeFolder = home();
    return p;
  }

 private:
  static std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\\' && i + 3 < text.size()) {
        out += static_cast<char>(std::stoi(text.substr(i + 1, 3), nullptr, 8));
        i += 3;
      } else {
        out += text[i];
      }
    }
    return out;
  }
  cTempFolder mTemp;
};

}  // namespace lyn::test
