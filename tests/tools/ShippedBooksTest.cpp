// The help book and the sample book the build makes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "tests/TempFolder.h"
#include "tests/tools/BookCheck.h"
#include "tools/cSyntheticBook.h"

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

#ifdef LYN_READER_PROGRAM
// Runs the player's window-less play command and returns its lines; `status` gets its exit code.
std::vector<std::string> fncPlay(const std::filesystem::path& book, int& status) {
  const std::string command = std::string("'") + LYN_READER_PROGRAM + "' --play '" +
                              book.string() + "' --fast --audio null 2>&1";
  std::vector<std::string> lines;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) {
    status = -1;
    return lines;
  }
  char buffer[4096];
  std::string text;
  while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
  status = ::pclose(pipe);
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(ShippedBooks, PlayThroughThePlayerFromTheFirstPointToTheLast) {
  for (const auto& [folder, ncc] : {std::pair{kData / "sample-book", std::string("ncc.html")},
                                    std::pair{kData / "help", std::string("helpncc.html")}}) {
    const auto b = testing::fncCheckBook(folder, ncc);
    int status = 0;
    const auto lines = fncPlay(ncc == "ncc.html" ? folder : folder / ncc, status);
    EXPECT_EQ(status, 0) << folder;
    ASSERT_EQ(lines.size(), b.points.size()) << folder << ": " << (lines.empty() ? "" : lines[0]);
    for (size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].substr(0, lines[i].find(' ')), std::to_string(i + 1)) << lines[i];
      EXPECT_NE(lines[i].find(b.points[i].sCaption), std::string::npos) << lines[i];
    }
  }
}

TEST(GeneratedBooks, PlayThroughThePlayerInEveryClockForm) {
  for (int form = 0; form < 3; ++form) {
    testing::TempFolder out;
    tools::SyntheticOptions o;
    o.lPoints = 30;
    o.lSmilFiles = 4;
    o.lPars = 90;
    o.lExtrasEvery = 2;
    o.lFrontPages = 1;
    o.dClipSeconds = 0.2;
    o.lSampleRate = 8000;
    o.enClock = form == 1 ? tools::enClockForm::Full : tools::enClockForm::Seconds;
    o.bolNoClipTimes = form == 2;
    std::string error;
    ASSERT_TRUE(tools::cSyntheticBook::fncbMake(o, out.path(), error)) << error;
    int status = 0;
    const auto lines = fncPlay(out.path(), status);
    EXPECT_EQ(status, 0) << "form " << form;
    EXPECT_EQ(lines.size(), 30u) << "form " << form << ": " << (lines.empty() ? "" : lines[0]);
  }
}
#endif

}  // namespace
}  // namespace lyn
