// The style sheets the player ships: F7 and F8 cycle through them, so each must form a pair and
// give the highlight its colours.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/view/CssActiveRule.h"
#include "shell/cStyleSheets.h"

namespace lyn {
namespace {

const std::string kDataFolder = std::string(LYN_TEST_SOURCE_DIR) + "/../data/";

std::string fncRead(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ShippedStyleSheets, FormAtLeastThreePairs) {
  cStyleSheets sheets;
  sheets.subDiscover(kDataFolder, kDataFolder + "sttxt003.css");
  ASSERT_GE(sheets.fncStyleCount(), 3);
  EXPECT_EQ(sheets.fncTextSheet(1), kDataFolder + "sttxt001.css");
  EXPECT_EQ(sheets.fncNccSheet(2), kDataFolder + "stncc002.css");
  EXPECT_EQ(sheets.fncCurrentStyle(), 3);
}

TEST(ShippedStyleSheets, EverySheetGivesTheHighlightItsColours) {
  cStyleSheets sheets;
  sheets.subDiscover(kDataFolder, "");
  for (int32_t style = 1; style <= sheets.fncStyleCount(); ++style) {
    for (const std::string& path : {sheets.fncTextSheet(style), sheets.fncNccSheet(style)}) {
      const auto colours = fncActiveRuleColours(fncRead(path));
      ASSERT_TRUE(colours) << path;
      EXPECT_FALSE(colours->sColour.empty()) << path;
      EXPECT_FALSE(colours->sBackground.empty()) << path;
    }
  }
}

TEST(ShippedStyleSheets, HighContrastIsYellowOnBlack) {
  for (const char* name : {"sttxt003.css", "stncc003.css"}) {
    const std::string css = fncRead(kDataFolder + name);
    EXPECT_NE(css.find("body { color: #ffff00; background-color: #000000;"), std::string::npos) << name;
    const auto colours = fncActiveRuleColours(css);
    ASSERT_TRUE(colours);
    EXPECT_EQ(colours->sColour, "#000000");
    EXPECT_EQ(colours->sBackground, "#ffff00");
  }
}

}  // namespace
}  // namespace lyn
