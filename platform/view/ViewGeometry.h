#pragma once
// The arithmetic of the window and its view that needs no window system: twips and pixels, and
// where the view scrolls to bring the current element to its middle.

#include <cstdint>

namespace lyn {

// A twip is 1/1440 inch: the window's stored sizes and design positions are in twips, the screen
// counts pixels at its logical resolution (96 dots per inch on most screens, more on high-density
// ones). Conversions round to the nearest whole unit; a resolution of 0 or less counts as 96.
int32_t fncTwipsToPixels(int32_t ilTwips, double idDotsPerInch);
int32_t fncPixelsToTwips(int32_t ilPixels, double idDotsPerInch);

// The vertical scroll position that puts an element whose top is `ilElementTop` pixels below
// the top of the document in the middle of a view `ilViewHeight` pixels high: the top minus half
// the view, never above the document's top (and never past `ilMaximum` when that is given, the
// last position the document can scroll to).
int32_t fncScrollTarget(int32_t ilElementTop, int32_t ilViewHeight, int32_t ilMaximum = INT32_MAX);

}  // namespace lyn
