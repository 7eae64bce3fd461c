#include "platform/drives/cMountMonitor.h"

#include <gtest/gtest.h>

#include "tests/platform/drives/FakeMachine.h"

namespace lyn {
namespace {

TEST(MountMonitor, AFileTableReportsAChangeFirstAndThenOnlyWhenItIsReplacedOrRewritten) {
  test::cTempFolder temp;
  const std::string table = temp.path() + "/mountinfo";
  fncWriteFileAtomically(table, "20 1 8:1 / / rw - ext4 /dev/sda1 rw\n");
  cMountMonitor monitor(table);
  EXPECT_FALSE(monitor.fncbUsesKernelMonitor());
  EXPECT_TRUE(monitor.fncbChanged());
  EXPECT_FALSE(monitor.fncbChanged());

  fncWriteFileAtomically(table, "20 1 8:1 / / rw - ext4 /dev/sda1 rw\n");
  EXPECT_TRUE(monitor.fncbChanged());
  EXPECT_FALSE(monitor.fncbChanged());

  std::filesystem::remove(table);
  EXPECT_TRUE(monitor.fncbChanged());
  EXPECT_FALSE(monitor.fncbChanged());
}

TEST(MountMonitor, TheKernelTableIsWatchedWithoutReading) {
  cMountMonitor monitor("/proc/self/mountinfo");
  EXPECT_TRUE(monitor.fncbChanged());
  // Nothing is mounted by the test; a monitor that could not be set up says "changed" always.
  if (monitor.fncbUsesKernelMonitor()) {
    EXPECT_FALSE(monitor.fncbChanged());
    EXPECT_FALSE(monitor.fncbChanged());
  } else {
    EXPECT_TRUE(monitor.fncbChanged());
  }
}

}  // namespace
}  // namespace lyn
