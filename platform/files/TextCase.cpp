#include "platform/files/TextCase.h"

namespace lyn {

size_t fncDecodeUtf8(std::string_view text, size_t pos, char32_t& codePoint) {
  const size_t size = text.size();
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  size_t length;
  char32_t value;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
  } else {
    return 0;
  }
  if (size - pos < length) return 0;
  const unsigned char second = byte(pos + 1);
  if (second < low || second > high) return 0;
  value = (value << 6) | (second & 0x3F);
  for (size_t i = 2; i < length; ++i) {
    const unsigned char next = byte(pos + i);
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3F);
  }
  codePoint = value;
  return length;
}

void subAppendUtf8(std::string& out, char32_t cp) {
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

char32_t fncFoldCodePoint(char32_t cp) {
  if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
  if (cp < 0xC0) return cp;
  if (cp <= 0xDE) return cp == 0xD7 ? cp : cp + 0x20;  // Latin-1
  if (cp < 0x100) return cp;
  if (cp <= 0x17F) {  // Latin Extended-A: mostly pairs of capital and small letter
    if (cp == 0x130 || cp == 0x131 || cp == 0x138 || cp == 0x149 || cp == 0x17F) return cp;
    if (cp == 0x178) return 0xFF;
    const bool oddCapitals = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
    if (oddCapitals) return (cp & 1) ? cp + 1 : cp;
    return (cp & 1) ? cp : cp + 1;
  }
  if (cp >= 0x386 && cp <= 0x3AB) {  // Greek
    if (cp == 0x386) return 0x3AC;
    if (cp >= 0x388 && cp <= 0x38A) return cp + 0x25;
    if (cp == 0x38C) return 0x3CC;
    if (cp == 0x38E || cp == 0x38F) return cp + 0x3F;
    if (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2) return cp + 0x20;
    return cp;
  }
  if (cp >= 0x400 && cp <= 0x40F) return cp + 0x50;  // Cyrillic
  if (cp >= 0x410 && cp <= 0x42F) return cp + 0x20;
  return cp;
}

std::string fncFoldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    if (c < 0x80) {
      out.push_back(static_cast<char>((c >= 'A' && c <= 'Z') ? c + 32 : c));
      ++pos;
      continue;
    }
    char32_t cp;
    const size_t length = fncDecodeUtf8(text, pos, cp);
    if (length == 0) {
      out.push_back(static_cast<char>(c));
      ++pos;
    } else {
      subAppendUtf8(out, fncFoldCodePoint(cp));
      pos += length;
    }
  }
  return out;
}

bool fncEqualsIgnoringUnicodeCase(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const unsigned char x = static_cast<unsigned char>(a[i]);
    const unsigned char y = static_cast<unsigned char>(b[j]);
    if (x < 0x80 && y < 0x80) {
      if (x != y) {
        const unsigned char lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
        const unsigned char ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
        if (lx != ly) return false;
      }
      ++i;
      ++j;
      continue;
    }
    char32_t cx = x, cy = y;
    size_t lx = x < 0x80 ? 1 : fncDecodeUtf8(a, i, cx);
    size_t ly = y < 0x80 ? 1 : fncDecodeUtf8(b, j, cy);
    if (lx == 0 || ly == 0) {  // malformed bytes match only themselves
      if (lx != ly || x != y) return false;
      ++i;
      ++j;
      continue;
    }
    if (fncFoldCodePoint(cx) != fncFoldCodePoint(cy)) return false;
    i += lx;
    j += ly;
  }
  return i == a.size() && j == b.size();
}

std::string fncAsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = fncAsciiLower(c);
  return out;
}

bool fncEqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (fncAsciiLower(a[i]) != fncAsciiLower(b[i])) return false;
  return true;
}

bool fncStartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && fncEqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

bool fncEndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         fncEqualsIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string_view fncTrimAsciiSpace(std::string_view text) {
  while (!text.empty() && fncIsAsciiSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && fncIsAsciiSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::string fncNormaliseWhiteSpace(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\r' || c == '\n') continue;
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += c;
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

}  // namespace lyn
