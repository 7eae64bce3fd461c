#include "platform/view/ViewGeometry.h"

#include <gtest/gtest.h>

namespace lyn {
namespace {

TEST(ScrollTarget, PutsTheElementTopInTheMiddleOfTheView) {
  EXPECT_EQ(fncScrollTarget(2000, 600), 1700);
  EXPECT_EQ(fncScrollTarget(301, 600), 1);
  EXPECT_EQ(fncScrollTarget(2000, 601), 1700);  // half a pixel of view does not move it
}

TEST(ScrollTarget, NeverScrollsAboveTheDocumentTop) {
  EXPECT_EQ(fncScrollTarget(100, 600), 0);
  EXPECT_EQ(fncScrollTarget(300, 600), 0);
  EXPECT_EQ(fncScrollTarget(0, 0), 0);
}

TEST(ScrollTarget, StopsAtTheLastPositionTheDocumentHas) {
  EXPECT_EQ(fncScrollTarget(2000, 600, 1500), 1500);
  EXPECT_EQ(fncScrollTarget(2000, 600, -5), 0);  // a document shorter than the view
  EXPECT_EQ(fncScrollTarget(INT32_MAX, 0), INT32_MAX);
  EXPECT_EQ(fncScrollTarget(INT32_MIN, 600), 0);
}

TEST(Twips, FifteenTwipsMakeAPixelAtNinetySixDotsPerInch) {
  EXPECT_EQ(fncTwipsToPixels(7320, 96), 488);
  EXPECT_EQ(fncPixelsToTwips(488, 96), 7320);
}

TEST(Twips, ScaleWithTheScreenResolution) {
  EXPECT_EQ(fncTwipsToPixels(7320, 192), 976);
  EXPECT_EQ(fncPixelsToTwips(976, 192), 7320);
  EXPECT_EQ(fncTwipsToPixels(1440, 144), 144);
}

TEST(Twips, AResolutionOfZeroCountsAsNinetySix) {
  EXPECT_EQ(fncTwipsToPixels(1440, 0), 96);
  EXPECT_EQ(fncPixelsToTwips(96, -3), 1440);
}

TEST(Twips, RoundToTheNearestUnitAndNeverOverflow) {
  EXPECT_EQ(fncTwipsToPixels(22, 96), 1);   // 1.47 pixels
  EXPECT_EQ(fncTwipsToPixels(-22, 96), -1);
  EXPECT_EQ(fncPixelsToTwips(INT32_MAX, 1), INT32_MAX);
}

}  // namespace
}  // namespace lyn
