#pragma once
// The style-sheet pairs of the program folder: "sttxt" + id + ".css" styles the book's text,
// "stncc" + id + ".css" its table of contents. Ids are three characters; a text sheet whose id
// is not three characters long, or that has no NCC sheet beside it, is no pair.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lyn {

class cStyleSheets {
 public:
  // Looks for the pairs in `programFolder` in byte-wise name order; the current style is the
  // pair whose text sheet's full path equals `savedStyleSheet` (0 when none does).
  void subDiscover(const std::string& programFolder, std::string_view savedStyleSheet);

  int32_t fncStyleCount() const { return static_cast<int32_t>(mTextSheets.size()) - 1; }
  int32_t fncCurrentStyle() const { return mCurrentStyle; }
  void subSetCurrentStyle(int32_t style);
  // Full paths, 1-based; index 0 and indexes out of range give "".
  const std::string& fncTextSheet(int32_t index) const;
  const std::string& fncNccSheet(int32_t index) const;
  // The current style's text sheet, "" for none: what is saved as "style sheet".
  const std::string& fncCurrentTextSheet() const { return fncTextSheet(mCurrentStyle); }

 private:
  std::vector<std::string> mTextSheets{""};
  std::vector<std::string> mNccSheets{""};
  int32_t mCurrentStyle = 0;
};

}  // namespace lyn
