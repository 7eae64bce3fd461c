#include <gtest/gtest.h>

#include "disk/mdlDiskModule.h"

namespace lyn {
namespace {

TEST(SafeFileName, KeepsDigitsAndCapitalsAndTurnsEveryOtherCharacterIntoALetterByItsCode) {
  EXPECT_EQ(mdlDiskModule::fncSafeFileName("My Book: 2"), "MYgBOOKgg2");
  EXPECT_EQ(mdlDiskModule::fncSafeFileName("abcXYZ019"), "ABCXYZ019");
  EXPECT_EQ(mdlDiskModule::fncSafeFileName("a/b\\c.d"), "AvBoCuD");
  EXPECT_EQ(mdlDiskModule::fncSafeFileName(""), "");
}

TEST(SafeFileName, TextLongerThanFortyCharactersIsCutBeforeTheReplacement) {
  std::string text(39, 'x');
  text += ": and more";
  std::string name = mdlDiskModule::fncSafeFileName(text);
  EXPECT_EQ(name, std::string(39, 'X') + "g");
  // Forty characters are forty code points, however many bytes they take.
  std::string accented;
  for (int i = 0; i < 45; ++i) accented += "\xC3\xA9";  // e acute
  EXPECT_EQ(mdlDiskModule::fncSafeFileName(accented), std::string(40, 't'));
}

TEST(SafeFileName, LettersOfTheWesternCodePageAreUpperCasedBeforeTheirCodeIsTaken) {
  // e acute becomes E acute, 201: 'a' + 201 % 26 = 't'; without upper-casing it would be 'n'.
  EXPECT_EQ(mdlDiskModule::fncSafeFileName("\xC3\xA9"), "t");
  // y with diaeresis becomes U+0178 (376 % 26 = 12).
  EXPECT_EQ(mdlDiskModule::fncSafeFileName("\xC3\xBF"), "m");
  // The division sign is no letter: 247 % 26 = 13.
  EXPECT_EQ(mdlDiskModule::fncSafeFileName("\xC3\xB7"), "n");
  // Sharp s has no capital: 223 % 26 = 15.
  EXPECT_EQ(mdlDiskModule::fncSafeFileName("\xC3\x9F"), "p");
  // Greek is not upper-cased: alpha 945 % 26 = 9.
  EXPECT_EQ(mdlDiskModule::fncSafeFileName("\xCE\xB1"), "j");
}

TEST(SafeFileName, ACharacterIsOneCodePointAndBytesThatAreNotUtf8CountAsLatin1) {
  // U+1F600 is one character: 128512 % 26 = 20.
  EXPECT_EQ(mdlDiskModule::fncSafeFileName("\xF0\x9F\x98\x80"), "u");
  // A lone 0xE9 is e acute of Latin-1.
  EXPECT_EQ(mdlDiskModule::fncSafeFileName("\xE9"), "t");
  // A truncated sequence and an overlong "/" are bytes of their own.
  EXPECT_EQ(mdlDiskModule::fncSafeFileName("\xE2\x82"), "ma");
  EXPECT_EQ(mdlDiskModule::fncSafeFileName("\xC0\xAF"), "kt");
}

}  // namespace
}  // namespace lyn
