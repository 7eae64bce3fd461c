#include <gtest/gtest.h>

#include "queue/Variant.h"

namespace lyn {
namespace {

TEST(VariantEquality, EmptyEqualsEmpty) { EXPECT_TRUE(fncVariantEquals(Variant{}, Variant{})); }

TEST(VariantEquality, NumbersCompareByValueAcrossTypes) {
  EXPECT_TRUE(fncVariantEquals(Variant{int32_t{39}}, Variant{39.0}));
  EXPECT_FALSE(fncVariantEquals(Variant{int32_t{39}}, Variant{39.5}));
  EXPECT_FALSE(fncVariantEquals(Variant{int32_t{1}}, Variant{int32_t{2}}));
}

TEST(VariantEquality, StringsCompareByExactText) {
  EXPECT_TRUE(fncVariantEquals(Variant{std::string("userinvoke")}, Variant{std::string("userinvoke")}));
  EXPECT_FALSE(fncVariantEquals(Variant{std::string("userinvoke")}, Variant{std::string("UserInvoke")}));
}

TEST(VariantEquality, AbsentCountsAsZeroFalseOrEmptyText) {
  EXPECT_TRUE(fncVariantEquals(Variant{}, Variant{int32_t{0}}));
  EXPECT_TRUE(fncVariantEquals(Variant{}, Variant{false}));
  EXPECT_TRUE(fncVariantEquals(Variant{}, Variant{std::string()}));
  EXPECT_FALSE(fncVariantEquals(Variant{}, Variant{int32_t{1}}));
  EXPECT_FALSE(fncVariantEquals(Variant{}, Variant{true}));
  EXPECT_FALSE(fncVariantEquals(Variant{std::string("x")}, Variant{}));
}

TEST(VariantEquality, BooleanAgainstNumberUsesZeroAndMinusOne) {
  EXPECT_TRUE(fncVariantEquals(Variant{false}, Variant{int32_t{0}}));
  EXPECT_TRUE(fncVariantEquals(Variant{true}, Variant{int32_t{-1}}));
  EXPECT_FALSE(fncVariantEquals(Variant{true}, Variant{int32_t{1}}));
}

TEST(VariantEquality, TextNeverEqualsANumber) {
  EXPECT_FALSE(fncVariantEquals(Variant{std::string("39")}, Variant{int32_t{39}}));
  EXPECT_FALSE(fncVariantEquals(Variant{std::string("userinvoke")}, Variant{true}));
}

TEST(VariantConversion, ToInt32) {
  EXPECT_EQ(fncVariantToInt32(Variant{}), 0);
  EXPECT_EQ(fncVariantToInt32(Variant{true}), -1);
  EXPECT_EQ(fncVariantToInt32(Variant{2.6}), 3);
  EXPECT_EQ(fncVariantToInt32(Variant{1e12}), INT32_MAX);
  EXPECT_EQ(fncVariantToInt32(Variant{std::string("12")}), 12);
  EXPECT_EQ(fncVariantToInt32(Variant{std::string("x")}, 7), 7);
}

}  // namespace
}  // namespace lyn
