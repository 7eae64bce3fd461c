#include <gtest/gtest.h>

#include "shell/KeyCodes.h"
#include "shell/cApplicationState.h"
#include "shell/cKeyTracker.h"

namespace lyn {
namespace {

class KeyTrackerTest : public ::testing::Test {
 protected:
  KeyTrackerTest() : app(std::make_unique<cRegistry>(), "/nowhere") {
    app.keyTiming = {80, 20};
    app.bolKeyReleased = true;
  }
  void ticks(int n) {
    for (int i = 0; i < n; ++i) tracker.subKeyHoldTick();
  }
  void tap(int32_t k) {
    tracker.subKeyDown(k, 0);
    tracker.subKeyUp(k, 0);
  }
  // The messages posted so far, as "NAME a1 a2".
  std::vector<std::string> posted() {
    std::vector<std::string> out;
    while (app.queue().hasNext()) {
      auto m = app.queue().fncgetNextMessageQueueItem();
      std::string s = m->fncgetMessageName();
      if (!fncIsEmpty(m->fncArg1())) s += " " + std::to_string(fncVariantToInt32(m->fncArg1()));
      if (!fncIsEmpty(m->fncArg2())) s += " " + std::to_string(fncVariantToInt32(m->fncArg2()));
      out.push_back(s);
    }
    app.queue().subclearQue();
    return out;
  }
  cApplicationState app;
  cKeyTracker tracker{app};
};

using Posts = std::vector<std::string>;

TEST_F(KeyTrackerTest, ATapCountsOnceTheMultiPressWindowHasRunOut) {
  tap(key::Right);
  ticks(19);
  EXPECT_TRUE(posted().empty());
  ticks(1);
  EXPECT_EQ(posted(), (Posts{"KEYUP 39 1"}));
  ticks(100);
  EXPECT_TRUE(posted().empty());
}

TEST_F(KeyTrackerTest, TapsWithinTheWindowAreCountedTogether) {
  tap(key::Right);
  ticks(10);
  tap(key::Right);
  ticks(15);
  tap(key::Right);
  ticks(20);
  EXPECT_EQ(posted(), (Posts{"KEYUP 39 3"}));
}

TEST_F(KeyTrackerTest, AHoldPostsOneHoldAndOneReleaseAndNoKeyUp) {
  tracker.subKeyDown(key::Right, 0);
  ticks(79);
  EXPECT_TRUE(posted().empty());
  ticks(1);
  EXPECT_EQ(posted(), (Posts{"KEYHOLD 39"}));
  ticks(300);
  EXPECT_TRUE(posted().empty());
  tracker.subKeyUp(key::Right, 0);
  ticks(100);
  EXPECT_EQ(posted(), (Posts{"KEYRELEASE 39"}));
}

TEST_F(KeyTrackerTest, AnotherKeyCountsAPendingTapAtOnceAndIsNotTracked) {
  tap(key::Left);
  tracker.subKeyDown(key::Right, 0);
  EXPECT_EQ(posted(), (Posts{"KEYUP 37 1"}));
  EXPECT_FALSE(tracker.fncbTracking());
  ticks(100);
  EXPECT_TRUE(posted().empty());
}

TEST_F(KeyTrackerTest, SpaceWhileAnArrowIsDownCountsTheArrowAtOnce) {
  tracker.subKeyDown(key::Left, 0);
  ticks(5);
  tracker.subKeyDown(key::Space, 0);
  EXPECT_EQ(posted(), (Posts{"KEYUP 37 1"}));
  ticks(100);
  EXPECT_TRUE(posted().empty());
}

}  // namespace
}  // namespace lyn
