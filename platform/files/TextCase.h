#pragma once
// The player's text helpers, kept once here: UTF-8 characters, comparisons that ignore case,
// trimming and white-space normalising.
//
// Two case-blind forms, named for what they fold:
//   ...IgnoringAsciiCase   folds A-Z only; for names the player or a standard defines in ASCII
//                          (settings keys, charset names, element names of a fixed set).
//   ...IgnoringUnicodeCase folds the scripts listed below; for names that come from books and
//                          file systems (file names, ids, captions).
//
// Markup names, file names and keys are compared without regard to case. Folding maps each
// code point to its lower-case partner for the scripts books are written in: ASCII, Latin-1,
// Latin Extended-A, Greek and Cyrillic; every other code point stays as it is. Bytes that do not
// form UTF-8 are compared as they are.

#include <cstddef>
#include <string>
#include <string_view>

namespace lyn {

// Reads the UTF-8 sequence that starts at `pos` (which must be < text.size()). Returns its length
// in bytes (1 to 4) and its code point in `codePoint`; returns 0 when the bytes there are not a
// well-formed sequence (a stray continuation byte, an overlong form, a surrogate, past U+10FFFF,
// or a sequence cut off by the end of the text). Never reads past the end of `text`.
size_t fncDecodeUtf8(std::string_view text, size_t pos, char32_t& codePoint);

// Appends the UTF-8 form of `codePoint` (U+FFFD for a surrogate or a value past U+10FFFF).
void subAppendUtf8(std::string& out, char32_t codePoint);

// The lower-case partner of one code point (itself when it has none in the scripts above).
char32_t fncFoldCodePoint(char32_t codePoint);

// `text` with every character folded; malformed bytes are copied unchanged.
std::string fncFoldCase(std::string_view text);

// True when the two texts are equal after folding. ASCII-only texts take a fast path.
bool fncEqualsIgnoringUnicodeCase(std::string_view a, std::string_view b);
// The same comparison under its older name.
inline bool fncEqualsIgnoringCase(std::string_view a, std::string_view b) {
  return fncEqualsIgnoringUnicodeCase(a, b);
}

// ASCII folding: A-Z become a-z, every other byte stays as it is.
constexpr char fncAsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
std::string fncAsciiLower(std::string_view text);
bool fncEqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
bool fncStartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);
bool fncEndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix);

// Space, tab, CR, LF, form feed and vertical tab.
constexpr bool fncIsAsciiSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
// `text` without the ASCII white space at both ends.
std::string_view fncTrimAsciiSpace(std::string_view text);

// Removes CR and LF, trims spaces at both ends, collapses runs of spaces to one (tabs stay).
std::string fncNormaliseWhiteSpace(std::string_view text);

}  // namespace lyn
