#pragma once
// What the search and go-to-page dialogs answer for a confirmed text: a navigation point
// number (1-based) or one of iDialogs' codes (kEmpty, kNothing, kBookmarkTaken).
//
//   "<"    the first point            ">"   the last point
//   "#n"   bookmark n of the mode (n: 1 to 9 digits, not above lNumberOfBookmarks), reached
//          with the mode's fncGotoBookmark; anything else after "#" gives kNothing
//   search: the first point after the current one, wrapping round to the start, whose caption
//           contains the text (trimmed, case ignored); page points are passed over
//   go to page: the first page point whose caption equals the text, case ignored

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lyn {

class cNCCReader;
class cTocItem;
class iMode;

// The navigation points as the dialogs read them.
struct cTocView {
  int32_t lCount = 0;
  int32_t lCurrent = 0;
  std::function<const cTocItem*(int32_t)> item;
  // The points of a reader; an empty view for none.
  static cTocView fncOf(cNCCReader* reader);
};

// The number after "#": 1 to 9 digits and nothing else.
std::optional<int32_t> fncBookmarkNumber(std::string_view text);

// `readingModeCurrent`: "#n" works in the search dialog only while the reading mode is
// current, and in the go-to-page dialog only while it is not.
int32_t fnclSearchResult(const std::string& text, const cTocView& toc, iMode& mode,
                         bool readingModeCurrent);
int32_t fnclGotoPageResult(const std::string& text, const cTocView& toc, iMode& mode,
                           bool readingModeCurrent);

}  // namespace lyn
