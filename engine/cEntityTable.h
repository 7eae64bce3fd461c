#pragma once
// The NCC reader's table of the character entity references that book captions use: 64
// upper-case references ("&ARING;") and the character each stands for, in UTF-8.
//
// fncReplace replaces, at each "&" in turn, the first entry (in table order) that the text
// there matches when upper-cased, by its character; lower-cased when the character right after
// the "&" is not an upper-case letter ("&Aring;" gives Å, "&aring;" å). "&SHY;" gives a comma.
// Anything else after an "&" (the markup entities, "&nbsp;", numeric references) stays as written.

#include <string>
#include <string_view>
#include <vector>

namespace lyn {

class cEntityTable {
 public:
  struct cEntity {
    std::string sReference;  // "&ARING;"
    std::string sUpper;      // the character, UTF-8
    std::string sLower;      // its lower-case form (the same for symbols)
  };

  cEntityTable();

  // Replaces in place and returns the result.
  std::string& fncReplace(std::string& ioText) const;

  const std::vector<cEntity>& fncEntries() const { return mEntries; }

 private:
  std::vector<cEntity> mEntries;
};

}  // namespace lyn
