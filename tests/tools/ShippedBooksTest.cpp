// The help book and the sample book the build makes.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/tools/BookCheck.h"

namespace lyn {
namespace {

const std::filesystem::path kData = LYN_BUILD_DATA_DIR;

size_t fncCount(const testing::CheckedBook& b, const std::string& tag, const std::string& cls) {
  return size_t(std::count_if(b.points.begin(), b.points.end(), [&](const auto& p) {
    return p.sTag == tag && (cls == "*" || p.sClass == cls);
  }));
}

TEST(ShippedBooks, TheSampleBookHasChaptersPagesASidebarANoteAndAProducersNote) {
  const auto b = testing::fncCheckBook(kData / "sample-book");
  ASSERT_TRUE(b.problems.empty()) << b.problems.front();
  EXPECT_EQ(fncCount(b, "h1", "*"), 4u) << "the title and three chapters";
  EXPECT_GE(fncCount(b, "h2", "*"), 6u);
  EXPECT_GE(fncCount(b, "span", "page-front"), 1u);
  EXPECT_GE(fncCount(b, "span", "page-normal"), 3u);
  EXPECT_EQ(fncCount(b, "span", "sidebar"), 1u);
  EXPECT_EQ(fncCount(b, "span", "optional-prodnote"), 1u);
  EXPECT_EQ(fncCount(b, "span", "noteref"), 1u);
  EXPECT_NEAR(testing::fncCheckClock(b.metas.at("ncc:totalTime")), b.dClipSeconds, 1.0);
}

TEST(ShippedBooks, TheHelpBookIsAWholeBookThatNamesEveryKey) {
  const auto b = testing::fncCheckBook(kData / "help", "helpncc.html");
  ASSERT_TRUE(b.problems.empty()) << b.problems.front();
  EXPECT_GE(fncCount(b, "h1", "*"), 10u);
  std::string content;
  ASSERT_TRUE(fncReadWholeFile(kData / "help" / "content.html", content));
  for (const char* key : {"Space", "Escape", "right arrow", "left arrow", "up arrow",
                          "down arrow", "Backspace", "Enter", "Tab", "Home", "End", "Page Up",
                          "Page Down", "Insert", "Delete", "F1", "F2", "F3", "F4", "F5", "F6",
                          "F7", "F8", "F9", "F10", "F12", "Alt"})
    EXPECT_NE(content.find(key), std::string::npos) << key;
  for (const char* topic : {"bookmark", "bookshelf", "information", "search", "page", "speed",
                            "volume", "phrase", "heading", "chapter", "Escape"})
    EXPECT_NE(content.find(topic), std::string::npos) << topic;
}

}  // namespace
}  // namespace lyn
