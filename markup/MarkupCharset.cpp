#include "markup/MarkupCharset.h"

#include "platform/files/Charsets.h"

namespace lyn {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool startsWithIgnoringCase(std::string_view text, size_t pos, std::string_view word) {
  if (text.size() - pos < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (lower(text[pos + i]) != word[i]) return false;
  return true;
}

bool equalsIgnoringCase(std::string_view a, std::string_view lowerWord) {
  return a.size() == lowerWord.size() && startsWithIgnoringCase(a, 0, lowerWord);
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

// The value after "charset=" in a Content-type such as "text/html; charset=iso-8859-1".
std::string_view charsetParameter(std::string_view content) {
  for (size_t pos = 0; pos < content.size(); ++pos) {
    if (!startsWithIgnoringCase(content, pos, "charset")) continue;
    size_t p = pos + 7;
    while (p < content.size() && isSpace(content[p])) ++p;
    if (p >= content.size() || content[p] != '=') continue;
    ++p;
    while (p < content.size() && isSpace(content[p])) ++p;
    if (p < content.size() && (content[p] == '"' || content[p] == '\'')) ++p;
    size_t end = p;
    while (end < content.size() && !isSpace(content[end]) && content[end] != ';' &&
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
    while (pos < size && isSpace(text[pos])) ++pos;
    if (pos >= size) break;
    if (text[pos] == '>') return pos + 1;
    if (text[pos] == '/') {
      ++pos;
      continue;
    }
    const size_t nameStart = pos;
    while (pos < size && !isSpace(text[pos]) && text[pos] != '=' && text[pos] != '>' &&
           text[pos] != '/')
      ++pos;
    const std::string_view name = text.substr(nameStart, pos - nameStart);
    if (name.empty()) {  // a stray "="; step over it
      ++pos;
      continue;
    }
    while (pos < size && isSpace(text[pos])) ++pos;
    std::string_view value;
    if (pos < size && text[pos] == '=') {
      ++pos;
      while (pos < size && isSpace(text[pos])) ++pos;
      if (pos < size && (text[pos] == '"' || text[pos] == '\'')) {
        const char quote = text[pos++];
        const size_t end = text.find(quote, pos);
        const size_t stop = end == std::string_view::npos ? size : end;
        value = text.substr(pos, stop - pos);
        pos = stop == size ? size : stop + 1;
      } else {
        const size_t valueStart = pos;
        while (pos < size && !isSpace(text[pos]) && text[pos] != '>') ++pos;
        value = text.substr(valueStart, pos - valueStart);
      }
    }
    take(name, value);
  }
  return size;
}

std::string_view xmlDeclarationEncoding(std::string_view bytes) {
  size_t pos = 0;
  while (pos < bytes.size() && isSpace(bytes[pos])) ++pos;
  if (!startsWithIgnoringCase(bytes, pos, "<?xml")) return {};
  const size_t end = bytes.find("?>", pos);
  const std::string_view declaration =
      bytes.substr(pos + 5, (end == std::string_view::npos ? bytes.size() : end) - pos - 5);
  std::string_view encoding;
  readAttributes(declaration, 0, [&](std::string_view name, std::string_view value) {
    if (encoding.empty() && equalsIgnoringCase(name, "encoding")) encoding = trimmed(value);
  });
  return encoding;
}

bool isWideLabel(std::string_view label) {
  return startsWithIgnoringCase(label, 0, "utf-16") || startsWithIgnoringCase(label, 0, "utf16") ||
         startsWithIgnoringCase(label, 0, "utf-32") || startsWithIgnoringCase(label, 0, "utf32") ||
         startsWithIgnoringCase(label, 0, "ucs-2") || startsWithIgnoringCase(label, 0, "ucs-4") ||
         equalsIgnoringCase(label, "unicode");
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
    if (startsWithIgnoringCase(bytes, pos, "!--")) {
      const size_t close = bytes.find("-->", pos + 3);
      if (close == std::string_view::npos) break;
      pos = close + 3;
      continue;
    }
    if (startsWithIgnoringCase(bytes, pos, "body")) break;
    if (!startsWithIgnoringCase(bytes, pos, "meta") || pos + 4 >= size || !isSpace(bytes[pos + 4]))
      continue;
    std::string_view equiv, name, content, charset;
    pos = readAttributes(bytes, pos + 4, [&](std::string_view n, std::string_view v) {
      if (equalsIgnoringCase(n, "http-equiv") && equiv.empty()) equiv = v;
      else if (equalsIgnoringCase(n, "name") && name.empty()) name = v;
      else if (equalsIgnoringCase(n, "content") && content.empty()) content = v;
      else if (equalsIgnoringCase(n, "charset") && charset.empty()) charset = trimmed(v);
    });
    if (httpEquiv.empty() && equalsIgnoringCase(trimmed(equiv), "content-type"))
      httpEquiv = charsetParameter(content);
    if (httpEquiv.empty() && !charset.empty()) httpEquiv = charset;  // <meta charset="...">
    if (nccCharset.empty() && equalsIgnoringCase(trimmed(name), "ncc:charset"))
      nccCharset = trimmed(content);
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
