#include "shell/ModuleServices.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/files/Charsets.h"

namespace lyn {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads digits with an optional fraction at text[pos]; nothing when there is no digit.
std::optional<double> readDecimal(std::string_view text, size_t& pos) {
  size_t start = pos;
  while (pos < text.size() && isDigit(text[pos])) ++pos;
  size_t wholeEnd = pos;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    while (pos < text.size() && isDigit(text[pos])) ++pos;
  }
  if (wholeEnd == start && pos <= wholeEnd + 1) {
    pos = start;
    return std::nullopt;
  }
  return std::strtod(std::string(text.substr(start, pos - start)).c_str(), nullptr);
}

double parseClock(std::string_view text) {
  text = fncTrimAsciiSpace(text);
  if (text.find(':') != std::string_view::npos) {
    // [[hours:]minutes:]seconds[.fraction]
    std::array<double, 3> parts{};
    size_t count = 0, pos = 0;
    while (true) {
      if (count == 3) return 0;
      auto number = readDecimal(text, pos);
      if (!number) return 0;
      parts[count++] = *number;
      if (pos < text.size() && text[pos] == ':') {
        ++pos;
        continue;
      }
      break;
    }
    if (count == 2) return parts[0] * 60 + parts[1];
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
  }
  size_t pos = 0;
  auto number = readDecimal(text, pos);
  if (!number) return 0;
  std::string_view metric = fncTrimAsciiSpace(text.substr(pos));
  if (metric == "h") return *number * 3600;
  if (metric == "min") return *number * 60;
  if (metric == "ms") return *number / 1000;
  return *number;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void appendLatin1(std::string& out, unsigned char c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

double fncParseClockValue(std::string& value) {
  if (value.size() < 5) return 0;
  value.erase(0, 4);
  return parseClock(value);
}

std::string fncDecodePercentEscapes(std::string_view text) {
  std::string decoded;
  std::string latin1;  // the same, with escaped bytes taken as Latin-1
  bool escapedHigh = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
        hexValue(text[i + 2]) >= 0) {
      auto byte = static_cast<unsigned char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      decoded += static_cast<char>(byte);
      appendLatin1(latin1, byte);
      escapedHigh = escapedHigh || byte >= 0x80;
      i += 2;
    } else {
      decoded += text[i];
      latin1 += text[i];
    }
  }
  if (escapedHigh && !fncIsValidUtf8(decoded)) return latin1;
  return decoded;
}

bool fncVersionAtLeast(std::string_view version, char separator,
                       const std::array<int64_t, 4>& required) {
  std::array<int64_t, 4> parts{};
  size_t start = 0;
  for (size_t index = 0; index < 4 && start <= version.size(); ++index) {
    size_t end = version.find(separator, start);
    if (end == std::string_view::npos) end = version.size();
    std::string_view part = fncTrimAsciiSpace(version.substr(start, end - start));
    int64_t number = 0;
    for (char c : part) {
      if (!isDigit(c)) break;
      number = number * 10 + (c - '0');
      if (number > (int64_t{1} << 40)) break;
    }
    parts[index] = number;
    if (end == version.size()) break;
    start = end + 1;
  }
  return parts >= required;
}

KeyTiming fncKeyTiming(int osMajorVersion) {
  if (osMajorVersion == 4) return {20, 5};
  return {80, 20};
}

std::string fncWithTrailingSeparator(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string fncWithoutTrailingSeparator(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string fncProgramFolder() {
  if (const char* dir = std::getenv("LYN_PROGRAM_DIR"); dir && *dir)
    return fncWithTrailingSeparator(dir);
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  const std::filesystem::path buildTree = LYN_BUILD_TREE;
  if (!ec) {
    auto relative = exe.lexically_relative(buildTree);
    if (!relative.empty() && *relative.begin() != "..") return fncWithTrailingSeparator(LYN_BUILD_DATA_DIR);
    // Installed under another prefix than the one built for (a staging folder, a relocated
    // tree): the data lies beside the program, in <prefix>/share/lyn-reader.
    const auto beside = exe.parent_path().parent_path() / "share" / "lyn-reader";
    if (std::filesystem::is_directory(beside, ec)) return fncWithTrailingSeparator(beside.string());
  }
  return fncWithTrailingSeparator(LYN_INSTALL_DATA_DIR);
}

}  // namespace lyn
