#include "shell/window/cWindowLayout.h"

#include <gtest/gtest.h>

namespace lyn {
namespace {

bool overlaps(const cTwipsRect& a, const cTwipsRect& b) {
  return a.lLeft < b.lLeft + b.lWidth && b.lLeft < a.lLeft + a.lWidth && a.lTop < b.lTop + b.lHeight &&
         b.lTop < a.lTop + a.lHeight;
}

TEST(WindowLayout, AWindowBelowTheMinimumIsMadeLargeEnough) {
  EXPECT_EQ(fncEnforceMinimum({3795, 7215}), (cTwipsSize{7320, 7215}));
  EXPECT_EQ(fncEnforceMinimum({9000, 5000}), (cTwipsSize{9000, 5145}));
  EXPECT_EQ(fncEnforceMinimum({0, 0}), kMinimumWindowSize);
  EXPECT_FALSE(fncEnforceMinimum({7320, 5145}));
  EXPECT_FALSE(fncEnforceMinimum({12000, 9000}));
}

TEST(WindowLayout, TheViewFillsTheWindowAboveTheControlRows) {
  const cTwipsRect view = fncControlRect(eControl::wb, {12000, 9000});
  EXPECT_EQ(view.lWidth, 12000 - 225);
  EXPECT_EQ(view.lHeight, 9000 - 2490);
}

TEST(WindowLayout, RowsFollowTheBottomEdgeAndRightColumnsTheRightEdge) {
  const cTwipsSize client{12000, 9000};
  EXPECT_EQ(fncControlRect(eControl::cbStart, client).lTop, 9000 - 1665);
  EXPECT_EQ(fncControlRect(eControl::cbVolumeUp, client).lTop, 9000 - 1665);
  EXPECT_EQ(fncControlRect(eControl::cbNextUnit, client).lTop, 9000 - 1065);
  EXPECT_EQ(fncControlRect(eControl::cbRateDown, client).lTop, 9000 - 1065);
  EXPECT_EQ(fncControlRect(eControl::laCurrVolume, client).lTop, 9000 - 465);
  EXPECT_EQ(fncControlRect(eControl::cbUndo, client).lTop, 9000 - 465);
  EXPECT_EQ(fncControlRect(eControl::cbInsertBookmark, client).lLeft, 12000 - 2400);
  EXPECT_EQ(fncControlRect(eControl::laBookmarkCount, client).lLeft, 12000 - 2400);
  EXPECT_EQ(fncControlRect(eControl::cbRateUp, client).lLeft, 12000 - 1560);
  EXPECT_EQ(fncControlRect(eControl::laCurrVolume, client).lLeft, 12000 - 840);
  // Left-hand controls keep their place whatever the width.
  EXPECT_EQ(fncControlRect(eControl::cbPrevUnit, client).lLeft,
            fncControlRect(eControl::cbPrevUnit, {7320, 9000}).lLeft);
}

TEST(WindowLayout, NoTwoControlsOverlapAndAllStayInsideAtTheMinimumAndBeyond) {
  for (const cTwipsSize client : {kMinimumWindowSize, cTwipsSize{15000, 11000}, cTwipsSize{100, 100}}) {
    const cTwipsSize real{std::max(client.lWidth, kMinimumWindowSize.lWidth),
                          std::max(client.lHeight, kMinimumWindowSize.lHeight)};
    for (eControl a : fncAllControls()) {
      const cTwipsRect ra = fncControlRect(a, client);
      EXPECT_GT(ra.lWidth, 0) << fncControlName(a);
      EXPECT_GE(ra.lLeft, 0) << fncControlName(a);
      EXPECT_LE(ra.lLeft + ra.lWidth, real.lWidth) << fncControlName(a);
      EXPECT_LE(ra.lTop + ra.lHeight, real.lHeight) << fncControlName(a);
      for (eControl b : fncAllControls()) {
        if (a < b) {
          EXPECT_FALSE(overlaps(ra, fncControlRect(b, client)))
              << fncControlName(a) << " and " << fncControlName(b);
        }
      }
    }
  }
}

TEST(WindowLayout, EveryControlHasItsName) {
  EXPECT_EQ(fncControlName(eControl::wb), "wb");
  EXPECT_EQ(fncControlName(eControl::cbRateUp), "cbRateUp");
  EXPECT_EQ(fncControlName(eControl::laCurrVolume), "laCurrVolume");
  EXPECT_EQ(fncAllControls().size(), kControlCount);
}

}  // namespace
}  // namespace lyn
