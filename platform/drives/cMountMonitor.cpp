#include "platform/drives/cMountMonitor.h"

#include <sys/stat.h>

#include "platform/drives/cMountLibrary.h"

namespace lyn {

namespace {

bool isKernelTable(const std::string& path) {
  return path == "/proc/self/mountinfo" || path == "/proc/thread-self/mountinfo";
}

}  // namespace

cMountMonitor::cMountMonitor(std::string tablePath) : mTablePath(std::move(tablePath)) {
  if (isKernelTable(mTablePath)) {
    auto library = std::make_unique<cMountLibrary>();
    if (library->fncbLoad()) {
      mMonitor = library->new_monitor();
      // The descriptor is made here so that a change between now and the first question is
      // not missed; the first question reports a change anyway.
      if (mMonitor && (library->monitor_enable_kernel(mMonitor, 1) != 0 ||
                       library->monitor_get_fd(mMonitor) < 0)) {
        library->unref_monitor(mMonitor);
        mMonitor = nullptr;
      }
    }
    if (mMonitor) {
      mLibrary = std::move(library);
    } else {
      // The kernel's table has no useful modification time.
      mAlwaysChanged = true;
    }
  } else {
    mLastIdentity = fncIdentity();
  }
}

cMountMonitor::~cMountMonitor() {
  if (mMonitor) mLibrary->unref_monitor(mMonitor);
}

cMountMonitor::FileIdentity cMountMonitor::fncIdentity() const {
  FileIdentity identity;
  struct stat st {};
  if (::stat(mTablePath.c_str(), &st) != 0) return identity;
  identity.exists = true;
  identity.device = st.st_dev;
  identity.inode = st.st_ino;
  identity.size = st.st_size;
  identity.modifiedSeconds = st.st_mtim.tv_sec;
  identity.modifiedNanoseconds = st.st_mtim.tv_nsec;
  return identity;
}

bool cMountMonitor::fncbChanged() {
  bool changed = mFirst || mAlwaysChanged;
  mFirst = false;
  if (mMonitor) {
    // Drain every pending event so that one change is reported once.
    for (int i = 0; i < 64; ++i) {
      const char* file = nullptr;
      int type = 0;
      int rc = mLibrary->monitor_next_change(mMonitor, &file, &type);
      if (rc != 0) {
        if (rc < 0) changed = true;  // the monitor failed: assume the worst
        break;
      }
      changed = true;
    }
    return changed;
  }
  if (!mAlwaysChanged) {
    FileIdentity now = fncIdentity();
    if (!(now == mLastIdentity)) changed = true;
    mLastIdentity = now;
  }
  return changed;
}

}  // namespace lyn
