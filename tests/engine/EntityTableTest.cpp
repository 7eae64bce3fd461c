#include <gtest/gtest.h>

#include "engine/cEntityTable.h"

namespace lyn {
namespace {

std::string replaced(std::string text) {
  cEntityTable table;
  return table.fncReplace(text);
}

TEST(EntityTable, HasSixtyFourEntriesInTheirComparisonOrder) {
  cEntityTable table;
  ASSERT_EQ(table.fncEntries().size(), 64u);
  EXPECT_EQ(table.fncEntries().front().sReference, "&ARING;");
  EXPECT_EQ(table.fncEntries().back().sReference, "&YUML;");
}

TEST(EntityTable, CapitalAndSmallReferencesGiveCapitalAndSmallLetters) {
  EXPECT_EQ(replaced("&ARING;ngstr&ouml;m"), "Ångström");
  EXPECT_EQ(replaced("&Aring; &aring; &eacute; &Eacute;"), "Å å é É");
  EXPECT_EQ(replaced("&THORN;&thorn;&ETH;&eth;"), "ÞþÐð");
}

TEST(EntityTable, SymbolsKeepTheirFormWhateverTheCase) {
  EXPECT_EQ(replaced("&pound;&POUND;&frac12;&times;&divide;&szlig;&yuml;"), "££½×÷ßÿ");
  EXPECT_EQ(replaced("&copy; &reg; &deg; &micro;"), "© ® ° µ");
}

TEST(EntityTable, SoftHyphenBecomesAComma) { EXPECT_EQ(replaced("one&shy;two"), "one,two"); }

TEST(EntityTable, ReferencesOutsideTheTableStayAsWritten) {
  EXPECT_EQ(replaced("Tom &amp; Jerry &lt;3 &nbsp; &frac34; &#229; &#xE5;"),
            "Tom &amp; Jerry &lt;3 &nbsp; &frac34; &#229; &#xE5;");
  EXPECT_EQ(replaced("&"), "&");
  EXPECT_EQ(replaced("&aring"), "&aring");
  EXPECT_EQ(replaced("a && b"), "a && b");
}

TEST(EntityTable, ReplacesEveryReferenceInTurn) {
  EXPECT_EQ(replaced("&auml;&auml;&&ouml;"), "ää&ö");
}

}  // namespace
}  // namespace lyn
