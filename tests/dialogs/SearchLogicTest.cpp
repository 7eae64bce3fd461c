#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "dialogs/cSearchLogic.h"
#include "engine/cTocItem.h"
#include "modes/iDialogs.h"
#include "modes/iMode.h"
#include "tests/shell/AppTestDoubles.h"

namespace lyn::testing {
namespace {

// A mode with bookmarks that records the ones it was sent to.
class cBookmarkMode final : public iMode {
 public:
  explicit cBookmarkMode(cModeServices& s) : iMode(s) {}
  int32_t fnclModeNumber() const override { return 1; }
  std::string fncClassCaption() override { return ""; }
  bool fncGotoBookmark(int32_t n) override {
    taken.push_back(n);
    return true;
  }
  std::vector<int32_t> taken;
};

class SearchLogicTest : public ::testing::Test {
 protected:
  SearchLogicTest() {
    add("Title", "heading1");
    add("1", "page");
    add("Chapter one: the sea", "heading1");
    add("2", "page");
    add("IV", "page");
    add("The sea again", "heading2");
    toc.lCount = int32_t(items.size());
    toc.item = [this](int32_t n) { return n >= 1 && n <= int32_t(items.size()) ? &items[size_t(n - 1)] : nullptr; };
    mode.lNumberOfBookmarks = 3;
  }
  void add(std::string caption, std::string cls) {
    cTocItem item;
    item.sCaption = std::move(caption);
    item.sClass = std::move(cls);
    items.push_back(item);
  }
  std::vector<cTocItem> items;
  cTocView toc;
  cDispatcherRig rig;
  cBookmarkMode mode{*rig.services};
};

TEST_F(SearchLogicTest, SearchWrapsRoundFromTheLastPointAndSkipsPages) {
  toc.lCurrent = 6;
  EXPECT_EQ(fnclSearchResult("  SEA ", toc, mode, true), 3);
  toc.lCurrent = 3;
  EXPECT_EQ(fnclSearchResult("sea", toc, mode, true), 6);
  EXPECT_EQ(mode.sSearchString, "sea");
  // Only page points carry "2" and "IV": nothing is found.
  EXPECT_EQ(fnclSearchResult("2", toc, mode, true), iDialogs::kNothing);
  EXPECT_EQ(fnclSearchResult("iv", toc, mode, true), iDialogs::kNothing);
}

TEST_F(SearchLogicTest, FirstAndLastPointsAndTheEmptyText) {
  EXPECT_EQ(fnclSearchResult("<", toc, mode, true), 1);
  EXPECT_EQ(fnclSearchResult(">", toc, mode, true), 6);
  EXPECT_EQ(fnclSearchResult("", toc, mode, true), iDialogs::kEmpty);
}

TEST_F(SearchLogicTest, ABookmarkNumberHasOneToNineDigitsAndIsNotAboveTheCount) {
  EXPECT_EQ(fnclSearchResult("#2", toc, mode, true), iDialogs::kBookmarkTaken);
  for (const char* bad : {"#-1", "#", "#4", "#1x", "#0000000001", "# 1"})
    EXPECT_EQ(fnclSearchResult(bad, toc, mode, true), iDialogs::kNothing) << bad;
  // Outside the reading mode the search dialog takes no bookmarks.
  EXPECT_EQ(fnclSearchResult("#1", toc, mode, false), iDialogs::kNothing);
  EXPECT_EQ(mode.taken, (std::vector<int32_t>{2}));
  EXPECT_EQ(fncBookmarkNumber("000000003"), 3);
}

TEST_F(SearchLogicTest, GoToPageComparesPageCaptionsIgnoringCase) {
  EXPECT_EQ(fnclGotoPageResult("iv", toc, mode, true), 5);
  EXPECT_EQ(fnclGotoPageResult("2", toc, mode, true), 4);
  EXPECT_EQ(fnclGotoPageResult("Title", toc, mode, true), iDialogs::kNothing);
  EXPECT_EQ(fnclGotoPageResult(">", toc, mode, true), 6);
  EXPECT_EQ(fnclGotoPageResult("#1", toc, mode, true), iDialogs::kNothing);
  EXPECT_TRUE(mode.taken.empty());
}

}  // namespace
}  // namespace lyn::testing
