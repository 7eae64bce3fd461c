#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "platform/storage/cAtomicFile.h"
#include "../../TempFolder.h"

namespace lyn {
namespace {

TEST(AtomicFile, WritesAndReplacesWholeFiles) {
  testing::TempFolder dir;
  auto file = dir / "sub" / "a.txt";
  ASSERT_TRUE(fncWriteFileAtomically(file, "first"));
  ASSERT_TRUE(fncWriteFileAtomically(file, "second"));
  std::string bytes;
  ASSERT_TRUE(fncReadWholeFile(file, bytes));
  EXPECT_EQ(bytes, "second");
  EXPECT_FALSE(std::filesystem::exists(dir / "sub" / "a.txt.tmp"));
}

TEST(AtomicFile, InterruptionBeforeTheRenameKeepsTheOldFile) {
  testing::TempFolder dir;
  auto file = dir / "a.txt";
  ASSERT_TRUE(fncWriteFileAtomically(file, "old"));
  std::string error;
  EXPECT_FALSE(fncWriteFileAtomically(file, "new", &error, [] { return false; }));
  std::string bytes;
  ASSERT_TRUE(fncReadWholeFile(file, bytes));
  EXPECT_EQ(bytes, "old");
}

TEST(AtomicFile, ReadOnlyFolderFailsWithoutTouchingTheFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  testing::TempFolder dir;
  auto file = dir / "a.txt";
  ASSERT_TRUE(fncWriteFileAtomically(file, "old"));
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read |
                                               std::filesystem::perms::owner_exec);
  std::string error;
  EXPECT_FALSE(fncWriteFileAtomically(file, "new", &error));
  EXPECT_FALSE(error.empty());
  std::string bytes;
  ASSERT_TRUE(fncReadWholeFile(file, bytes));
  EXPECT_EQ(bytes, "old");
}

mode_t modeOf(const std::filesystem::path& file) {
  struct stat st {};
  ::stat(file.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(AtomicFile, KeepsThePermissionsOfTheFileItReplaces) {
  testing::TempFolder dir;
  auto file = dir / "private.ini";
  ASSERT_TRUE(fncWriteFileAtomically(file, "old"));
  ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
  ASSERT_TRUE(fncWriteFileAtomically(file, "new"));
  EXPECT_EQ(modeOf(file), 0600u);
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  ASSERT_TRUE(fncWriteFileAtomically(file, "newer"));
  EXPECT_EQ(modeOf(file), 0640u);
}

TEST(AtomicFile, NeverFollowsOrReplacesWhatHoldsTheTemporaryName) {
  testing::TempFolder dir;
  auto file = dir / "a.txt";
  ASSERT_TRUE(fncWriteFileAtomically(dir / "victim", "precious"));
  std::filesystem::create_symlink(dir / "victim", dir / "a.txt.tmp");
  std::filesystem::create_symlink(dir / "nowhere", dir / "a.txt.tmp1");  // dangling
  ASSERT_TRUE(fncWriteFileAtomically(file, "data"));
  std::string bytes;
  ASSERT_TRUE(fncReadWholeFile(dir / "victim", bytes));
  EXPECT_EQ(bytes, "precious");
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "a.txt.tmp"));
  EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
  EXPECT_FALSE(std::filesystem::is_symlink(file));
  ASSERT_TRUE(fncReadWholeFile(file, bytes));
  EXPECT_EQ(bytes, "data");
}

TEST(AtomicFile, WritesThroughASymbolicLinkToItsTarget) {
  testing::TempFolder dir;
  std::filesystem::create_directory(dir / "dotfiles");
  ASSERT_TRUE(fncWriteFileAtomically(dir / "dotfiles" / "real.ini", "old"));
  std::filesystem::create_symlink("dotfiles/real.ini", dir / "link.ini");
  std::filesystem::create_symlink("link.ini", dir / "link2.ini");
  ASSERT_TRUE(fncWriteFileAtomically(dir / "link2.ini", "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link2.ini"));
  std::string bytes;
  ASSERT_TRUE(fncReadWholeFile(dir / "dotfiles" / "real.ini", bytes));
  EXPECT_EQ(bytes, "new");
  EXPECT_FALSE(std::filesystem::exists(dir / "dotfiles" / "real.ini.tmp"));

  std::filesystem::create_symlink("loop-b", dir / "loop-a");
  std::filesystem::create_symlink("loop-a", dir / "loop-b");
  std::string error;
  EXPECT_FALSE(fncWriteFileAtomically(dir / "loop-a", "x", &error));
  EXPECT_NE(error.find("loop-a"), std::string::npos) << error;
}

TEST(AtomicFile, RefusesToReplaceAFifoAFolderOrADevice) {
  testing::TempFolder dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  std::filesystem::create_directory(dir / "folder");
  std::filesystem::create_symlink("/dev/null", dir / "null");
  for (const char* name : {"fifo", "folder", "null"}) {
    std::string error;
    EXPECT_FALSE(fncWriteFileAtomically(dir / name, "x", &error)) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
  struct stat st {};
  ASSERT_EQ(::stat((dir / "fifo").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "folder"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "null"));
  EXPECT_FALSE(std::filesystem::exists(dir / "fifo.tmp"));
}

TEST(AtomicFile, SetAsideNeverReplacesAnEarlierCopy) {
  testing::TempFolder dir;
  auto file = dir / "registry.ini";
  std::vector<std::filesystem::path> names;
  for (const char* text : {"first", "second", "third"}) {
    ASSERT_TRUE(fncWriteFileAtomically(file, text));
    auto moved = fncSetAside(file, ".damaged");
    ASSERT_TRUE(moved);
    names.push_back(*moved);
    EXPECT_FALSE(std::filesystem::exists(file));
  }
  EXPECT_EQ(names[0], dir / "registry.ini.damaged");
  EXPECT_EQ(names[1], dir / "registry.ini.damaged.1");
  EXPECT_EQ(names[2], dir / "registry.ini.damaged.2");
  std::string bytes;
  ASSERT_TRUE(fncReadWholeFile(names[0], bytes));
  EXPECT_EQ(bytes, "first");
  ASSERT_TRUE(fncReadWholeFile(names[2], bytes));
  EXPECT_EQ(bytes, "third");
}

}  // namespace
}  // namespace lyn
