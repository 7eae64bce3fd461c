#include "platform/files/Charsets.h"

#include <gtest/gtest.h>

namespace lyn {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(Charsets, ValidUtf8IsRecognised) {
  EXPECT_TRUE(fncIsValidUtf8(""));
  EXPECT_TRUE(fncIsValidUtf8("plain ASCII text that is longer than one block of eight"));
  EXPECT_TRUE(fncIsValidUtf8("caf\xC3\xA9 \xE2\x80\x9Cquoted\xE2\x80\x9D"));
  EXPECT_FALSE(fncIsValidUtf8("caf\xE9"));
  EXPECT_FALSE(fncIsValidUtf8("12345678\xE2\x80"));  // cut off after a whole ASCII block
}

TEST(Charsets, RepairReplacesEachMalformedPartOnce) {
  EXPECT_EQ(fncRepairUtf8("a\xFF" "b"), "a" + kReplacement + "b");
  EXPECT_EQ(fncRepairUtf8("end\xE2\x82"), "end" + kReplacement);          // one, not two
  EXPECT_EQ(fncRepairUtf8("\xF0\x9F\x98x"), kReplacement + "x");
  EXPECT_EQ(fncRepairUtf8("\xC0\xAF"), kReplacement + kReplacement);      // overlong: two parts
  EXPECT_EQ(fncRepairUtf8("ok \xC3\xA4"), "ok \xC3\xA4");
}

TEST(Charsets, Latin1LabelsReadWindows1252) {
  // Raw Latin-1 letters, and the curly quotes that books labelled Latin-1 really contain.
  const auto text = fncConvertToUtf8("Caf\xE9 \x93Zo\xEB\x94", "ISO-8859-1");
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, "Caf\xC3\xA9 \xE2\x80\x9CZo\xC3\xAB\xE2\x80\x9D");
  EXPECT_EQ(fncConvertToUtf8("\xE9", " latin1 "), "\xC3\xA9");
  EXPECT_EQ(fncConvertToUtf8("\x80", "us-ascii"), "\xE2\x82\xAC");
}

TEST(Charsets, BytesWithoutMeaningBecomeReplacementCharacters) {
  // 0x81 is unassigned in windows-1252; decoding goes on after it.
  EXPECT_EQ(fncConvertToUtf8("a\x81" "b", "windows-1252"), "a" + kReplacement + "b");
  EXPECT_EQ(fncConvertToUtf8("a\xFF" "b", "UTF-8"), "a" + kReplacement + "b");
}

TEST(Charsets, OtherCharsetsGoThroughIconv) {
  EXPECT_EQ(fncConvertToUtf8("\xB3\xF3" "d\xBC", "ISO-8859-2"), "\xC5\x82\xC3\xB3" "d\xC5\xBA");
  EXPECT_EQ(fncConvertToUtf8(std::string("h\0i\0", 4), "UTF-16LE"), "hi");
  // A lone surrogate is one bad unit: the text after it stays aligned.
  EXPECT_EQ(fncConvertToUtf8(std::string("a\0\x00\xD8" "b\0", 6), "UTF-16LE"),
            "a" + kReplacement + "b");
  EXPECT_EQ(fncConvertToUtf8(std::string("x\0\x3D", 3), "UTF-16LE"), "x" + kReplacement);
}

TEST(Charsets, UnknownCharsetGivesNothing) {
  EXPECT_FALSE(fncConvertToUtf8("abc", "x-no-such-charset"));
  EXPECT_FALSE(fncConvertToUtf8("abc", ""));
}

TEST(Charsets, UndeclaredTextIsUtf8WhenValidElseWindows1252) {
  EXPECT_EQ(fncDecodeUndeclared("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(fncDecodeUndeclared("\x93Hi\x94 caf\xE9"),
            "\xE2\x80\x9CHi\xE2\x80\x9D caf\xC3\xA9");
}

}  // namespace
}  // namespace lyn
