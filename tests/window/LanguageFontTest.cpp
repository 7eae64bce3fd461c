#include "shell/window/LanguageFont.h"

#include <gtest/gtest.h>

namespace lyn {
namespace {

TEST(LanguageFont, TheFourEastAsianLocalesGetTheirIdentifiers) {
  EXPECT_EQ(fncLocaleIdentifier("zh_CN"), 2052);
  EXPECT_EQ(fncLocaleIdentifier("zh_CN.UTF-8"), 2052);
  EXPECT_EQ(fncLocaleIdentifier("zh-Hans-SG"), 2052);
  EXPECT_EQ(fncLocaleIdentifier("zh_TW"), 1028);
  EXPECT_EQ(fncLocaleIdentifier("zh-Hant-HK"), 1028);
  EXPECT_EQ(fncLocaleIdentifier("zh_HK.UTF-8"), 1028);
  EXPECT_EQ(fncLocaleIdentifier("ja_JP.UTF-8"), 1041);
  EXPECT_EQ(fncLocaleIdentifier("JA"), 1041);
  EXPECT_EQ(fncLocaleIdentifier("ko_KR"), 1042);
}

TEST(LanguageFont, EveryOtherLocaleKeepsTheDesktopsFont) {
  for (const char* locale : {"en_US", "de_DE.UTF-8", "C", "", "jav_ID", "kok_IN", "zhx"}) {
    EXPECT_EQ(fncLocaleIdentifier(locale), 0) << locale;
  }
  EXPECT_FALSE(fncLanguageFont(0));
  EXPECT_FALSE(fncLanguageFont(1033));
}

TEST(LanguageFont, EachGivesItsFaceFirstThenNotoAtNinePoints) {
  const auto japanese = fncLanguageFont(1041);
  ASSERT_TRUE(japanese);
  EXPECT_EQ(japanese->sFace, "\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF");
  EXPECT_EQ(japanese->sFallbackFace, "Noto Sans CJK JP");
  EXPECT_EQ(japanese->lPointSize, 9);
  EXPECT_EQ(fncLanguageFont(2052)->sFace, "\u5B8B\u4F53");
  EXPECT_EQ(fncLanguageFont(1028)->sFallbackFace, "Noto Sans CJK TC");
  EXPECT_EQ(fncLanguageFont(1042)->sFace, "\uAD74\uB9BC");
}

}  // namespace
}  // namespace lyn
