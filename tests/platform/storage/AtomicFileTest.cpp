#include <gtest/gtest.h>
#include <unistd.h>

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

}  // namespace
}  // namespace lyn
