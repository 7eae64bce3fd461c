#include "platform/files/TextCase.h"

#include <gtest/gtest.h>

namespace lyn {
namespace {

TEST(TextCase, NamesOfAnyCaseAreEqual) {
  EXPECT_TRUE(fncEqualsIgnoringCase("CHAP01.SMIL", "chap01.smil"));
  EXPECT_TRUE(fncEqualsIgnoringCase("ncc:setInfo", "NCC:SETINFO"));
  EXPECT_FALSE(fncEqualsIgnoringCase("chap01.smil", "chap01.smi"));
  EXPECT_FALSE(fncEqualsIgnoringCase("a", "b"));
  EXPECT_TRUE(fncEqualsIgnoringCase("", ""));
}

TEST(TextCase, LettersBeyondAsciiFoldToo) {
  EXPECT_TRUE(fncEqualsIgnoringCase("KAPITEL_ÄÖÜ.smil", "kapitel_äöü.SMIL"));
  EXPECT_TRUE(fncEqualsIgnoringCase("Ÿ", "ÿ"));              // capital outside Latin-1
  EXPECT_TRUE(fncEqualsIgnoringCase("ŁÓDŹ", "łódź"));         // Latin Extended-A
  EXPECT_TRUE(fncEqualsIgnoringCase("ΚΕΦΆΛΑΙΟ", "κεφάλαιο"));  // Greek with tonos
  EXPECT_TRUE(fncEqualsIgnoringCase("ГЛАВА Ё", "глава ё"));   // Cyrillic
  EXPECT_FALSE(fncEqualsIgnoringCase("×", "÷"));  // signs, not letters
  EXPECT_EQ(fncFoldCase("Ĳ Ĺ Ž"), "ĳ ĺ ž");
}

TEST(TextCase, MalformedBytesMatchOnlyThemselves) {
  EXPECT_TRUE(fncEqualsIgnoringCase("a\xFF", "A\xFF"));
  EXPECT_FALSE(fncEqualsIgnoringCase("a\xFF", "a\xFE"));
  EXPECT_FALSE(fncEqualsIgnoringCase("\xC3", "\xC3\xA4"));  // cut-off sequence
  EXPECT_EQ(fncFoldCase("X\xC3"), "x\xC3");
}

TEST(TextCase, TheAsciiFormsFoldOnlyAToZ) {
  EXPECT_TRUE(fncEqualsIgnoringAsciiCase("Software\\LYN_Reader", "software\\lyn_reader"));
  EXPECT_FALSE(fncEqualsIgnoringAsciiCase("ÄRGER", "ärger"));  // the Unicode form says equal
  EXPECT_TRUE(fncEqualsIgnoringUnicodeCase("ÄRGER", "ärger"));
  EXPECT_FALSE(fncEqualsIgnoringAsciiCase("ab", "abc"));
  EXPECT_EQ(fncAsciiLower("NCC.HTML \xC3\x84"), "ncc.html \xC3\x84");
  EXPECT_TRUE(fncStartsWithIgnoringAsciiCase("Content-Type: x", "content-type"));
  EXPECT_FALSE(fncStartsWithIgnoringAsciiCase("Con", "content"));
  EXPECT_TRUE(fncEndsWithIgnoringAsciiCase("STTXT001.CSS", ".css"));
  EXPECT_FALSE(fncEndsWithIgnoringAsciiCase("css", ".css"));
}

TEST(TextCase, TrimmingAndNormalisingWhiteSpace) {
  EXPECT_EQ(fncTrimAsciiSpace(" \t\r\n\f\vword here\r\n "), "word here");
  EXPECT_EQ(fncTrimAsciiSpace(" \t "), "");
  EXPECT_EQ(fncTrimAsciiSpace("\xC2\xA0x"), "\xC2\xA0x");  // a no-break space is text
  EXPECT_EQ(fncNormaliseWhiteSpace("  Chapter\r\n   one  "), "Chapter one");
  EXPECT_EQ(fncNormaliseWhiteSpace("a\r\nb"), "ab");
  EXPECT_EQ(fncNormaliseWhiteSpace("   "), "");
  EXPECT_EQ(fncNormaliseWhiteSpace("tab\tkept"), "tab\tkept");
}

TEST(TextCase, DecodingRejectsEveryMalformedForm) {
  char32_t cp = 0;
  EXPECT_EQ(fncDecodeUtf8("\xE2\x80\x9C", 0, cp), 3u);
  EXPECT_EQ(cp, U'\u201C');
  EXPECT_EQ(fncDecodeUtf8("\xF0\x9F\x93\x96", 0, cp), 4u);
  EXPECT_EQ(cp, U'\U0001F4D6');
  EXPECT_EQ(fncDecodeUtf8("\xC0\x80", 0, cp), 0u);          // overlong NUL
  EXPECT_EQ(fncDecodeUtf8("\xE0\x80\xAF", 0, cp), 0u);      // overlong "/"
  EXPECT_EQ(fncDecodeUtf8("\xED\xA0\x80", 0, cp), 0u);      // surrogate
  EXPECT_EQ(fncDecodeUtf8("\xF4\x90\x80\x80", 0, cp), 0u);  // past U+10FFFF
  EXPECT_EQ(fncDecodeUtf8("\x80", 0, cp), 0u);              // stray continuation
  EXPECT_EQ(fncDecodeUtf8("\xE2\x80", 0, cp), 0u);          // cut off by the end
  EXPECT_EQ(fncDecodeUtf8("x\xE2", 1, cp), 0u);
}

}  // namespace
}  // namespace lyn
