#include "shell/window/cWindowLayout.h"

#include <algorithm>

namespace lyn {

namespace {

constexpr int32_t kMargin = 120;
constexpr int32_t kButtonWidth = 600;
constexpr int32_t kButtonHeight = 540;
constexpr int32_t kLabelHeight = 345;
constexpr int32_t kColumn = 720;  // from one left-hand button to the next

// Row tops, measured up from the client area's bottom edge. The command buttons that the rows
// do not name sit in a row of their own between the view and the first row.
constexpr int32_t kCommandRow = 2265;
constexpr int32_t kFirstRow = 1665;
constexpr int32_t kSecondRow = 1065;
constexpr int32_t kLabelRow = 465;

// Right-hand columns, measured from the right edge.
constexpr int32_t kBookmarkColumn = 2400;
constexpr int32_t kRateColumn = 1560;
constexpr int32_t kVolumeColumn = 840;
constexpr int32_t kRightColumnWidth = 720;

struct cPlacement {
  int32_t lLeft;        // from the left edge, or from the right edge when bolFromRight
  bool bolFromRight;
  int32_t lRowFromBottom;
  bool bolLabel;
};

cPlacement placement(eControl control) {
  const auto left = [](int32_t column) { return kMargin + column * kColumn; };
  switch (control) {
    case eControl::cbSearch: return {left(0), false, kCommandRow, false};
    case eControl::cbGotoPage: return {left(1), false, kCommandRow, false};
    case eControl::cbInfo: return {left(2), false, kCommandRow, false};
    case eControl::cbBookshelf: return {left(3), false, kCommandRow, false};
    case eControl::cbHelp: return {left(4), false, kCommandRow, false};
    case eControl::laPhraseCount: return {left(5), false, kCommandRow, true};
    case eControl::cbStart: return {left(0), false, kFirstRow, false};
    case eControl::cbIncreaseUnit: return {left(1), false, kFirstRow, false};
    case eControl::cbInsertBookmark: return {kBookmarkColumn, true, kFirstRow, false};
    case eControl::cbRateUp: return {kRateColumn, true, kFirstRow, false};
    case eControl::cbVolumeUp: return {kVolumeColumn, true, kFirstRow, false};
    case eControl::cbStop: return {left(0), false, kSecondRow, false};
    case eControl::cbDecreaseUnit: return {left(1), false, kSecondRow, false};
    case eControl::cbPrevUnit: return {left(2), false, kSecondRow, false};
    case eControl::cbNextUnit: return {left(3), false, kSecondRow, false};
    case eControl::cbDeleteBookmark: return {kBookmarkColumn, true, kSecondRow, false};
    case eControl::cbRateDown: return {kRateColumn, true, kSecondRow, false};
    case eControl::cbVolumeDown: return {kVolumeColumn, true, kSecondRow, false};
    case eControl::cbUndo: return {left(0), false, kLabelRow, false};
    case eControl::laNavigationText: return {left(1), false, kLabelRow, true};
    case eControl::laBookmarkCount: return {kBookmarkColumn, true, kLabelRow, true};
    case eControl::laCurrRate: return {kRateColumn, true, kLabelRow, true};
    case eControl::laCurrVolume: return {kVolumeColumn, true, kLabelRow, true};
    case eControl::wb: break;
  }
  return {0, false, 0, false};
}

}  // namespace

std::string_view fncControlName(eControl ienControl) {
  static constexpr std::array<std::string_view, kControlCount> kNames{
      "wb", "cbStart", "cbStop", "cbUndo", "cbPrevUnit", "cbNextUnit", "cbDecreaseUnit",
      "cbIncreaseUnit", "cbInsertBookmark", "cbDeleteBookmark", "cbSearch", "cbGotoPage",
      "cbInfo", "cbBookshelf", "cbHelp", "cbVolumeDown", "cbVolumeUp", "cbRateDown", "cbRateUp",
      "laNavigationText", "laPhraseCount", "laBookmarkCount", "laCurrRate", "laCurrVolume"};
  return kNames[static_cast<size_t>(ienControl)];
}

const std::array<eControl, kControlCount>& fncAllControls() {
  static const std::array<eControl, kControlCount> kAll = [] {
    std::array<eControl, kControlCount> all{};
    for (size_t i = 0; i < kControlCount; ++i) all[i] = static_cast<eControl>(i);
    return all;
  }();
  return kAll;
}

std::optional<cTwipsSize> fncEnforceMinimum(cTwipsSize iSize) {
  const cTwipsSize fitted{std::max(iSize.lWidth, kMinimumWindowSize.lWidth),
                          std::max(iSize.lHeight, kMinimumWindowSize.lHeight)};
  if (fitted == iSize) return std::nullopt;
  return fitted;
}

cTwipsRect fncControlRect(eControl ienControl, cTwipsSize iClient) {
  const int32_t width = std::max(iClient.lWidth, kMinimumWindowSize.lWidth);
  const int32_t height = std::max(iClient.lHeight, kMinimumWindowSize.lHeight);
  if (ienControl == eControl::wb) return {kMargin, kMargin, width - 225, height - 2490};
  const cPlacement place = placement(ienControl);
  cTwipsRect rect;
  rect.lLeft = place.bolFromRight ? width - place.lLeft : place.lLeft;
  rect.lTop = height - place.lRowFromBottom;
  rect.lHeight = place.bolLabel ? kLabelHeight : kButtonHeight;
  // The last row is lower than the others: its button (Undo) is as high as the row leaves room.
  if (place.lRowFromBottom == kLabelRow && !place.bolLabel) rect.lHeight = kLabelRow - 60;
  rect.lWidth = place.bolFromRight ? kRightColumnWidth - kMargin : kButtonWidth;
  if (ienControl == eControl::laNavigationText) {
    // The navigation text takes the room up to the bookmark column.
    rect.lWidth = width - kBookmarkColumn - kMargin - rect.lLeft;
  } else if (ienControl == eControl::laPhraseCount) {
    rect.lWidth = 2 * kColumn;
  }
  return rect;
}

}  // namespace lyn
