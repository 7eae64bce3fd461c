#include "platform/view/CssActiveRule.h"

#include <gtest/gtest.h>

namespace lyn {
namespace {

TEST(ActiveRuleColours, TakesColourAndBackgroundOfTheActiveLinkRule) {
  const auto colours = fncActiveRuleColours(
      "body { color: white; background-color: black }\n"
      "a:active { color: black; background-color: yellow; }\n");
  ASSERT_TRUE(colours);
  EXPECT_EQ(colours->sColour, "black");
  EXPECT_EQ(colours->sBackground, "yellow");
}

TEST(ActiveRuleColours, NothingWithoutSuchARule) {
  EXPECT_FALSE(fncActiveRuleColours(""));
  EXPECT_FALSE(fncActiveRuleColours("a:hover { color: red } a { color: blue }"));
  EXPECT_FALSE(fncActiveRuleColours("/* a:active { color: red } */ p { color: blue }"));
}

TEST(ActiveRuleColours, MatchesAmongSeveralSelectorsIgnoringCaseAndBlanks) {
  const auto colours = fncActiveRuleColours("A:Active , a:focus{COLOR:#ff0;Background-Color:#000}");
  ASSERT_TRUE(colours);
  EXPECT_EQ(colours->sColour, "#ff0");
  EXPECT_EQ(colours->sBackground, "#000");
}

TEST(ActiveRuleColours, ALaterRuleReplacesAnEarlierOne) {
  const auto colours = fncActiveRuleColours(
      "a:active { color: red; background-color: white } a:active { color: green }");
  ASSERT_TRUE(colours);
  EXPECT_EQ(colours->sColour, "green");
  EXPECT_EQ(colours->sBackground, "");
}

TEST(ActiveRuleColours, ReadsAOneWordBackgroundAndDropsImportance) {
  const auto colours =
      fncActiveRuleColours("a:active { background: navy; color: white !important }");
  ASSERT_TRUE(colours);
  EXPECT_EQ(colours->sBackground, "navy");
  EXPECT_EQ(colours->sColour, "white");
  const auto shorthand = fncActiveRuleColours("a:active { background: url(x.png) red }");
  ASSERT_TRUE(shorthand);
  EXPECT_EQ(shorthand->sBackground, "");
}

TEST(ActiveRuleColours, SkipsAtRulesAndStatements) {
  const auto colours = fncActiveRuleColours(
      "@import url(base.css);\n"
      "@media print { a:active { color: gray } }\n"
      "a:active { color: yellow }");
  ASSERT_TRUE(colours);
  EXPECT_EQ(colours->sColour, "yellow");
}

TEST(ActiveRuleColours, BrokenSheetsEndWithoutHarm) {
  // A block left open at the end is closed there, as CSS does.
  ASSERT_TRUE(fncActiveRuleColours("a:active { color: red"));
  EXPECT_EQ(fncActiveRuleColours("a:active { color: red")->sColour, "red");
  EXPECT_FALSE(fncActiveRuleColours("}}}{{{"));
  EXPECT_FALSE(fncActiveRuleColours("/* unterminated a:active { color: red }"));
  const auto colours = fncActiveRuleColours("a:active { color: ; : red; background-color:blue; ;}");
  ASSERT_TRUE(colours);
  EXPECT_EQ(colours->sColour, "");
  EXPECT_EQ(colours->sBackground, "blue");
}

}  // namespace
}  // namespace lyn
