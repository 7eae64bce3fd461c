#include "platform/storage/cRegularFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tests/TempFolder.h"

namespace lyn {
namespace {

TEST(RegularFile, ReadsARegularFileWithinItsLimit) {
  testing::TempFolder dir;
  std::ofstream(dir / "a.txt") << "hello";
  std::string bytes, error;
  EXPECT_TRUE(fncReadRegularFile(dir / "a.txt", bytes, 5, &error)) << error;
  EXPECT_EQ(bytes, "hello");
  EXPECT_FALSE(fncReadRegularFile(dir / "a.txt", bytes, 4, &error));
  EXPECT_TRUE(bytes.empty());
  EXPECT_NE(error.find("larger than 4 bytes"), std::string::npos) << error;
}

TEST(RegularFile, RefusesFoldersFifosDevicesAndMissingFilesWithoutBlocking) {
  testing::TempFolder dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  std::filesystem::create_directory(dir / "folder");
  std::filesystem::create_symlink("/dev/zero", dir / "zero");
  std::string bytes, error;
  EXPECT_FALSE(fncReadRegularFile(dir / "fifo", bytes, 1000, &error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  EXPECT_FALSE(fncReadRegularFile(dir / "folder", bytes, 1000, &error));
  EXPECT_NE(error.find("is a folder"), std::string::npos) << error;
  EXPECT_FALSE(fncReadRegularFile(dir / "zero", bytes, 1000, &error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  EXPECT_FALSE(fncReadRegularFile(dir / "missing", bytes, 1000, &error));
  EXPECT_NE(error.find((dir / "missing").string()), std::string::npos) << error;
}

}  // namespace
}  // namespace lyn
