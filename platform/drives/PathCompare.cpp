#include "platform/drives/PathCompare.h"

#include "platform/files/TextCase.h"

namespace lyn {

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
    if (ignoreCase ? !fncEqualsIgnoringAsciiCase(a, b) : a != b) return false;
  }
}

}  // namespace lyn
