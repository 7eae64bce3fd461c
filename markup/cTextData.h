#pragma once
// One text run: a range of a document's text, between two tags. The text itself stays in the
// document (cFileData::sData); a run holds positions only.

#include <cstdint>

namespace lyn {

struct cTextData {
  int32_t lTxtStartPos = 0;  // 1-based byte position of the run's first character
  int32_t lTxtEndPos = 0;    // 1-based position just past its last character (the "<" that ends it)
};

}  // namespace lyn
