#include "platform/view/ViewGeometry.h"

#include <algorithm>
#include <cmath>

namespace lyn {

namespace {

constexpr double kTwipsPerInch = 1440.0;

double usableDpi(double dpi) { return dpi > 0.0 ? dpi : 96.0; }

int32_t rounded(double value) {
  value = std::clamp(value, static_cast<double>(INT32_MIN), static_cast<double>(INT32_MAX));
  return static_cast<int32_t>(std::lround(value));
}

}  // namespace

int32_t fncTwipsToPixels(int32_t ilTwips, double idDotsPerInch) {
  return rounded(ilTwips * usableDpi(idDotsPerInch) / kTwipsPerInch);
}

int32_t fncPixelsToTwips(int32_t ilPixels, double idDotsPerInch) {
  return rounded(ilPixels * kTwipsPerInch / usableDpi(idDotsPerInch));
}

int32_t fncScrollTarget(int32_t ilElementTop, int32_t ilViewHeight, int32_t ilMaximum) {
  const int64_t target = static_cast<int64_t>(ilElementTop) - ilViewHeight / 2;
  return static_cast<int32_t>(std::clamp<int64_t>(target, 0, std::max(0, ilMaximum)));
}

}  // namespace lyn
