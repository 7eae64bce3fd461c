// The prompt file record on disk: layout, damaged and hostile files, long and foreign texts.

#include <gtest/gtest.h>

#include <cstring>

#include "prompts/PromptFileHeader.h"

namespace lyn {
namespace {

PromptFileHeader fncSample() {
  PromptFileHeader h;
  h.sAudioFile = "prompts.mp3";
  h.sLanguage = "English";
  h.sDescription = "test";
  h.sFormatVersion = "1.1";
  h.sVersion = "1.3";
  h.sSecondText = "none";
  h.lLastEntry = 1;
  h.entries = {{"gen_on", "On", 1.25, 1.75}, {"cap_help", "Hilfe \u00fc \u4e2d", 2.0, 2.5}};
  h.sFont = "Noto Sans";
  h.bolRightToLeft = true;
  h.lFontSize = 9;
  return h;
}

std::string fncString(const char* s) {
  std::string out;
  const size_t n = std::strlen(s);
  out += char(n & 0xFF);
  out += char(n >> 8);
  return out + s;
}

TEST(PromptFile, KeepsEveryFieldThroughAWriteAndARead) {
  const PromptFileHeader h = fncSample();
  PromptFileHeader back;
  ASSERT_EQ(fncDecodePromptFile(fncEncodePromptFile(h), back), enPromptFileResult::ok);
  EXPECT_EQ(back.sAudioFile, "prompts.mp3");
  EXPECT_EQ(back.sVersion, "1.3");
  EXPECT_EQ(back.lLastEntry, 1);
  ASSERT_EQ(back.entries.size(), 2u);
  EXPECT_EQ(back.entries[1].sText, "Hilfe \u00fc \u4e2d");
  EXPECT_DOUBLE_EQ(back.entries[0].dClipBegin, 1.25);
  EXPECT_DOUBLE_EQ(back.entries[1].dClipEnd, 2.5);
  EXPECT_EQ(back.sFont, "Noto Sans");
  EXPECT_TRUE(back.bolRightToLeft);
  EXPECT_EQ(back.lFontSize, 9);
}

TEST(PromptFile, IsWrittenInTheDocumentedLayout) {
  PromptFileHeader h;
  h.sAudioFile = "a";
  h.lLastEntry = 0;
  h.entries = {{"k", "t", 1.0, 2.0}};
  h.bolRightToLeft = true;
  const std::string bytes = fncEncodePromptFile(h);
  std::string expected = fncString("a") + fncString("") + fncString("") + fncString("") +
                         fncString("") + fncString("");
  expected += std::string("\0\0\0\0", 4);                            // last entry 0
  expected += std::string("\1\0", 2);                                // one dimension
  expected += std::string("\1\0\0\0", 4) + std::string("\0\0\0\0", 4);  // 1 entry from 0
  expected += fncString("k") + fncString("t");
  expected += std::string("\0\0\0\0\0\0\xf0\x3f", 8);  // 1.0
  expected += std::string("\0\0\0\0\0\0\0\x40", 8);    // 2.0
  expected += fncString("") + std::string("\xff\xff", 2) + std::string("\0\0\0\0", 4);
  EXPECT_EQ(bytes, expected);
}

TEST(PromptFile, EndingAfterTheEntriesGivesNoFontNoRightToLeftAndSizeZero) {
  PromptFileHeader h = fncSample();
  std::string bytes = fncEncodePromptFile(h);
  bytes.resize(bytes.size() - (2 + h.sFont.size() + 2 + 4));
  PromptFileHeader back;
  ASSERT_EQ(fncDecodePromptFile(bytes, back), enPromptFileResult::ok);
  EXPECT_EQ(back.sFont, "");
  EXPECT_FALSE(back.bolRightToLeft);
  EXPECT_EQ(back.lFontSize, 0);
  EXPECT_EQ(back.entries.size(), 2u);
}

TEST(PromptFile, EveryTruncationIsDamagedExceptTheEndOfTheEntries) {
  const PromptFileHeader h = fncSample();
  const std::string bytes = fncEncodePromptFile(h);
  const size_t afterEntries = bytes.size() - (2 + h.sFont.size() + 2 + 4);
  for (size_t n = 0; n < bytes.size(); ++n) {
    PromptFileHeader back;
    back.sLanguage = "untouched";
    const auto result = fncDecodePromptFile(std::string_view(bytes).substr(0, n), back);
    if (n == afterEntries) {
      EXPECT_EQ(result, enPromptFileResult::ok);
    } else {
      EXPECT_EQ(result, enPromptFileResult::damaged) << "cut at " << n;
      EXPECT_EQ(back.sLanguage, "untouched");
    }
  }
}

TEST(PromptFile, AnEntryCountBeyondTheFileIsDamagedWithoutAllocatingIt) {
  PromptFileHeader h = fncSample();
  std::string bytes = fncEncodePromptFile(h);
  // The element count follows the six strings, the last index and the dimension count.
  size_t at = 0;
  for (int i = 0; i < 6; ++i) at += 2 + size_t(uint8_t(bytes[at])) + (size_t(uint8_t(bytes[at + 1])) << 8);
  at += 4 + 2;
  for (int32_t count : {3, 1000000, 0x7FFFFFFF, -1}) {
    std::memcpy(&bytes[at], &count, 4);
    PromptFileHeader back;
    EXPECT_EQ(fncDecodePromptFile(bytes, back), enPromptFileResult::damaged) << count;
  }
}

TEST(PromptFile, ANegativeStringLengthOrAnotherShapeOfArrayIsDamaged) {
  std::string bytes = fncEncodePromptFile(fncSample());
  std::string negative = bytes;
  negative[0] = '\xff';
  negative[1] = '\xff';
  PromptFileHeader back;
  EXPECT_EQ(fncDecodePromptFile(negative, back), enPromptFileResult::damaged);

  PromptFileHeader one;
  one.lLastEntry = 0;
  std::string twoDimensions = fncEncodePromptFile(one);
  twoDimensions[12 + 4] = 2;  // six empty strings, the last index, then the dimension count
  EXPECT_EQ(fncDecodePromptFile(twoDimensions, back), enPromptFileResult::damaged);
  EXPECT_EQ(fncDecodePromptFile("", back), enPromptFileResult::damaged);
}

TEST(PromptFile, AVeryLongTextIsCutBetweenCharacters) {
  PromptFileHeader h;
  std::string text;
  while (text.size() < 40000) text += "\u00e5\u4e2d";  // two and three bytes
  h.entries = {{"k", text, 0, 0}};
  h.lLastEntry = 0;
  PromptFileHeader back;
  ASSERT_EQ(fncDecodePromptFile(fncEncodePromptFile(h), back), enPromptFileResult::ok);
  const std::string& cut = back.entries[0].sText;
  EXPECT_LE(cut.size(), 32767u);
  EXPECT_GT(cut.size(), 32760u);
  EXPECT_EQ(text.compare(0, cut.size(), cut), 0);
  EXPECT_NE((uint8_t(text[cut.size()]) & 0xC0), 0x80u) << "cut inside a character";
}

TEST(PromptFile, TextsThatAreNotUtf8AreReadAsLatin1) {
  PromptFileHeader h;
  h.lLastEntry = 0;
  h.entries = {{"k", "x", 0, 0}};
  std::string bytes = fncEncodePromptFile(h);
  const size_t found = bytes.find(std::string("\1\0x", 3));  // the text "x" of the entry
  ASSERT_NE(found, std::string::npos);
  const size_t at = found + 2;
  bytes[at] = '\xe5';  // å in a single-byte code page
  PromptFileHeader back;
  ASSERT_EQ(fncDecodePromptFile(bytes, back), enPromptFileResult::ok);
  EXPECT_EQ(back.entries[0].sText, "\u00e5");
}

TEST(PromptFile, TheDefaultRecordHoldsTheFortyThreeEntries) {
  const PromptFileHeader h = fncDefaultPromptFileHeader();
  ASSERT_EQ(h.entries.size(), 43u);
  EXPECT_EQ(h.lLastEntry, 42);
  EXPECT_EQ(h.sLanguage, "English");
  EXPECT_EQ(h.sDescription, "Promptfile generated by LYN Reader V1.1");
  EXPECT_EQ(h.sFormatVersion, "1.1");
  EXPECT_EQ(h.sVersion, "none");
  EXPECT_EQ(h.sAudioFile, "");
  EXPECT_EQ(h.entries.front().sKey, "CONFIRMATION");
  EXPECT_EQ(h.entries.front().sText, "Press [enter] to confirm.");
  EXPECT_EQ(h.entries[26].sKey, "TITLE");
  EXPECT_EQ(h.entries.back().sKey, "CURRENTDISC");
  for (const PromptEntry& e : h.entries) {
    EXPECT_EQ(e.dClipBegin, 0);
    EXPECT_EQ(e.dClipEnd, 0);
  }
}

}  // namespace
}  // namespace lyn
