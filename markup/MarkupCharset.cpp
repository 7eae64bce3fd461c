#include "markup/MarkupCharset.h"

#include "platform/files/Charsets.h"
#include "platform/files/TextCase.h"

namespace lyn {

namespace {

// The value after "charset=" in a Content-type such as "text/html; charset=iso-8859-1".
std::string_view charsetParameter(std::string_view content) {
  for (size_t pos = 0; pos < content.size(); ++pos) {
    if (!fncStartsWithIgnoringAsciiCase(content.substr(pos), "charset")) continue;
    size_t p = pos + 7;
    while (p < content.size() && fncIsAsciiSpace(content[p])) ++p;
    if (p >= content.size() || content[p] != '=') continue;
    ++p;
    while (p < content.size() && fncIsAsciiSpace(content[p])) ++p;
    if (p < content.size() && (content[p] == '"' || content[p] == '\'')) ++p;
    size_t end = p;
    while (end < content.size() && !fncIsAsciiSpace(content[end]) && content[end] != ';' &&
           content[end] != '"' && content[end] != '\'')
      ++end;
    return content.substr(p, end - p);
  }
  return {};
}

// Reads the attributes of the tag whose name ends at `pos`, up to its ">", calling
// `take(name, value)` for each. Returns the position after the tag.
template <typename Take>
size_t readAttributes(std::string_view text, size_t pos, Take&& take) {
  const size_t size = text.size();
  while (pos < size) {
    while (pos < size && fncIsAsciiSpace(text[pos])) ++pos;
    if (pos >= size) break;
    if (text[pos] == '>') return pos + 1;
    if (text[pos] == '/') {
      ++pos;
      continue;
    }
    const size_t nameStart = pos;
    while (pos < size && !fncIsAsciiSpace(text[pos]) && text[pos] != '=' && text[pos] != '>' &&
           text[pos] != '/')
      ++pos;
    const std::string_view name = text.substr(nameStart, pos - nameStart);
    if (name.empty()) {  // a stray "="; step over it
      ++pos;
      continue;
    }
    while (pos < size && fncIsAsciiSpace(text[pos])) ++pos;
    std::string_view value;
    if (pos < size && text[pos] == '=') {
      ++pos;
      while (pos < size && fncIsAsciiSpace(text[pos])) ++pos;
      if (pos < size && (text[pos] == '"' || text[pos] == '\'')) {
        const char quote = text[pos++];
        const size_t end = text.find(quote, pos);
        const size_t stop = end == std::string_view::npos ? size : end;
        value = text.substr(pos, stop - pos);
        pos = stop == size ? size : stop + 1;
      } else {
        const size_t valueStart = pos;
        while (pos < size && !fncIsAsciiSpace(text[pos]) && text[pos] != '>') ++pos;
        value = text.substr(valueStart, pos - valueStart);
      }
    }
    take(name, value);
  }
  return size;
}

std::string_view xmlDeclarationEncoding(std::string_view bytes) {
  size_t pos = 0;
  while (pos < bytes.size() && fncIsAsciiSpace(bytes[pos])) ++pos;
  if (!fncStartsWithIgnoringAsciiCase(bytes.substr(pos), "<?xml")) return {};
  const size_t end = bytes.find("?>", pos);
  const std::string_view declaration =
      bytes.substr(pos + 5, (end == std::string_view::npos ? bytes.size() : end) - pos - 5);
  std::string_view encoding;
  readAttributes(declaration, 0, [&](std::string_view name, std::string_view value) {
    if (encoding.empty() && fncEqualsIgnoringAsciiCase(name, "encoding")) encoding = fncTrimAsciiSpace(value);
  });
  return encoding;
}

bool isWideLabel(std::string_view label) {
  return fncStartsWithIgnoringAsciiCase(label, "utf-16") || fncStartsWithIgnoringAsciiCase(label, "utf16") ||
         fncStartsWithIgnoringAsciiCase(label, "utf-32") || fncStartsWithIgnoringAsciiCase(label, "utf32") ||
         fncStartsWithIgnoringAsciiCase(label, "ucs-2") || fncStartsWithIgnoringAsciiCase(label, "ucs-4") ||
         fncEqualsIgnoringAsciiCase(label, "unicode");
}

}  // namespace

std::string fncDeclaredCharset(std::string_view bytes) {
  if (const std::string_view encoding = xmlDeclarationEncoding(bytes); !encoding.empty())
    return std::string(encoding);

  std::string_view httpEquiv, nccCharset;
  size_t pos = 0;
  const size_t size = bytes.size();
  while (pos < size) {
    const size_t open = bytes.find('<', pos);
    if (open == std::string_view::npos) break;
    pos = open + 1;
    if (fncStartsWithIgnoringAsciiCase(bytes.substr(pos), "!--")) {
      const size_t close = bytes.find("-->", pos + 3);
      if (close == std::string_view::npos) break;
      pos = close + 3;
      continue;
    }
    if (fncStartsWithIgnoringAsciiCase(bytes.substr(pos), "body")) break;
    if (!fncStartsWithIgnoringAsciiCase(bytes.substr(pos), "meta") || pos + 4 >= size || !fncIsAsciiSpace(bytes[pos + 4]))
      continue;
    std::string_view equiv, name, content, charset;
    pos = readAttributes(bytes, pos + 4, [&](std::string_view n, std::string_view v) {
      if (fncEqualsIgnoringAsciiCase(n, "http-equiv") && equiv.empty()) equiv = v;
      else if (fncEqualsIgnoringAsciiCase(n, "name") && name.empty()) name = v;
      else if (fncEqualsIgnoringAsciiCase(n, "content") && content.empty()) content = v;
      else if (fncEqualsIgnoringAsciiCase(n, "charset") && charset.empty()) charset = fncTrimAsciiSpace(v);
    });
    if (httpEquiv.empty() && fncEqualsIgnoringAsciiCase(fncTrimAsciiSpace(equiv), "content-type"))
      httpEquiv = charsetParameter(content);
    if (httpEquiv.empty() && !charset.empty()) httpEquiv = charset;  // <meta charset="...">
    if (nccCharset.empty() && fncEqualsIgnoringAsciiCase(fncTrimAsciiSpace(name), "ncc:charset"))
      nccCharset = fncTrimAsciiSpace(content);
  }
  return std::string(!httpEquiv.empty() ? httpEquiv : nccCharset);
}

std::string fncDecodeMarkupText(std::string bytes, std::string& isCharsetUsed) {
  const auto asUtf8 = [&](std::string_view label) {
    isCharsetUsed = std::string(label);
    return fncIsValidUtf8(bytes) ? std::move(bytes) : fncRepairUtf8(bytes);
  };
  size_t markLength = 0;
  const std::string mark(fncByteOrderMark(bytes, markLength));
  if (mark == "UTF-8") {
    bytes.erase(0, markLength);
    return asUtf8(mark);
  }
  if (!mark.empty()) {
    if (auto text = fncConvertToUtf8(std::string_view(bytes).substr(markLength), mark)) {
      isCharsetUsed = mark;
      return std::move(*text);
    }
  }
  // UTF-16 without a mark still begins with "<" as a 16-bit unit.
  for (const auto& [start, label] : {std::pair{std::string_view("<\0?\0", 4), "UTF-16LE"},
                                     std::pair{std::string_view("\0<\0?", 4), "UTF-16BE"}}) {
    if (std::string_view(bytes).substr(0, 4) != start) continue;
    if (auto text = fncConvertToUtf8(bytes, label)) {
      isCharsetUsed = label;
      return std::move(*text);
    }
  }
  const std::string declared = fncDeclaredCharset(bytes);
  if (!declared.empty() && !isWideLabel(declared)) {
    if (fncIsUtf8Charset(declared)) return asUtf8(declared);
    if (auto text = fncConvertToUtf8(bytes, declared)) {
      isCharsetUsed = declared;
      return std::move(*text);
    }
  }
  if (fncIsValidUtf8(bytes)) {
    isCharsetUsed = "UTF-8";
    return bytes;
  }
  isCharsetUsed = "windows-1252";
  return fncDecodeUndeclared(bytes);
}

}  // namespace lyn
