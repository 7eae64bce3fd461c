#include "engine/CharacterReferences.h"

#include <array>
#include <cstdint>

#include "platform/files/TextCase.h"

namespace lyn {

namespace {

int fncHexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The reference at the start of `text` ("&...;"): its length and its character; 0 when the
// text there is no reference this module decodes.
size_t fncReadReference(std::string_view text, char32_t& codePoint) {
  const size_t end = text.find(';');
  if (text.size() < 3 || text[0] != '&' || end == std::string_view::npos || end > 12) return 0;
  const std::string_view body = text.substr(1, end - 1);
  if (body.size() >= 2 && body[0] == '#') {
    const bool hex = body[1] == 'x' || body[1] == 'X';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty()) return 0;
    uint32_t value = 0;
    for (char c : digits) {
      const int digit = hex ? fncHexValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
      if (digit < 0) return 0;
      value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
      if (value > 0x10FFFF) return 0;
    }
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    codePoint = value;
    return end + 1;
  }
  static constexpr std::array<std::pair<std::string_view, char32_t>, 5> kNamed = {
      {{"amp", U'&'}, {"lt", U'<'}, {"gt", U'>'}, {"quot", U'"'}, {"apos", U'\''}}};
  for (const auto& [name, character] : kNamed) {
    if (fncEqualsIgnoringCase(body, name)) {
      codePoint = character;
      return end + 1;
    }
  }
  return 0;
}

bool fncbValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    char32_t ignored = 0;
    const size_t length = fncDecodeUtf8(text, i, ignored);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string fncDecode(std::string_view text, bool percent, bool latin1) {
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t character = 0;
    if (text[i] == '&') {
      if (const size_t length = fncReadReference(text.substr(i), character)) {
        subAppendUtf8(decoded, character);
        i += length;
        continue;
      }
    } else if (percent && text[i] == '%' && i + 2 < text.size() &&
               fncHexValue(text[i + 1]) >= 0 && fncHexValue(text[i + 2]) >= 0) {
      const auto byte =
          static_cast<unsigned char>(fncHexValue(text[i + 1]) * 16 + fncHexValue(text[i + 2]));
      if (latin1 && byte >= 0x80) subAppendUtf8(decoded, byte);
      else decoded += static_cast<char>(byte);
      i += 3;
      continue;
    }
    decoded += text[i++];
  }
  return decoded;
}

}  // namespace

std::string fncDecodeCharacterReferences(std::string_view text) {
  if (text.find('&') == std::string_view::npos) return std::string(text);
  return fncDecode(text, false, false);
}

std::string fncDecodeLinkEscapes(std::string_view text) {
  std::string decoded = fncDecode(text, true, false);
  if (!fncbValidUtf8(decoded) && fncbValidUtf8(text)) return fncDecode(text, true, true);
  return decoded;
}

}  // namespace lyn
