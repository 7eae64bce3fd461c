#include "markup/TagScan.h"

#include "platform/files/TextCase.h"

namespace lyn {

namespace {

// Character classes of the ASCII range; every byte from 0x80 up is judged by its code point.
enum : unsigned char { kBlank = 1, kName = 2 };

constexpr auto kClasses = [] {
  struct Table {
    unsigned char v[128] = {};
  } t;
  for (unsigned char c : {' ', '\t', '\r', '\n'}) t.v[c] = kBlank;
  for (int c = 'A'; c <= 'Z'; ++c) t.v[c] = kName;
  for (int c = 'a'; c <= 'z'; ++c) t.v[c] = kName;
  for (int c = '0'; c <= '9'; ++c) t.v[c] = kName;
  for (unsigned char c : {'-', '.', '_', ':'}) t.v[c] = kName;
  return t;
}();

bool isLetterCodePoint(char32_t cp) {
  return (cp >= 0xC0 && cp <= 0xD6) || (cp >= 0xD8 && cp <= 0xF6) || cp >= 0xF8;
}

bool isQuote(char c) { return c == '"' || c == '\''; }

}  // namespace

size_t fncScanTagName(std::string_view text, size_t pos) {
  while (pos < text.size()) {
    const auto c = static_cast<unsigned char>(text[pos]);
    if (c < 128) {
      if (kClasses.v[c] != kName) break;
      ++pos;
      continue;
    }
    char32_t cp;
    const size_t length = fncDecodeUtf8(text, pos, cp);
    if (length == 0 || !isLetterCodePoint(cp)) break;
    pos += length;
  }
  return pos;
}

size_t fncScanQuoted(std::string_view text, size_t pos) {

  // The open quotes alternate: the opening character, then the quote opened inside it, then the
  // other quote, and so on; so their count and the first two say which one is innermost.
  const auto other = [](char quote) { return quote == '"' ? '\'' : '"'; };
  const char opening = text[pos++];
  char second = 0;
  size_t open = 1;
  while (pos < text.size()) {
    const char c = text[pos++];
    if (!isQuote(c)) continue;
    const char innermost = open == 1 ? opening : open % 2 == 0 ? second : other(second);
    if (c != innermost) {
      if (open == 2 && c == opening) return pos;
      if (open == 1) second = c;
      ++open;
    } else if (--open == 0) {
      return pos;
    }
  }
  return pos;
}

}  // namespace lyn
