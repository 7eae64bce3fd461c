#pragma once
// Drives as a test sets them: their list, readiness and free space.

#include <map>
#include <string>
#include <vector>

#include "platform/drives/PathCompare.h"
#include "platform/drives/iDrives.h"

namespace lyn::test {

class cFakeDrives final : public iDrives {
 public:
  void add(std::string mountPoint, eDriveType type, bool ready = true, uint64_t free = 1'000'000'000) {
    cDrive d;
    d.sMountPoint = mountPoint;
    d.enDriveType = type;
    d.bolIsReady = ready;
    drives.push_back(d);
    freeSpace[mountPoint] = free;
    changed = true;
  }
  void remove(const std::string& mountPoint) {
    std::erase_if(drives, [&](const cDrive& d) { return d.sMountPoint == mountPoint; });
    changed = true;
  }

  bool fncbUpdate() override {
    ++updates;
    bool was = changed;
    changed = false;
    return was;
  }
  const std::vector<cDrive>& fncDrives() const override { return drives; }
  std::string fncDriveOfPath(std::string_view path) const override {
    if (path.empty() || path.front() != '/') return {};
    std::string best = "/";
    for (const auto& d : drives)
      if (fncbPathHolds(d.sMountPoint, path, true) && d.sMountPoint.size() > best.size()) best = d.sMountPoint;
    return best;
  }
  std::optional<uint64_t> fncFreeSpace(const std::string& path) const override {
    auto it = freeSpace.find(fncDriveOfPath(path));
    if (it == freeSpace.end()) return std::nullopt;
    return it->second;
  }

  std::vector<cDrive> drives;
  std::map<std::string, uint64_t> freeSpace;
  bool changed = true;
  int updates = 0;
};

}  // namespace lyn::test
