#include "platform/desktop/cLocalSocketInstance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>

#include <QCoreApplication>
#include <filesystem>
#include <optional>
#include <vector>

#include "tests/TempFolder.h"

namespace lyn {
namespace {

// Lets the first copy's event loop take what later copies sent; a bounded number of turns, no
// waiting on the clock (the bytes are in the socket already).
void fncDeliver(const std::vector<std::string>& heard, size_t wanted) {
  for (int turn = 0; turn < 10000 && heard.size() < wanted; ++turn) QCoreApplication::processEvents();
}

mode_t fncMode(const std::filesystem::path& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_mode & 0777;
}

TEST(SingleInstance, ASecondCopyHandsItsBookFolderToTheFirst) {
  testing::TempFolder runtime;
  std::vector<std::string> heard;
  cLocalSocketInstance first(runtime.path().string());
  ASSERT_EQ(first.fncClaim("", [&](const std::string& folder) { heard.push_back(folder); }),
            eInstanceRole::First);
  EXPECT_EQ(fncMode(runtime / "lyn-reader"), 0700u);
  EXPECT_TRUE(std::filesystem::is_socket(first.fncSocketPath()));

  cLocalSocketInstance second(runtime.path().string());
  EXPECT_EQ(second.fncClaim("/media/user/BOOK disc/ncc folder", nullptr), eInstanceRole::Second);
  cLocalSocketInstance third(runtime.path().string());
  EXPECT_EQ(third.fncClaim("", nullptr), eInstanceRole::Second);
  fncDeliver(heard, 2);
  EXPECT_EQ(heard, (std::vector<std::string>{"/media/user/BOOK disc/ncc folder", ""}));
}

TEST(SingleInstance, ASocketLeftByACrashedCopyIsTakenOver) {
  testing::TempFolder runtime;
  std::string path;
  {
    cLocalSocketInstance gone(runtime.path().string());
    ASSERT_EQ(gone.fncClaim("", nullptr), eInstanceRole::First);
    path = gone.fncSocketPath();
  }
  // A crash leaves the socket file behind: bind one that nobody listens on.
  std::filesystem::remove(path);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
  ASSERT_TRUE(std::filesystem::is_socket(path));
  std::vector<std::string> heard;
  cLocalSocketInstance next(runtime.path().string());
  EXPECT_EQ(next.fncClaim("", [&](const std::string& f) { heard.push_back(f); }), eInstanceRole::First);
  cLocalSocketInstance later(runtime.path().string());
  EXPECT_EQ(later.fncClaim("/books/one", nullptr), eInstanceRole::Second);
  fncDeliver(heard, 1);
  EXPECT_EQ(heard, (std::vector<std::string>{"/books/one"}));
}

TEST(SingleInstance, AFolderOpenToOthersIsClosedAndOneThatIsNoFolderIsRefused) {
  testing::TempFolder runtime;
  std::filesystem::create_directory(runtime / "lyn-reader");
  ::chmod((runtime / "lyn-reader").c_str(), 0777);
  cLocalSocketInstance first(runtime.path().string());
  EXPECT_EQ(first.fncClaim("", nullptr), eInstanceRole::First);
  EXPECT_EQ(fncMode(runtime / "lyn-reader"), 0700u);

  testing::TempFolder other;
  std::filesystem::create_directory_symlink(runtime.path(), other / "lyn-reader");
  cLocalSocketInstance tricked(other.path().string());
  EXPECT_EQ(tricked.fncClaim("", nullptr), eInstanceRole::Alone);
}

}  // namespace
}  // namespace lyn
