#include "platform/files/Charsets.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/files/TextCase.h"

namespace lyn {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

bool isAsciiBlock(const char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return (word & 0x8080808080808080ULL) == 0;
}

// The length of the maximal part of a malformed sequence at `pos` (at least 1): the lead byte
// and the continuation bytes that could still have belonged to it.
size_t malformedLength(std::string_view text, size_t pos) {
  const unsigned char lead = static_cast<unsigned char>(text[pos]);
  size_t expected = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    expected = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    expected = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    expected = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 1;
  }
  size_t length = 1;
  while (length < expected && pos + length < text.size()) {
    const unsigned char next = static_cast<unsigned char>(text[pos + length]);
    const unsigned char lo = length == 1 ? low : 0x80;
    const unsigned char hi = length == 1 ? high : 0xBF;
    if (next < lo || next > hi) break;
    ++length;
  }
  return length;
}

std::string normalisedLabel(std::string_view charset) {
  std::string label;
  for (char c : charset) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '"' || c == '\'') continue;
    label.push_back(static_cast<char>((c >= 'A' && c <= 'Z') ? c + 32 : c));
  }
  return label;
}

bool isUtf8Label(const std::string& label) {
  return label == "utf-8" || label == "utf8" || label == "unicode-1-1-utf-8" ||
         label == "x-unicode20utf8";
}

// Labels that browsers read as windows-1252.
bool isLatin1Label(const std::string& label) {
  return label == "iso-8859-1" || label == "iso8859-1" || label == "iso_8859-1" ||
         label == "iso-ir-100" || label == "latin1" || label == "l1" || label == "cp819" ||
         label == "ibm819" || label == "us-ascii" || label == "ascii" || label == "ansi_x3.4-1968" ||
         label == "iso_8859-1:1987" || label == "csisolatin1" || label == "windows-1252" ||
         label == "cp1252" || label == "x-cp1252";
}

// Bytes per code unit, so that an undecodable unit is skipped whole.
size_t unitSize(const std::string& label) {
  if (label.rfind("utf-16", 0) == 0 || label.rfind("utf16", 0) == 0 ||
      label.rfind("ucs-2", 0) == 0 || label == "unicode")
    return 2;
  if (label.rfind("utf-32", 0) == 0 || label.rfind("utf32", 0) == 0 ||
      label.rfind("ucs-4", 0) == 0)
    return 4;
  return 1;
}

std::optional<std::string> convertWithIconv(std::string_view bytes, const char* from,
                                            size_t unit) {
  iconv_t opened = iconv_open("UTF-8", from);
  if (opened == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  // Closed on every way out, a failed allocation included.
  const std::unique_ptr<void, int (*)(iconv_t)> owner(opened, &iconv_close);
  iconv_t cd = owner.get();
  std::string out;
  out.resize(bytes.size() * 3 + 16);
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  size_t used = 0;
  while (inLeft > 0) {
    char* outPtr = out.data() + used;
    size_t outLeft = out.size() - used;
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    used = out.size() - outLeft;
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2 + 16);
      continue;
    }
    // EILSEQ: a unit that does not decode; EINVAL: a sequence cut off by the end.
    if (out.size() - used < 3) out.resize(out.size() * 2 + 16);
    std::memcpy(out.data() + used, kReplacement, 3);
    used += 3;
    if (errno == EINVAL) break;
    const size_t skip = unit < inLeft ? unit : inLeft;
    in += skip;
    inLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state
  }
  // Flush the final shift sequence of stateful encodings.
  for (;;) {
    char* outPtr = out.data() + used;
    size_t outLeft = out.size() - used;
    const size_t rc = iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    used = out.size() - outLeft;
    if (rc == static_cast<size_t>(-1) && errno == E2BIG) {
      out.resize(out.size() * 2 + 16);
      continue;
    }
    break;
  }
  out.resize(used);
  return out;
}

// Windows-1252 without iconv, for systems whose iconv lacks it: the bytes 0x80-0x9F that
// windows-1252 assigns, the rest as Latin-1.
std::string windows1252Fallback(std::string_view bytes) {
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char c : bytes) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x80)
      out.push_back(c);
    else if (b < 0xA0)
      subAppendUtf8(out, kHigh[b - 0x80]);
    else
      subAppendUtf8(out, b);
  }
  return out;
}

std::string decodeWindows1252(std::string_view bytes) {
  if (auto text = convertWithIconv(bytes, "WINDOWS-1252", 1)) return std::move(*text);
  return windows1252Fallback(bytes);
}

}  // namespace

bool fncIsValidUtf8(std::string_view bytes) {
  size_t pos = 0;
  const size_t size = bytes.size();
  while (pos < size) {
    if (pos + 8 <= size && isAsciiBlock(bytes.data() + pos)) {
      pos += 8;
      continue;
    }
    if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
      ++pos;
      continue;
    }
    char32_t cp;
    const size_t length = fncDecodeUtf8(bytes, pos, cp);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

std::string fncRepairUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  size_t pos = 0, copied = 0;
  const size_t size = bytes.size();
  while (pos < size) {
    if (pos + 8 <= size && isAsciiBlock(bytes.data() + pos)) {
      pos += 8;
      continue;
    }
    if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
      ++pos;
      continue;
    }
    char32_t cp;
    const size_t length = fncDecodeUtf8(bytes, pos, cp);
    if (length > 0) {
      pos += length;
      continue;
    }
    out.append(bytes.substr(copied, pos - copied));
    out.append(kReplacement, 3);
    pos += malformedLength(bytes, pos);
    copied = pos;
  }
  out.append(bytes.substr(copied));
  return out;
}

std::optional<std::string> fncConvertToUtf8(std::string_view bytes, std::string_view charset) {
  const std::string label = normalisedLabel(charset);
  if (label.empty()) return std::nullopt;
  if (isUtf8Label(label)) return fncRepairUtf8(bytes);
  if (isLatin1Label(label)) return decodeWindows1252(bytes);
  return convertWithIconv(bytes, label.c_str(), unitSize(label));
}

bool fncIsUtf8Charset(std::string_view charset) { return isUtf8Label(normalisedLabel(charset)); }

std::string fncDecodeUndeclared(std::string_view bytes) {
  if (fncIsValidUtf8(bytes)) return std::string(bytes);
  return decodeWindows1252(bytes);
}

std::string_view fncByteOrderMark(std::string_view bytes, size_t& markLength) {
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    markLength = 3;
    return "UTF-8";
  }
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") {
    markLength = 2;
    return "UTF-16LE";
  }
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF") {
    markLength = 2;
    return "UTF-16BE";
  }
  markLength = 0;
  return {};
}

}  // namespace lyn
