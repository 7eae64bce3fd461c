#pragma once
// UTF-8 characters and comparisons that ignore case.
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
bool fncEqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace lyn
