#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cVariControl.h"
#include "platform/registry/cRegistry.h"
#include "tests/audio/cFakeAudioControl.h"

namespace lyn {
namespace {

constexpr const char* kKey = "software\\LYN_Reader";

class VariControlTest : public ::testing::Test {
 protected:
  VariControlTest() {
    auto fake = std::make_unique<test::cFakeAudioControl>();
    control = fake.get();
    player = std::make_unique<cAudioPlaybackSystem>(std::move(fake));
  }
  std::string fncRead(const std::string& name) {
    std::string value;
    registry.fncReadValue(name, value, eRegistryRoot::CurrentUser, kKey);
    return value;
  }
  std::string fncLastCall() const { return control->calls.empty() ? "" : control->calls.back(); }

  cRegistry registry;
  test::cFakeAudioControl* control = nullptr;
  std::unique_ptr<cAudioPlaybackSystem> player;
};

TEST_F(VariControlTest, AnEmptyStoreGetsSixteenRowsAndTheSkimRowAndStartsAtStepFive) {
  cVariControl vari(registry, 6);  // processor class 4: set B
  int32_t items = 0;
  ASSERT_TRUE(registry.fncReadValue("Vari\\Items", items, eRegistryRoot::CurrentUser, kKey));
  EXPECT_EQ(items, 15);
  EXPECT_EQ(vari.fnclItems(), 15);
  for (int step = 0; step <= 15; ++step)
    EXPECT_EQ(fncRead("Vari\\Speed" + std::to_string(step)),
              cVariControl::fncDefaultRowText(true, step));
  EXPECT_EQ(fncRead("Vari\\Speed9"), "100, 3000, 200, 25, 1000, 150");
  EXPECT_EQ(fncRead("Vari\\SkimSpeed"), "250, 1500, 150, 30, 500, 500");
  EXPECT_EQ(vari.Speed(), 5);
  EXPECT_EQ(*vari.fncRow(5), (cVariControl::Row{100, 3000, 100, 20, 1000, 100}));
}

TEST_F(VariControlTest, TheProcessorClassChoosesTheSet) {
  EXPECT_EQ(cVariControl::fncProcessorClass(0, 6), 4);
  EXPECT_TRUE(cVariControl::fncbUsesSetB(4, 0));
  EXPECT_FALSE(cVariControl::fncbUsesSetB(3, 0));
  EXPECT_TRUE(cVariControl::fncbUsesSetB(3, 2));
  EXPECT_EQ(cVariControl::fncProcessorClass(2, 0, 586), 3);
  EXPECT_EQ(cVariControl::fncProcessorClass(1, 0, 386), 1);
  EXPECT_GT(cVariControl::fncPlatformProcessorLevel(), 0);
  cVariControl vari(registry, 23);  // a processor family far beyond 6: set A
  EXPECT_EQ(fncRead("Vari\\Speed9"), "120, 3000, 100, 25, 1000, 150");
}

TEST(VariControlPlatform, TheProcessorLevelIsTheFamilyTheKernelReports) {
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("cpu family", 0) != 0) continue;
    const auto colon = line.find(':');
    ASSERT_NE(colon, std::string::npos) << line;
    EXPECT_EQ(cVariControl::fncPlatformProcessorLevel(), std::stoi(line.substr(colon + 1)));
    return;
  }
  GTEST_SKIP() << "no x86 \"cpu family\" in /proc/cpuinfo";
}

TEST_F(VariControlTest, StepsApplyTheirRowToTheBookPlayersControl) {
  cVariControl vari(registry, 6);
  vari.subSetBookPlayer(player.get());
  vari.subSetSpeed(7);
  EXPECT_EQ(fncLastCall(), "SetVariParameters 100 3000 140 25 1000 150");
  vari.subSetSpeed(15);
  vari.subIncreaseSpeed();  // at the top: stays, and the row is applied again
  EXPECT_EQ(vari.Speed(), 15);
  EXPECT_EQ(std::count(control->calls.begin(), control->calls.end(),
                       "SetVariParameters 200 3000 300 30 500 500"), 2);
  vari.subInitSkimSpeed();
  EXPECT_EQ(fncLastCall(), "SetVariParameters 250 1500 150 30 500 500");
  EXPECT_EQ(vari.Speed(), 15);
  vari.subDeInitSkimSpeed();
  EXPECT_EQ(fncLastCall(), "SetVariParameters 200 3000 300 30 500 500");
  vari.subSetSpeed(0);
  vari.subDecreaseSpeed();
  EXPECT_EQ(vari.Speed(), 0);
  EXPECT_EQ(fncLastCall(), "SetVariParameters 60 2500 100 20 1000 100");
  vari.subSetSpeed(16);
  vari.subSetSpeed(-1);
  EXPECT_EQ(vari.Speed(), 0);
  vari.subSetBookPlayer(nullptr);
  vari.subSetSpeed(3);  // no player: nothing happens, but the step is taken
  EXPECT_EQ(vari.Speed(), 3);
}

TEST_F(VariControlTest, AShorterTableLeavesStepFiveWithoutEffect) {
  registry.subWriteValue("Vari\\Items", int32_t{3}, eRegistryRoot::CurrentUser, kKey);
  for (int step = 0; step <= 3; ++step)
    registry.subWriteValue("Vari\\Speed" + std::to_string(step), "90, 3000, 100, 20, 1000, 100",
                           eRegistryRoot::CurrentUser, kKey);
  registry.subWriteValue("Vari\\SkimSpeed", "250, 1500, 100, 30, 500, 500",
                         eRegistryRoot::CurrentUser, kKey);
  cVariControl vari(registry, 6);
  vari.subSetBookPlayer(player.get());
  EXPECT_EQ(vari.fnclItems(), 3);
  EXPECT_EQ(vari.Speed(), 5);
  vari.subSetSpeed(5);
  EXPECT_TRUE(control->calls.empty());
  EXPECT_EQ(fncRead("Vari\\Speed4"), "");  // the user's table is not rewritten
  vari.subDecreaseSpeed();
  EXPECT_EQ(vari.Speed(), 4);
  EXPECT_TRUE(control->calls.empty());
  vari.subDecreaseSpeed();
  EXPECT_EQ(fncLastCall(), "SetVariParameters 90 3000 100 20 1000 100");
}

TEST_F(VariControlTest, RowsAreSixWholeNumbersSeparatedByCommas) {
  using Row = cVariControl::Row;
  EXPECT_EQ(cVariControl::fncParseRow("100,3000,100,20,1000,100"),
            (Row{100, 3000, 100, 20, 1000, 100}));
  EXPECT_EQ(cVariControl::fncParseRow("  60,\t2500, 100 , 20, 1000, -5"),
            (Row{60, 2500, 100, 20, 1000, -5}));
  for (const char* bad : {"", "100, 3000, 100, 20, 1000", "100, 3000, 100, 20, 1000, 100, 7",
                          "100, x, 100, 20, 1000, 100", "100, 3000.5, 100, 20, 1000, 100",
                          "100, 40000, 100, 20, 1000, 100", "0, 3000, 100, 20, 1000, 100",
                          "100, 3000, 100, 20, 1000, "})
    EXPECT_FALSE(cVariControl::fncParseRow(bad)) << bad;
}

TEST_F(VariControlTest, MalformedRowsKeepTheBuiltInRowAndAreReportedOnce) {
  cVariControl first(registry, 6);
  registry.subWriteValue("Vari\\Speed7", "fast please", eRegistryRoot::CurrentUser, kKey);
  registry.subWriteValue("Vari\\Speed8", "100, 99999, 1, 1, 1, 1", eRegistryRoot::CurrentUser,
                         kKey);
  testing::internal::CaptureStderr();
  cVariControl vari(registry, 6);
  const std::string warnings = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1) << warnings;
  EXPECT_NE(warnings.find("Vari\\Speed7"), std::string::npos);
  EXPECT_NE(warnings.find("Vari\\Speed8"), std::string::npos);
  EXPECT_EQ(*vari.fncRow(7), *cVariControl::fncParseRow(cVariControl::fncDefaultRowText(true, 7)));
  EXPECT_EQ(fncRead("Vari\\Speed7"), "fast please");  // the stored text is left as it is
}

TEST_F(VariControlTest, ACountThatCannotBeReadRewritesTheDefaultsOnlyOnce) {
  registry.subWriteValue("Vari\\Items", "fifteen", eRegistryRoot::CurrentUser, kKey);
  cVariControl vari(registry, 6);
  EXPECT_EQ(vari.fnclItems(), 15);
  registry.subWriteValue("Vari\\Items", int32_t{100000}, eRegistryRoot::CurrentUser, kKey);
  testing::internal::CaptureStderr();
  cVariControl huge(registry, 6);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(huge.fnclItems(), 255);
  EXPECT_FALSE(huge.fncRow(200));  // no built-in row above 15: applying it does nothing
  EXPECT_TRUE(huge.fncRow(15));
}

}  // namespace
}  // namespace lyn
