#pragma once
// Tells cheaply whether a mount table may have changed since it was last asked.
//
// For the kernel's own table ("/proc/self/mountinfo") this is libmount's monitor (libmount is
// loaded for it here): one non-blocking poll of the table, no reading. Any other file (the fake tables of tests) is
// watched by its identity and modification time: replacing or rewriting it counts as a change.
//
// Errors, none of which stops the program:
//   the monitor cannot be set up, or libmount cannot be loaded
//                                  -> every question is answered "changed" (correct, only slower)
//   the file is missing            -> a change is reported when it appears or goes again

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

struct libmnt_monitor;

namespace lyn {

struct cMountLibrary;

class cMountMonitor {
 public:
  explicit cMountMonitor(std::string tablePath);
  ~cMountMonitor();
  cMountMonitor(const cMountMonitor&) = delete;
  cMountMonitor& operator=(const cMountMonitor&) = delete;

  // True on the first call, and afterwards whenever the table may have changed since the last
  // call. Never blocks.
  bool fncbChanged();

  // Whether the kernel's table is watched through libmount's monitor.
  bool fncbUsesKernelMonitor() const { return mMonitor != nullptr; }

 private:
  struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t modifiedSeconds = 0;
    int64_t modifiedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
  };
  FileIdentity fncIdentity() const;

  std::string mTablePath;
  std::unique_ptr<cMountLibrary> mLibrary;  // only while mMonitor is set
  libmnt_monitor* mMonitor = nullptr;
  bool mFirst = true;
  bool mAlwaysChanged = false;
  FileIdentity mLastIdentity;
};

}  // namespace lyn
