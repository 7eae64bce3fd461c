#pragma once
// Where the main window's controls sit, in twips of its client area. The view fills the window
// above three rows of controls anchored to the bottom edge; the three right-hand columns
// (bookmarks, speed, volume) are anchored to the right edge; every other control keeps its
// horizontal design position. The window is never made smaller than 7320 by 5145 twips.
//
// No window system here: the Qt window converts with the screen's resolution
// (platform/view/ViewGeometry.h) and places its widgets by these rectangles.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lyn {

enum class eControl {
  wb,
  cbStart, cbStop, cbUndo, cbPrevUnit, cbNextUnit, cbDecreaseUnit, cbIncreaseUnit,
  cbInsertBookmark, cbDeleteBookmark, cbSearch, cbGotoPage, cbInfo, cbBookshelf, cbHelp,
  cbVolumeDown, cbVolumeUp, cbRateDown, cbRateUp,
  laNavigationText, laPhraseCount, laBookmarkCount, laCurrRate, laCurrVolume,
};
inline constexpr size_t kControlCount = 24;

// The control's name as the player knows it ("cbStart").
std::string_view fncControlName(eControl ienControl);

struct cTwipsSize {
  int32_t lWidth = 0;
  int32_t lHeight = 0;
  bool operator==(const cTwipsSize&) const = default;
};

struct cTwipsRect {
  int32_t lLeft = 0;
  int32_t lTop = 0;
  int32_t lWidth = 0;
  int32_t lHeight = 0;
  bool operator==(const cTwipsRect&) const = default;
};

inline constexpr cTwipsSize kMinimumWindowSize{7320, 5145};

// The size a window of `iSize` must be given to respect the minimum; nothing when it does.
std::optional<cTwipsSize> fncEnforceMinimum(cTwipsSize iSize);

// The rectangle of a control in a client area of `iClient` (at least the minimum; a smaller
// area is laid out as if it were the minimum).
cTwipsRect fncControlRect(eControl ienControl, cTwipsSize iClient);

// Every control, in the order of eControl, for walking them all.
const std::array<eControl, kControlCount>& fncAllControls();

}  // namespace lyn
