#include "shell/window/LanguageFont.h"

#include <string>

#include "platform/files/TextCase.h"

namespace lyn {

namespace {

bool hasPart(const std::string& locale, std::string_view part) {
  // Parts are separated by "_", "-", "." or "@".
  size_t start = 0;
  while (start <= locale.size()) {
    size_t end = locale.find_first_of("_-.@", start);
    if (end == std::string::npos) end = locale.size();
    if (std::string_view(locale).substr(start, end - start) == part) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

int32_t fncLocaleIdentifier(std::string_view isLocale) {
  const std::string locale = fncAsciiLower(isLocale);
  const std::string language = locale.substr(0, locale.find_first_of("_-.@"));
  if (language == "ja") return 1041;
  if (language == "ko") return 1042;
  if (language == "zh") {
    const bool traditional = hasPart(locale, "hant") || hasPart(locale, "tw") ||
                             hasPart(locale, "hk") || hasPart(locale, "mo");
    return traditional ? 1028 : 2052;
  }
  return 0;
}

std::optional<cLanguageFont> fncLanguageFont(int32_t ilLocaleIdentifier) {
  switch (ilLocaleIdentifier) {
    case 2052: return cLanguageFont{"\u5B8B\u4F53", "Noto Sans CJK SC", 9};
    case 1028: return cLanguageFont{"\u65B0\u7D30\u660E\u9AD4", "Noto Sans CJK TC", 9};
    case 1041:
      return cLanguageFont{"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF", "Noto Sans CJK JP", 9};
    case 1042: return cLanguageFont{"\uAD74\uB9BC", "Noto Sans CJK KR", 9};
    default: return std::nullopt;
  }
}

}  // namespace lyn
