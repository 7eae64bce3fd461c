#pragma once
// Which document of a book file set an operation means (cDTBData).

#include <cstdint>
#include <optional>
#include <string>

namespace lyn {

// Which held document an operation means: by number if given, else by kind, else by exact name.
//   set.fncGetFileData({.lNumber = 2}), set.fncGetFileData({.enFileType = kFileTypeNcc}),
//   set.fncGetFileData({.sFileName = "chap01.smil"})
struct cFileChoice {
  std::optional<int32_t> lNumber{};
  std::optional<int32_t> enFileType{};
  std::optional<std::string> sFileName{};
};

}  // namespace lyn
