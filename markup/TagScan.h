#pragma once
// The pieces of the tag grammar that the tokenizer and the element records share: character
// classes, names, quoted values, and the attribute list of a tag. A record whose attributes lie
// in its document's text reads them again with cAttributeScan instead of keeping a copy, so both
// must see the same pairs.
//
// Positions are 0-based byte offsets into `text`; nothing reads past its end.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lyn {

bool fncIsTagBlank(char c);
// One past the last name character from `pos` (the position itself when none is there).
size_t fncScanTagName(std::string_view text, size_t pos);
// From an opening quote at `pos` (whatever the character is) to one past its closing quote, or
// to the end of the text. A quote character that differs from the innermost open one closes the
// value when it is the opening one and only one other is open (an apostrophe inside a
// double-quoted value is tolerated), and opens another otherwise; one equal to the innermost
// open one closes it, and the value ends when none is left open.
size_t fncScanQuoted(std::string_view text, size_t pos);

// The attributes of an ordinary tag, from just past its name: blanks, then name "=" value pairs
// (a name without "=" is dropped; a value is quoted, or runs up to a blank, ">" or "/"), up to
// the first character that starts no name.
class cAttributeScan {
 public:
  cAttributeScan(std::string_view text, size_t from) : mText(text), mPos(from) {}

  // The next pair, false when there is none: then either the attributes ended (bolTextEnded
  // false, lPosition on the character after them) or the text ended inside the tag.
  bool fncbNext(std::string_view& oName, std::string_view& oValue);
  size_t lPosition() const { return mPos; }
  bool bolTextEnded = false;
  bool bolUnquoted = false;  // a value was written without its quotes

 private:
  bool fncbSkipBlanks();

  std::string_view mText;
  size_t mPos;
};

}  // namespace lyn
