#include "shell/cStyleSheets.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/files/TextCase.h"

namespace lyn {

namespace {

const std::string kNone;

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
    if (!fncStartsWithIgnoringAsciiCase(name, "sttxt") || !fncEndsWithIgnoringAsciiCase(name, ".css"))
      continue;
    if (name.size() != 5 + 3 + 4) continue;
    const std::string id = name.substr(5, 3);
    // The NCC sheet is found in any case, like every other file the player opens.
    const std::string wanted = "stncc" + fncAsciiLower(id) + ".css";
    auto ncc = std::find_if(names.begin(), names.end(),
                            [&](const std::string& other) { return fncAsciiLower(other) == wanted; });
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
