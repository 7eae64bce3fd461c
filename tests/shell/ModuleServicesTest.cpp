#include <gtest/gtest.h>

#include <cstdlib>

#include "shell/ModuleServices.h"

namespace lyn {
namespace {

double parsed(std::string value) { return fncParseClockValue(value); }

TEST(ClockValue, SecondsForm) {
  EXPECT_DOUBLE_EQ(parsed("npt=12.345s"), 12.345);
  EXPECT_DOUBLE_EQ(parsed("npt=5s"), 5);
  EXPECT_DOUBLE_EQ(parsed("npt=0.5s"), 0.5);
  EXPECT_DOUBLE_EQ(parsed("npt=1.05s"), 1.05);
  EXPECT_DOUBLE_EQ(parsed("npt=7"), 7);
}

TEST(ClockValue, ShortStringsGiveZeroAndStayAsTheyAre) {
  std::string value = "npt=";
  EXPECT_EQ(fncParseClockValue(value), 0);
  EXPECT_EQ(value, "npt=");
  EXPECT_EQ(parsed(""), 0);
  EXPECT_EQ(parsed("12s"), 0);
}

TEST(ClockValue, TheStringLosesItsPrefix) {
  std::string value = "npt=3.5s";
  fncParseClockValue(value);
  EXPECT_EQ(value, "3.5s");
}

TEST(ClockValue, FullAndPartialClockValues) {
  EXPECT_DOUBLE_EQ(parsed("npt=0:01:02.500"), 62.5);
  EXPECT_DOUBLE_EQ(parsed("npt=01:02.5"), 62.5);
  EXPECT_DOUBLE_EQ(parsed("npt=1:02.5"), 62.5);
  EXPECT_DOUBLE_EQ(parsed("npt=2:00:00"), 7200);
}

TEST(ClockValue, Metrics) {
  EXPECT_DOUBLE_EQ(parsed("npt=500ms"), 0.5);
  EXPECT_DOUBLE_EQ(parsed("npt=1.5min"), 90);
  EXPECT_DOUBLE_EQ(parsed("npt=2h"), 7200);
  EXPECT_DOUBLE_EQ(parsed("npt=.25s"), 0.25);
}

TEST(ClockValue, NonsenseGivesZero) {
  EXPECT_EQ(parsed("npt=abc"), 0);
  EXPECT_EQ(parsed("npt=1:2:3:4"), 0);
  EXPECT_EQ(parsed("npt=:5"), 0);
  EXPECT_EQ(parsed("npt=."), 0);
}

TEST(PercentEscapes, DecodesPairsOfHexDigitsAndCopiesTheRest) {
  EXPECT_EQ(fncDecodePercentEscapes("My%20Book%2fch1"), "My Book/ch1");
  EXPECT_EQ(fncDecodePercentEscapes("100%"), "100%");
  EXPECT_EQ(fncDecodePercentEscapes("%4"), "%4");
  EXPECT_EQ(fncDecodePercentEscapes("%zz%41"), "%zzA");
  EXPECT_EQ(fncDecodePercentEscapes("caf%C3%A9"), "caf\xC3\xA9");
  EXPECT_EQ(fncDecodePercentEscapes("caf%E9"), "caf\xC3\xA9");  // a lone Latin-1 byte
}

TEST(VersionComparison, BrowserComponentCases) {
  const std::array<int64_t, 4> required{5, 0, 3103, 1000};
  EXPECT_FALSE(fncVersionAtLeast("5.0.3103.999", '.', required));
  EXPECT_TRUE(fncVersionAtLeast("5.0.3104.0", '.', required));
  EXPECT_TRUE(fncVersionAtLeast("6.0.0.0", '.', required));
  EXPECT_TRUE(fncVersionAtLeast("5.00.3103.1000", '.', required));
  EXPECT_FALSE(fncVersionAtLeast("", '.', required));
  EXPECT_TRUE(fncVersionAtLeast("6", '.', required));  // missing parts are 0
}

TEST(VersionComparison, MediaPlayerCases) {
  const std::array<int64_t, 4> required{6, 4, 7, 1028};
  EXPECT_TRUE(fncVersionAtLeast("6,4,7,1028", ',', required));
  EXPECT_FALSE(fncVersionAtLeast("6,4,6,9999", ',', required));
  EXPECT_TRUE(fncVersionAtLeast("1.32.0", '.', {1, 29, 0, 0}));
}

TEST(KeyTiming, OnlyMajorVersionFourIsSlow) {
  EXPECT_EQ(fncKeyTiming(4).holdThreshold, 20);
  EXPECT_EQ(fncKeyTiming(4).multiPressWindow, 5);
  EXPECT_EQ(fncKeyTiming(kOsMajorVersion).holdThreshold, 80);
  EXPECT_EQ(fncKeyTiming(kOsMajorVersion).multiPressWindow, 20);
}

TEST(ProgramFolder, EnvironmentOverridesAndEndsInASeparator) {
  ::setenv("LYN_PROGRAM_DIR", "/opt/lyn//", 1);
  EXPECT_EQ(fncProgramFolder(), "/opt/lyn/");
  ::unsetenv("LYN_PROGRAM_DIR");
  const std::string folder = fncProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_EQ(fncWithoutTrailingSeparator(folder).back(), folder[folder.size() - 2]);
  EXPECT_EQ(fncWithoutTrailingSeparator("/"), "/");
}

}  // namespace
}  // namespace lyn
