#include "tools/cPromptTable.h"

#include <algorithm>
#include <set>
#include <sstream>

#include "platform/storage/cAtomicFile.h"

namespace lyn::tools {

namespace {

std::string fncLower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return s;
}

std::vector<std::string> fncSplitTabs(const std::string& line) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t tab = line.find('\t', start);
    parts.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return parts;
}

}  // namespace

bool cPromptTable::fncbRead(const std::filesystem::path& path, std::string& error) {
  std::string contents;
  if (!fncReadWholeFile(path, contents)) {
    error = path.string() + ": cannot be read";
    return false;
  }
  if (!fncbParse(contents, error)) {
    error = path.string() + ":" + error;
    return false;
  }
  return true;
}

bool cPromptTable::fncbParse(const std::string& contents, std::string& error) {
  rows.clear();
  std::set<std::string> seen;
  std::istringstream in(contents);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const auto parts = fncSplitTabs(line);
    auto fail = [&](const std::string& why) {
      error = std::to_string(number) + ": " + why;
      return false;
    };
    if (parts.size() < 2 || parts.size() > 3) return fail("expected key, tab, text");
    if (line[0] == '!') {
      const std::string& name = parts[0];
      if (name == "!language") sLanguage = parts[1];
      else if (name == "!description") sDescription = parts[1];
      else if (name == "!font") sFont = parts[1];
      else if (name == "!fontsize") lFontSize = std::atoi(parts[1].c_str());
      else if (name == "!rtl") bolRightToLeft = parts[1] == "1" || parts[1] == "true";
      else return fail("unknown setting " + name);
      continue;
    }
    PromptTableRow row;
    row.sKey = parts[0];
    row.sText = parts[1];
    row.sSpoken = parts.size() == 3 && !parts[2].empty() ? parts[2] : parts[1];
    row.lLine = number;
    if (row.sKey.empty() || row.sKey.find(' ') != std::string::npos)
      return fail("bad key \"" + row.sKey + "\"");
    if (!seen.insert(fncLower(row.sKey)).second) return fail("key repeated: " + row.sKey);
    rows.push_back(std::move(row));
  }
  return true;
}

const PromptTableRow* cPromptTable::fncFind(const std::string& key) const {
  const std::string wanted = fncLower(key);
  for (const PromptTableRow& row : rows)
    if (fncLower(row.sKey) == wanted) return &row;
  return nullptr;
}

}  // namespace lyn::tools
