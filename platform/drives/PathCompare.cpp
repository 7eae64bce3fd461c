#include "platform/drives/PathCompare.h"

namespace lyn {

char fncLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool fncbEqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (fncLowerAscii(a[i]) != fncLowerAscii(b[i])) return false;
  return true;
}

bool fncbStartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && fncbEqualIgnoringCase(text.substr(0, prefix.size()), prefix);
}

namespace {

// The next component of `path` from `pos` on, skipping separators; empty at the end.
std::string_view nextComponent(std::string_view path, size_t& pos) {
  while (pos < path.size() && path[pos] == '/') ++pos;
  size_t start = pos;
  while (pos < path.size() && path[pos] != '/') ++pos;
  return path.substr(start, pos - start);
}

}  // namespace

bool fncbPathHolds(std::string_view folder, std::string_view path, bool ignoreCase) {
  if (folder.empty() || path.empty()) return false;
  if ((folder.front() == '/') != (path.front() == '/')) return false;
  size_t f = 0;
  size_t p = 0;
  for (;;) {
    std::string_view a = nextComponent(folder, f);
    if (a.empty()) return true;
    std::string_view b = nextComponent(path, p);
    if (ignoreCase ? !fncbEqualIgnoringCase(a, b) : a != b) return false;
  }
}

}  // namespace lyn
