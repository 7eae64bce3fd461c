#pragma once
// A folder of its own for one test, removed when the test ends.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace lyn::testing {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lyn-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    mPath = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    // Give back write permission a test may have taken away, so everything can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(mPath, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(mPath, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(mPath, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return mPath; }
  std::filesystem::path operator/(const std::string& name) const { return mPath / name; }

 private:
  std::filesystem::path mPath;
};

}  // namespace lyn::testing
