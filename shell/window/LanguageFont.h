#pragma once
// The East Asian fonts of the window: the user's locale picks one of four locale identifiers,
// and each of those a face (the one the player always asked for first, then the matching Noto
// Sans CJK family that Linux desktops carry) at 9 points. Every other locale keeps the desktop's
// font.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lyn {

// 2052 (Chinese, PRC), 1028 (Chinese, Taiwan), 1041 (Japanese), 1042 (Korean); 0 for any other.
// `isLocale` is a locale name as the desktop gives it: "zh_CN", "zh-Hant-TW", "ja_JP.UTF-8",
// "ko". Chinese in the traditional script or of Taiwan, Hong Kong or Macau counts as 1028.
int32_t fncLocaleIdentifier(std::string_view isLocale);

struct cLanguageFont {
  std::string sFace;          // UTF-8
  std::string sFallbackFace;  // the Noto Sans CJK family
  int32_t lPointSize = 9;
};

std::optional<cLanguageFont> fncLanguageFont(int32_t ilLocaleIdentifier);

}  // namespace lyn
