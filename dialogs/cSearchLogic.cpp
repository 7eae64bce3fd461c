#include "dialogs/cSearchLogic.h"

#include "engine/cNCCReader.h"
#include "engine/cTocItem.h"
#include "modes/iDialogs.h"
#include "modes/iMode.h"
#include "platform/files/TextCase.h"

namespace lyn {

namespace {

std::string fncTrim(std::string_view text) {
  const auto begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return {};
  const auto end = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(begin, end - begin + 1));
}

// "<", ">" and "#n"; nothing when the text is none of them.
std::optional<int32_t> fncCommonResult(const std::string& text, const cTocView& toc, iMode& mode,
                                       bool bookmarksAllowed) {
  if (text[0] == '<') return 1;
  if (text[0] == '>') return toc.lCount;
  if (text[0] != '#') return std::nullopt;
  const auto n = fncBookmarkNumber(std::string_view(text).substr(1));
  if (bookmarksAllowed && n && *n <= mode.lNumberOfBookmarks && mode.fncGotoBookmark(*n))
    return iDialogs::kBookmarkTaken;
  return iDialogs::kNothing;
}

}  // namespace

cTocView cTocView::fncOf(cNCCReader* reader) {
  cTocView view;
  if (!reader) return view;
  view.lCount = reader->lNumberOfTocItems();
  view.lCurrent = reader->lCurrentTocItem;
  view.item = [reader](int32_t n) -> const cTocItem* {
    return n >= 1 && n <= reader->lNumberOfTocItems() ? reader->pToc(n) : nullptr;
  };
  return view;
}

std::optional<int32_t> fncBookmarkNumber(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int32_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

int32_t fnclSearchResult(const std::string& text, const cTocView& toc, iMode& mode,
                         bool readingModeCurrent) {
  if (text.empty()) return iDialogs::kEmpty;
  mode.sSearchString = text;
  if (auto common = fncCommonResult(text, toc, mode, readingModeCurrent)) return *common;
  const std::string wanted = fncFoldCase(fncTrim(text));
  const auto matches = [&](int32_t n) {
    const cTocItem* item = toc.item ? toc.item(n) : nullptr;
    return item && !fncEqualsIgnoringCase(item->sClass, "page") &&
           fncFoldCase(item->sCaption).find(wanted) != std::string::npos;
  };
  for (int32_t n = toc.lCurrent + 1; n <= toc.lCount; ++n)
    if (matches(n)) return n;
  for (int32_t n = 1; n < toc.lCurrent && n <= toc.lCount; ++n)
    if (matches(n)) return n;
  return iDialogs::kNothing;
}

int32_t fnclGotoPageResult(const std::string& text, const cTocView& toc, iMode& mode,
                           bool readingModeCurrent) {
  if (text.empty()) return iDialogs::kEmpty;
  if (auto common = fncCommonResult(text, toc, mode, !readingModeCurrent)) return *common;
  for (int32_t n = 1; n <= toc.lCount; ++n) {
    const cTocItem* item = toc.item ? toc.item(n) : nullptr;
    if (item && fncEqualsIgnoringCase(item->sClass, "page") && fncEqualsIgnoringCase(item->sCaption, text))
      return n;
  }
  return iDialogs::kNothing;
}

}  // namespace lyn
