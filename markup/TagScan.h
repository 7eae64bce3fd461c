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

inline bool fncIsTagBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
// One past the last name character from `pos` (the position itself when none is there).
size_t fncScanTagName(std::string_view text, size_t pos);
// The same for the common case: ASCII name characters, the rest left to fncScanTagName.
inline size_t fncScanTagNameQuickly(std::string_view text, size_t pos) {
  const auto isAsciiName = [](unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '-' || c == '.' || c == '_' || c == ':';
  };
  while (pos < text.size() && isAsciiName(static_cast<unsigned char>(text[pos]))) ++pos;
  return pos < text.size() && static_cast<unsigned char>(text[pos]) >= 0x80
             ? fncScanTagName(text, pos)
             : pos;
}
// From an opening quote at `pos` (whatever the character is) to one past its closing quote, or
// to the end of the text. A quote character that differs from the innermost open one closes the
// value when it is the opening one and only one other is open (an apostrophe inside a
// double-quoted value is tolerated), and opens another otherwise; one equal to the innermost
// open one closes it, and the value ends when none is left open.
size_t fncScanQuoted(std::string_view text, size_t pos);
// The same, for a value that opens with a quote: most often the next quote closes it.
inline size_t fncScanQuotedQuickly(std::string_view text, size_t pos) {
  const char opening = text[pos];
  size_t at = pos + 1;
  while (at < text.size() && text[at] != '"' && text[at] != '\'') ++at;
  return at < text.size() && text[at] == opening ? at + 1 : fncScanQuoted(text, pos);
}

// The attributes of an ordinary tag, from just past its name: blanks, then name "=" value pairs
// (a name without "=" is dropped; a value is quoted, or runs up to a blank, ">" or "/"), up to
// the first character that starts no name.
class cAttributeScan {
 public:
  cAttributeScan(std::string_view text, size_t from) : mText(text), mPos(from) {}

  // The next pair, false when there is none: then either the attributes ended (bolTextEnded
  // false, lPosition on the character after them) or the text ended inside the tag.
  bool fncbNext(std::string_view& oName, std::string_view& oValue);
  // From just past a name: its value; false (the position on what follows the name) when the
  // name has none, or when the text ends.
  bool fncbValue(std::string_view& oValue);
  size_t lPosition() const { return mPos; }
  bool bolTextEnded = false;
  bool bolUnquoted = false;  // a value was written without its quotes

 private:
  bool fncbSkipBlanks() {
    while (mPos < mText.size() && fncIsTagBlank(mText[mPos])) ++mPos;
    if (mPos < mText.size()) return true;
    bolTextEnded = true;
    return false;
  }

  std::string_view mText;
  size_t mPos;
};

inline bool cAttributeScan::fncbValue(std::string_view& oValue) {
  if (!fncbSkipBlanks()) return false;
  if (mText[mPos] != '=') return false;
  ++mPos;
  if (!fncbSkipBlanks()) return false;
  const size_t valueStart = mPos;
  const char first = mText[mPos];
  if (first == '"' || first == '\'') {
    mPos = fncScanQuotedQuickly(mText, mPos);
  } else {
    mPos = mText.find_first_of(" \t\r\n>/", mPos);
    if (mPos == std::string_view::npos) {
      mPos = mText.size();
      bolTextEnded = true;
      return false;
    }
    bolUnquoted = true;
  }
  oValue = mText.substr(valueStart, mPos - valueStart);
  return true;
}

inline bool cAttributeScan::fncbNext(std::string_view& oName, std::string_view& oValue) {
  for (;;) {
    if (!fncbSkipBlanks()) return false;
    const size_t nameStart = mPos;
    mPos = fncScanTagNameQuickly(mText, mPos);
    if (mPos == nameStart) return false;  // the attributes end here
    oName = mText.substr(nameStart, mPos - nameStart);
    if (fncbValue(oValue)) return true;
    if (bolTextEnded) return false;
    // a name without a value is not recorded
  }
}

}  // namespace lyn
