#include "disk/mdlDiskModule.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "shell/cSettingsTable.h"
#include "tests/disk/cFakeDrives.h"
#include "tests/platform/drives/FakeMachine.h"

namespace lyn {
namespace {

using test::makeFolder;
using test::writeFile;
using Drives = std::vector<std::string>;

class ScanDrives : public ::testing::Test {
 protected:
  ScanDrives() : module(registry, drives) {}
  cRegistry registry;
  test::cFakeDrives drives;
  mdlDiskModule module;
};

TEST_F(ScanDrives, ReadyDrivesComeInSixGroupsCdRomFirstKeepingTheWalkOrderWithinAGroup) {
  drives.add("/home/me", eDriveType::Fixed);
  drives.add("/mnt/share", eDriveType::Network);
  drives.add("/mnt/odd", eDriveType::Unknown);
  drives.add("/media/me/STICK", eDriveType::Removable);
  drives.add("/mnt/ram", eDriveType::RamDisk);
  drives.add("/media/me/DISC", eDriveType::CdRom);
  drives.add("/mnt/data", eDriveType::Fixed);
  drives.add("/media/me/EMPTY", eDriveType::CdRom, false);
  drives.add("/media/me/CARD", eDriveType::Removable);

  const Drives all = {"/media/me/DISC", "/media/me/STICK", "/media/me/CARD", "/mnt/ram", "/home/me",
                      "/mnt/data",      "/mnt/share",      "/mnt/odd"};
  EXPECT_EQ(module.fncScanDrives(true, false), all);
  EXPECT_EQ(module.fncScanDrives(false, true), (Drives{"/media/me/DISC", "/media/me/STICK", "/media/me/CARD"}));
  EXPECT_EQ(module.fncScanDrives(true, true), (Drives{"/media/me/DISC", "/media/me/STICK", "/media/me/CARD"}));
  EXPECT_EQ(module.fncScanDrives(false, false), (Drives{"/media/me/DISC", "/media/me/STICK", "/media/me/CARD",
                                                        "/mnt/ram", "/home/me", "/mnt/data", "/mnt/odd"}));
  EXPECT_EQ(module.gsLastDrives, (Drives{"/media/me/DISC", "/media/me/STICK", "/media/me/CARD", "/mnt/ram",
                                         "/home/me", "/mnt/data", "/mnt/odd"}));
}

TEST_F(ScanDrives, TheFirstScanReportsEveryReadyDriveAndANewMountNamesOnlyItself) {
  drives.add("/home/me", eDriveType::Fixed);
  drives.add("/mnt/data", eDriveType::Fixed);
  EXPECT_TRUE(module.fncbCheckDrivesChanged());
  EXPECT_EQ(module.gsChangedDrives, (Drives{"/home/me", "/mnt/data"}));

  // Nothing changed: the changed list keeps its value.
  EXPECT_FALSE(module.fncbCheckDrivesChanged());
  EXPECT_EQ(module.gsChangedDrives, (Drives{"/home/me", "/mnt/data"}));

  drives.add("/media/me/DISC", eDriveType::CdRom);
  EXPECT_TRUE(module.fncbCheckDrivesChanged());
  EXPECT_EQ(module.gsLastDrives, (Drives{"/media/me/DISC", "/home/me", "/mnt/data"}));
  EXPECT_EQ(module.gsChangedDrives, (Drives{"/media/me/DISC"}));
  EXPECT_FALSE(module.fncbCheckDrivesChanged());

  drives.remove("/mnt/data");
  drives.add("/media/me/STICK", eDriveType::Removable);
  EXPECT_TRUE(module.fncbCheckDrivesChanged());
  // Those that appeared first, then those that went.
  EXPECT_EQ(module.gsChangedDrives, (Drives{"/media/me/STICK", "/mnt/data"}));
}

TEST_F(ScanDrives, TheFullListIsComparedSoAGroupLeftOutLastTimeCountsAsADifference) {
  drives.add("/home/me", eDriveType::Fixed);
  drives.add("/mnt/share", eDriveType::Network);
  module.fncScanDrives(true, false);
  EXPECT_EQ(module.gsChangedDrives, (Drives{"/home/me", "/mnt/share"}));
  module.fncScanDrives(false, false);
  EXPECT_EQ(module.gsChangedDrives, (Drives{"/home/me", "/mnt/share"}));
  EXPECT_EQ(module.gsLastDrives, (Drives{"/home/me"}));
  module.fncScanDrives(false, false);
  EXPECT_EQ(module.gsChangedDrives, (Drives{"/mnt/share"}));
}

TEST(ScanDrivesOnAFakeMachine, ANewMountChangesTheLastDrivesAtTheNextCheckAndNamesOnlyItself) {
  test::cFakeMachine m;
  m.blockDevice("sda", false, "sda1");
  m.blockDevice("sdb", true, "sdb1");
  const auto root = m.mount(20, "8:1", "/", "ext4", "/dev/sda1");
  m.writeTable({root});
  cDrives drives(m.paths());
  cRegistry registry;
  mdlDiskModule module(registry, drives);

  EXPECT_TRUE(module.fncbCheckDrivesChanged());
  EXPECT_EQ(module.gsLastDrives, (Drives{m.home()}));
  EXPECT_FALSE(module.fncbCheckDrivesChanged());

  m.writeTable({root, m.mount(40, "11:0", "/media/me/DISC", "iso9660", "/dev/sr0"),
                m.mount(41, "8:17", "/media/me/STICK", "vfat", "/dev/sdb1")});
  EXPECT_TRUE(module.fncbCheckDrivesChanged());
  EXPECT_EQ(module.gsLastDrives, (Drives{m.at("/media/me/DISC"), m.at("/media/me/STICK"), m.home()}));
  EXPECT_EQ(module.gsChangedDrives, (Drives{m.at("/media/me/DISC"), m.at("/media/me/STICK")}));
  EXPECT_EQ(module.fncScanDrives(true, true), (Drives{m.at("/media/me/DISC"), m.at("/media/me/STICK")}));

  m.writeTable({root, m.mount(41, "8:17", "/media/me/STICK", "vfat", "/dev/sdb1")});
  EXPECT_TRUE(module.fncbCheckDrivesChanged());
  EXPECT_EQ(module.gsChangedDrives, (Drives{m.home(), m.at("/media/me/DISC")}));
  EXPECT_FALSE(module.fncbCheckDrivesChanged());
}

class DataFolder : public ::testing::Test {
 protected:
  DataFolder() : module(registry, drives) {
    home = temp.path() + "/home";
    data = temp.path() + "/data";
    makeFolder(home);
    makeFolder(data);
    module.sDefaultUserDataPath = home + "/.local/share/lyn-reader/";
  }
  std::string stored() const {
    std::string value;
    registry.fncReadValue("userdatapath", value, eRegistryRoot::CurrentUser, kKeyMisc);
    return value;
  }
  test::cTempFolder temp;
  std::string home;
  std::string data;
  cRegistry registry;
  test::cFakeDrives drives;
  mdlDiskModule module;
};

TEST_F(DataFolder, WithoutASettingTheDefaultFolderIsCreatedAndStored) {
  drives.add(home, eDriveType::Fixed);
  module.subInitUserDataPath();
  EXPECT_EQ(module.gsUserDataPath, home + "/.local/share/lyn-reader/");
  EXPECT_TRUE(std::filesystem::is_directory(module.gsUserDataPath));
  EXPECT_EQ(stored(), module.gsUserDataPath);
}

TEST_F(DataFolder, TheStoredFolderIsUsedAndCreatedWhenMissingWithItsTrailingSeparator) {
  drives.add(home, eDriveType::Fixed);
  registry.subWriteValue("userdatapath", home + "/My Data", eRegistryRoot::CurrentUser, kKeyMisc);
  module.subInitUserDataPath();
  EXPECT_EQ(module.gsUserDataPath, home + "/My Data/");
  EXPECT_TRUE(std::filesystem::is_directory(home + "/My Data"));
  EXPECT_EQ(stored(), home + "/My Data/");
}

TEST_F(DataFolder, AStoredFolderThatCannotBeMadeGivesWayToTheDefault) {
  drives.add(home, eDriveType::Fixed);
  writeFile(home + "/a-file", "x");
  registry.subWriteValue("userdatapath", home + "/a-file/data/", eRegistryRoot::CurrentUser, kKeyMisc);
  module.subInitUserDataPath();
  EXPECT_EQ(module.gsUserDataPath, home + "/.local/share/lyn-reader/");
  EXPECT_TRUE(std::filesystem::is_directory(module.gsUserDataPath));
  EXPECT_EQ(stored(), module.gsUserDataPath);

  registry.subWriteValue("userdatapath", "relative/data", eRegistryRoot::CurrentUser, kKeyMisc);
  module.subInitUserDataPath();
  EXPECT_EQ(module.gsUserDataPath, home + "/.local/share/lyn-reader/");
}

TEST_F(DataFolder, LittleFreeSpaceMovesTheFilesToTheFirstFixedDriveWithRoom) {
  drives.add(home, eDriveType::Fixed, true, 999999);
  drives.add(temp.path() + "/stick", eDriveType::Removable, true, 5'000'000);
  drives.add(temp.path() + "/gone", eDriveType::Fixed, false, 5'000'000);
  drives.add(temp.path() + "/full", eDriveType::Fixed, true, 1000);
  drives.add(data, eDriveType::Fixed, true, 1'000'000);
  const std::string old = home + "/.local/share/lyn-reader/";
  writeFile(old + "mobydick.bin", "bookmarks");
  writeFile(old + "booklist.html", "<html/>");
  writeFile(old + "sub/kept.txt", "stays");

  module.subInitUserDataPath();
  const std::string moved = data + "/lyn-reader/";
  EXPECT_EQ(module.gsUserDataPath, moved);
  EXPECT_EQ(stored(), moved);
  std::string bytes;
  ASSERT_TRUE(fncReadWholeFile(moved + "mobydick.bin", bytes));
  EXPECT_EQ(bytes, "bookmarks");
  EXPECT_TRUE(std::filesystem::exists(moved + "booklist.html"));
  EXPECT_FALSE(std::filesystem::exists(old + "mobydick.bin"));
  EXPECT_FALSE(std::filesystem::exists(old + "booklist.html"));
  // Only the files of the folder move.
  EXPECT_TRUE(std::filesystem::exists(old + "sub/kept.txt"));
}

TEST_F(DataFolder, AFolderOnAFullStickMovesToTheDefaultFolderWhenItsDriveHasRoom) {
  const std::string stick = temp.path() + "/stick";
  drives.add(stick, eDriveType::Removable, true, 100);
  drives.add(home, eDriveType::Fixed, true, 1'000'000'000);
  registry.subWriteValue("userdatapath", stick + "/lyn/", eRegistryRoot::CurrentUser, kKeyMisc);
  writeFile(stick + "/lyn/book.bin", "marks");
  module.subInitUserDataPath();
  EXPECT_EQ(module.gsUserDataPath, home + "/.local/share/lyn-reader/");
  EXPECT_TRUE(std::filesystem::exists(home + "/.local/share/lyn-reader/book.bin"));
  EXPECT_EQ(stored(), module.gsUserDataPath);
}

TEST_F(DataFolder, FilesMoveWholeToAnotherFileSystem) {
  // /dev/shm is a file system of its own on most machines; the move then copies.
  struct stat shm {}, tmp {};
  if (::stat("/dev/shm", &shm) != 0 || ::stat(temp.path().c_str(), &tmp) != 0 || shm.st_dev == tmp.st_dev ||
      ::access("/dev/shm", W_OK) != 0)
    GTEST_SKIP() << "no second file system to move to";
  std::string other = "/dev/shm/lyn-test-XXXXXX";
  ASSERT_NE(::mkdtemp(other.data()), nullptr);
  drives.add(home, eDriveType::Fixed, true, 0);
  drives.add(other, eDriveType::Fixed, true, 1'000'000'000);
  const std::string old = home + "/.local/share/lyn-reader/";
  const std::string big(300'000, 'b');
  writeFile(old + "big.bin", big);
  module.subInitUserDataPath();
  std::string bytes;
  EXPECT_EQ(module.gsUserDataPath, other + "/lyn-reader/");
  EXPECT_TRUE(fncReadWholeFile(other + "/lyn-reader/big.bin", bytes));
  EXPECT_EQ(bytes, big);
  EXPECT_FALSE(std::filesystem::exists(old + "big.bin"));
  EXPECT_FALSE(std::filesystem::exists(other + "/lyn-reader/big.bin.tmp"));
  std::filesystem::remove_all(other);
}

TEST_F(DataFolder, AFileThatIsAlreadyInTheNewFolderIsNotOverwritten) {
  drives.add(home, eDriveType::Fixed, true, 10);
  drives.add(data, eDriveType::Fixed, true, 1'000'000'000);
  const std::string old = home + "/.local/share/lyn-reader/";
  writeFile(old + "book.bin", "old");
  writeFile(data + "/lyn-reader/book.bin", "new");
  module.subInitUserDataPath();
  std::string bytes;
  ASSERT_TRUE(fncReadWholeFile(data + "/lyn-reader/book.bin", bytes));
  EXPECT_EQ(bytes, "new");
  ASSERT_TRUE(fncReadWholeFile(old + "book.bin", bytes));
  EXPECT_EQ(bytes, "old");
}

TEST_F(DataFolder, WithoutAFixedDriveWithRoomTheFolderStaysWhereItIs) {
  drives.add(home, eDriveType::Fixed, true, 0);
  drives.add(temp.path() + "/stick", eDriveType::Removable, true, 5'000'000);
  module.subInitUserDataPath();
  EXPECT_EQ(module.gsUserDataPath, home + "/.local/share/lyn-reader/");
  EXPECT_EQ(stored(), module.gsUserDataPath);
}

TEST_F(DataFolder, CreatingAFolderPathMakesEveryLevelUpToTheLastSeparator) {
  module.subCreateFolderPath(temp.path() + "/a/b/c/not-this");
  EXPECT_TRUE(std::filesystem::is_directory(temp.path() + "/a/b/c"));
  EXPECT_FALSE(std::filesystem::exists(temp.path() + "/a/b/c/not-this"));
  module.subCreateFolderPath(temp.path() + "/x//y/");
  EXPECT_TRUE(std::filesystem::is_directory(temp.path() + "/x/y"));
  // A file in the way stops the levels below it and nothing breaks.
  writeFile(temp.path() + "/file", "x");
  module.subCreateFolderPath(temp.path() + "/file/below/");
  EXPECT_FALSE(std::filesystem::exists(temp.path() + "/file/below"));
}

TEST(DefaultDataFolder, IsUnderTheXdgDataHomeWhenThatIsAnAbsolutePath) {
  const char* saved = std::getenv("XDG_DATA_HOME");
  std::string keep = saved ? saved : "";
  ::setenv("XDG_DATA_HOME", "/somewhere/data", 1);
  EXPECT_EQ(mdlDiskModule::fncDefaultUserDataPath(), "/somewhere/data/lyn-reader/");
  ::setenv("XDG_DATA_HOME", "relative", 1);
  EXPECT_EQ(mdlDiskModule::fncDefaultUserDataPath(), cDrives::fncUserHomeFolder() + "/.local/share/lyn-reader/");
  if (saved)
    ::setenv("XDG_DATA_HOME", keep.c_str(), 1);
  else
    ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace lyn
