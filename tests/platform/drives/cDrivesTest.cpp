#include "platform/drives/cDrives.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "tests/platform/drives/FakeMachine.h"

namespace lyn {
namespace {

using test::cFakeMachine;

const cDrive* findDrive(const cDrives& drives, const std::string& mountPoint) {
  for (const auto& d : drives.fncDrives())
    if (d.sMountPoint == mountPoint) return &d;
  return nullptr;
}

std::vector<std::string> mountPoints(const cDrives& drives) {
  std::vector<std::string> points;
  for (const auto& d : drives.fncDrives()) points.push_back(d.sMountPoint);
  return points;
}

// The system's own mounts of a typical desktop, none of which is a drive.
std::vector<std::string> systemMounts(cFakeMachine& m) {
  m.blockDevice("sda", false, "sda1");
  return {
      m.mount(20, "8:1", "/", "ext4", "/dev/sda1"),
      m.mount(21, "0:20", "/proc", "proc", "proc"),
      m.mount(22, "0:21", "/sys", "sysfs", "sysfs"),
      m.mount(23, "0:6", "/dev", "devtmpfs", "devtmpfs"),
      m.mount(24, "0:22", "/dev/shm", "tmpfs", "tmpfs"),
      m.mount(25, "0:23", "/dev/pts", "devpts", "devpts"),
      m.mount(26, "0:24", "/run", "tmpfs", "tmpfs"),
      m.mount(27, "0:25", "/run/user/1000", "tmpfs", "tmpfs"),
      m.mount(28, "8:2", "/boot/efi", "vfat", "/dev/sda2"),
      m.mount(29, "7:0", "/snap/core/1234", "squashfs", "/dev/loop0"),
      m.mount(30, "8:3", "/home", "ext4", "/dev/sda3"),
      m.mount(31, "0:26", "/tmp", "tmpfs", "tmpfs"),
      m.mount(32, "8:1", "/var/lib/docker", "ext4", "/dev/sda1"),
      m.mount(33, "0:27", "/sys/fs/cgroup", "cgroup2", "cgroup2"),
      m.mount(34, "0:28", "/proc/sys/fs/binfmt_misc", "autofs", "systemd-1"),
      m.mount(35, "8:3", "/home/other", "ext4", "/dev/sda3"),
  };
}

TEST(Drives, AFakeDesktopHasItsHomeThenItsMountsTypedAndTheSystemMountsLeftOut) {
  cFakeMachine m;
  auto lines = systemMounts(m);
  m.blockDevice("sdb", true, "sdb1");
  m.blockDevice("sdc", false, "sdc1");
  m.blockDevice("sdd", true, "sdd1");
  lines.push_back(m.mount(40, "11:0", "/media/me/DISC", "iso9660", "/dev/sr0"));
  lines.push_back(m.mount(41, "8:17", "/media/me/STICK", "vfat", "/dev/sdb1"));
  lines.push_back(m.mount(42, "8:33", "/mnt/data", "ext4", "/dev/sdc1"));
  lines.push_back(m.mount(43, "0:50", "/mnt/share", "cifs", "//server/share"));
  lines.push_back(m.mount(44, "0:51", "/mnt/ram", "tmpfs", "tmpfs"));
  lines.push_back(m.mount(45, "0:52", "/mnt/cloud", "fuse.rclone", "remote:"));
  lines.push_back(m.mount(46, "2:0", "/media/floppy", "vfat", "/dev/fd0"));
  lines.push_back(m.mount(47, "0:53", "/mnt/auto", "autofs", "systemd-1"));
  lines.push_back(m.mount(48, "8:49", "/run/media/me/CARD", "exfat", "/dev/sdd1"));
  lines.push_back(m.mount(49, "11:1", "/media/me/DVD", "udf", "/dev/sr1"));
  lines.push_back(m.mount(50, "0:54", "/mnt/remote", "fuse.sshfs", "me@host:"));
  m.writeTable(lines);

  cDrives drives(m.paths());
  const std::vector<std::string> expected = {
      m.home(),          m.at("/media/me/DISC"), m.at("/media/me/STICK"), m.at("/mnt/data"),
      m.at("/mnt/share"), m.at("/mnt/ram"),      m.at("/mnt/cloud"),      m.at("/run/media/me/CARD"),
      m.at("/media/me/DVD"), m.at("/mnt/remote")};
  EXPECT_EQ(mountPoints(drives), expected);

  auto typeOf = [&](const std::string& point) { return findDrive(drives, m.at(point))->enDriveType; };
  EXPECT_EQ(drives.fncDrives().front().enDriveType, eDriveType::Fixed);
  EXPECT_EQ(typeOf("/media/me/DISC"), eDriveType::CdRom);
  EXPECT_EQ(typeOf("/media/me/DVD"), eDriveType::CdRom);
  EXPECT_EQ(typeOf("/media/me/STICK"), eDriveType::Removable);
  EXPECT_EQ(typeOf("/run/media/me/CARD"), eDriveType::Removable);
  EXPECT_EQ(typeOf("/mnt/data"), eDriveType::Fixed);
  EXPECT_EQ(typeOf("/mnt/share"), eDriveType::Network);
  EXPECT_EQ(typeOf("/mnt/remote"), eDriveType::Network);
  EXPECT_EQ(typeOf("/mnt/ram"), eDriveType::RamDisk);
  EXPECT_EQ(typeOf("/mnt/cloud"), eDriveType::Unknown);
  for (const auto& d : drives.fncDrives()) EXPECT_TRUE(d.bolIsReady) << d.sMountPoint;
  EXPECT_EQ(findDrive(drives, m.at("/media/me/STICK"))->sSource, "/dev/sdb1");
  EXPECT_EQ(findDrive(drives, m.at("/media/me/STICK"))->sFileSystemType, "vfat");
}

TEST(Drives, TheRemovableFlagIsFoundThroughTheDeviceNumbersOfAPartition) {
  cFakeMachine m;
  // Only the kernel's own layout: /sys/dev/block/<major>:<minor> links to the partition.
  std::string disk = m.sys() + "/devices/usb1/block/sdx";
  test::writeFile(disk + "/removable", "1\n");
  test::writeFile(disk + "/sdx1/partition", "1\n");
  test::makeFolder(m.sys() + "/dev/block");
  ASSERT_EQ(::symlink("../../devices/usb1/block/sdx/sdx1", (m.sys() + "/dev/block/8:97").c_str()), 0);
  // A mapper device has no partition file: its own flag counts.
  test::writeFile(m.sys() + "/devices/virtual/block/dm-0/removable", "0\n");
  ASSERT_EQ(::symlink("../../devices/virtual/block/dm-0", (m.sys() + "/dev/block/254:0").c_str()), 0);
  m.writeTable({m.mount(40, "8:97", "/media/me/USB", "vfat", "/dev/sdx1"),
                m.mount(41, "254:0", "/mnt/secret", "ext4", "/dev/mapper/secret")});

  cDrives drives(m.paths());
  ASSERT_NE(findDrive(drives, m.at("/media/me/USB")), nullptr);
  EXPECT_EQ(findDrive(drives, m.at("/media/me/USB"))->enDriveType, eDriveType::Removable);
  EXPECT_EQ(findDrive(drives, m.at("/mnt/secret"))->enDriveType, eDriveType::Fixed);
}

TEST(Drives, EscapedMountPointsAreUnescapedAndOddLinesAreSkipped) {
  cFakeMachine m;
  m.blockDevice("sdb", true, "sdb1");
  m.blockDevice("sdc", true, "sdc1");
  std::vector<std::string> lines = {
      "this is no mount table line",
      m.mount(40, "8:17", "/media/me/My\\040Book", "vfat", "/dev/sdb1"),
      "",
      "41 1 8:18 / /media/me/broken",
      "42 1 8:19 / relative/point rw - vfat /dev/sdb3 rw",
      std::string("43 1 8:20 / /media/me/nul\0byte rw - vfat /dev/sdb4 rw", 48),
      m.mount(44, "8:33", "/media/me/Tab\\011And\\134Slash", "vfat", "/dev/sdc1"),
      "45 1",
  };
  m.writeTable(lines);

  cDrives drives(m.paths());
  const std::vector<std::string> expected = {m.home(), m.at("/media/me/My Book"),
                                             m.at("/media/me/Tab\tAnd\\Slash")};
  EXPECT_EQ(mountPoints(drives), expected);
  EXPECT_TRUE(findDrive(drives, m.at("/media/me/My Book"))->bolIsReady);
}

TEST(Drives, AMountPointThatIsGoneOrUnreadableIsNotReady) {
  cFakeMachine m;
  m.blockDevice("sdb", true, "sdb1");
  m.blockDevice("sdc", true, "sdc1");
  m.writeTable({m.mount(40, "8:17", "/media/me/GONE", "vfat", "/dev/sdb1", false),
                m.mount(41, "8:33", "/media/me/FILE", "vfat", "/dev/sdc1", false)});
  test::writeFile(m.at("/media/me/FILE"), "not a folder");

  cDrives drives(m.paths());
  ASSERT_EQ(drives.fncDrives().size(), 3u);
  EXPECT_FALSE(findDrive(drives, m.at("/media/me/GONE"))->bolIsReady);
  EXPECT_FALSE(findDrive(drives, m.at("/media/me/FILE"))->bolIsReady);
}

TEST(Drives, AMissingTableLeavesTheHomeFolderAlone) {
  cFakeMachine m;
  cDrives drives(m.paths());
  ASSERT_EQ(drives.fncDrives().size(), 1u);
  EXPECT_EQ(drives.fncDrives()[0].sMountPoint, m.home());
  EXPECT_TRUE(drives.fncDrives()[0].bolIsReady);
  EXPECT_FALSE(drives.fncbUpdate());
}

TEST(Drives, AMountOfTheHomeFolderIsTheHomeDriveAndALaterMountOnAPointHidesTheEarlier) {
  cFakeMachine m;
  m.blockDevice("sdb", true, "sdb1");
  m.blockDevice("sdc", false, "sdc1");
  m.writeTable({m.mount(40, "8:33", "/home/me", "ext4", "/dev/sdc1"),
                m.mount(41, "8:33", "/media/me/X", "ext4", "/dev/sdc1"),
                m.mount(42, "11:0", "/media/me/X", "iso9660", "/dev/sr0")});
  cDrives drives(m.paths());
  const std::vector<std::string> expected = {m.home(), m.at("/media/me/X")};
  EXPECT_EQ(mountPoints(drives), expected);
  EXPECT_EQ(drives.fncDrives()[1].enDriveType, eDriveType::CdRom);
}

TEST(Drives, TheTableIsReadAgainOnlyWhenItChanged) {
  cFakeMachine m;
  m.blockDevice("sdb", true, "sdb1");
  m.writeTable({m.mount(20, "8:1", "/", "ext4", "/dev/sda1")});
  cDrives drives(m.paths());
  EXPECT_EQ(drives.fncDrives().size(), 1u);
  EXPECT_FALSE(drives.fncbUpdate());

  // Readiness is not checked again while the table stays the same.
  test::makeFolder(m.at("/media/me/STICK"));
  auto stick = m.mount(40, "8:17", "/media/me/STICK", "vfat", "/dev/sdb1");
  m.writeTable({m.mount(20, "8:1", "/", "ext4", "/dev/sda1"), stick});
  EXPECT_TRUE(drives.fncbUpdate());
  ASSERT_EQ(drives.fncDrives().size(), 2u);
  EXPECT_TRUE(drives.fncDrives()[1].bolIsReady);
  EXPECT_FALSE(drives.fncbUpdate());
  std::filesystem::remove(m.at("/media/me/STICK"));
  EXPECT_FALSE(drives.fncbUpdate());
  EXPECT_TRUE(drives.fncDrives()[1].bolIsReady);
  drives.subReload();
  EXPECT_FALSE(drives.fncDrives()[1].bolIsReady);
}

TEST(Drives, TheTableIsFirstReadWhenTheDrivesAreFirstAskedFor) {
  cFakeMachine m;
  m.blockDevice("sdb", true, "sdb1");
  cDrives drives(m.paths());
  // Written after the drives were made and before they were asked for: the first answer has it.
  m.writeTable({m.mount(20, "8:1", "/", "ext4", "/dev/sda1"),
                m.mount(40, "8:17", "/media/me/STICK", "vfat", "/dev/sdb1")});
  EXPECT_FALSE(drives.fncbUpdate());
  const std::vector<std::string> expected = {m.home(), m.at("/media/me/STICK")};
  EXPECT_EQ(mountPoints(drives), expected);
  EXPECT_FALSE(drives.fncbUpdate());

  cDrives asked(m.paths());
  EXPECT_EQ(asked.fncDriveOfPath(m.at("/media/me/STICK/book/ncc.html")), m.at("/media/me/STICK"));
  EXPECT_EQ(mountPoints(asked), expected);
}

TEST(Drives, APathBelongsToTheDeepestMountPointThatHoldsIt) {
  cFakeMachine m;
  m.blockDevice("sdb", true, "sdb1");
  m.writeTable({m.mount(20, "8:1", "/", "ext4", "/dev/sda1"),
                m.mount(40, "8:17", "/media/me/BOOK", "vfat", "/dev/sdb1"),
                m.mount(41, "0:5", "/media/me/BOOK/inner", "tmpfs", "tmpfs")});
  cDrives drives(m.paths());
  EXPECT_EQ(drives.fncDriveOfPath(m.at("/media/me/BOOK/a/ncc.html")), m.at("/media/me/BOOK"));
  EXPECT_EQ(drives.fncDriveOfPath(m.at("/media/me/BOOK")), m.at("/media/me/BOOK"));
  EXPECT_EQ(drives.fncDriveOfPath(m.at("/media/me/BOOK/inner/x")), m.at("/media/me/BOOK/inner"));
  EXPECT_EQ(drives.fncDriveOfPath(m.at("/media/me/BOOKS/x")), m.root());
  EXPECT_EQ(drives.fncDriveOfPath(m.root() + "/media/ME/book//a"), m.at("/media/me/BOOK"));
  EXPECT_EQ(drives.fncDriveOfPath(m.home() + "/Books/x"), m.home());
  EXPECT_EQ(drives.fncDriveOfPath("/elsewhere/entirely"), "/");
  EXPECT_EQ(drives.fncDriveOfPath("relative/path"), "");
  EXPECT_EQ(drives.fncDriveOfPath(""), "");
}

TEST(Drives, FreeSpaceIsAskedOfTheFileSystemAndIsMissingForAPathThatIsGone) {
  cFakeMachine m;
  cDrives drives(m.paths());
  auto free = drives.fncFreeSpace(m.home());
  ASSERT_TRUE(free.has_value());
  EXPECT_GT(*free, 0u);
  EXPECT_FALSE(drives.fncFreeSpace(m.home() + "/no/such/folder").has_value());
  EXPECT_FALSE(drives.fncFreeSpace("").has_value());
}

TEST(Drives, ThisMachinesTableIsReadAndAskedCheaplyForChanges) {
  cDrives drives;
  // Home is there whenever the user has one; none of the system's own mounts is a drive.
  for (const auto& d : drives.fncDrives()) {
    EXPECT_NE(d.sMountPoint, "/");
    EXPECT_NE(d.sMountPoint.rfind("/proc", 0), 0u) << d.sMountPoint;
    EXPECT_NE(d.sMountPoint.rfind("/sys", 0), 0u) << d.sMountPoint;
  }
  EXPECT_FALSE(drives.fncMountPoints().empty());
  if (drives.fncbUsesKernelMonitor()) {
    EXPECT_FALSE(drives.fncbUpdate());
  }
}

}  // namespace
}  // namespace lyn
