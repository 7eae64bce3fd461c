#include "shell/cStyleSheets.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace lyn {

namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         startsWithIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

const std::string kNone;

std::string lowered(std::string text) {
  for (auto& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

void cStyleSheets::subDiscover(const std::string& programFolder, std::string_view savedStyleSheet) {
  mTextSheets.assign(1, "");
  mNccSheets.assign(1, "");
  mCurrentStyle = 0;

  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(programFolder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (it->is_regular_file(ec)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());

  for (const auto& name : names) {
    if (!startsWithIgnoringCase(name, "sttxt") || !endsWithIgnoringCase(name, ".css")) continue;
    if (name.size() != 5 + 3 + 4) continue;
    const std::string id = name.substr(5, 3);
    // The NCC sheet is found in any case, like every other file the player opens.
    const std::string wanted = "stncc" + lowered(id) + ".css";
    auto ncc = std::find_if(names.begin(), names.end(),
                            [&](const std::string& other) { return lowered(other) == wanted; });
    if (ncc == names.end()) continue;
    mTextSheets.push_back(programFolder + name);
    mNccSheets.push_back(programFolder + *ncc);
    if (mTextSheets.back() == savedStyleSheet) mCurrentStyle = fncStyleCount();
  }
}

void cStyleSheets::subSetCurrentStyle(int32_t style) {
  mCurrentStyle = (style >= 0 && style <= fncStyleCount()) ? style : 0;
}

const std::string& cStyleSheets::fncTextSheet(int32_t index) const {
  return (index > 0 && index <= fncStyleCount()) ? mTextSheets[static_cast<size_t>(index)] : kNone;
}

const std::string& cStyleSheets::fncNccSheet(int32_t index) const {
  return (index > 0 && index <= fncStyleCount()) ? mNccSheets[static_cast<size_t>(index)] : kNone;
}

}  // namespace lyn
