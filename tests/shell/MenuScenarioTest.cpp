// The spoken menus through the script front end: the sample book on the null sink and the virtual
// clock, the menus opened, moved through and closed as the window's menu bar does.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/shell/ScriptRig.h"

namespace lyn::testing {
namespace {

// The keys spoken from `from` on, in order.
std::vector<std::string> fncSaid(const cScriptRun& run, double from, double to = 1e9) {
  std::vector<std::string> keys;
  for (const auto& line : run.all("say", from, to)) keys.push_back(line.rest);
  return keys;
}

bool fncbHas(const std::vector<std::string>& keys, const std::string& key) {
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

TEST(MenuScenario, OpeningTheMenusWhilePlayingPausesTheBookAndSaysMenubar) {
  cScriptRig rig;
  const auto run = rig.run("wait 4\nmenu open\nwait 1\n", cScriptRig::sampleBook());
  const auto* playing = run.find("state", "playing");
  const auto* stopped = run.find("state", "stopped", 3.9);
  const auto* menubar = run.find("say", "gen_menubar", 3.9);
  ASSERT_TRUE(playing && stopped && menubar) << run.text();
  EXPECT_LT(playing->t, 4.0);
  EXPECT_NEAR(stopped->t, 4.0, 0.015);
  EXPECT_NEAR(menubar->t, 4.0, 0.015);
  EXPECT_EQ(run.find("state", "playing", 4.0), nullptr) << run.text();
}

TEST(MenuScenario, AHighlightedItemSaysItsLabelThenItsKeyNameAndATitleItsTitle) {
  cScriptRig rig;
  const auto run = rig.run("wait 4\nmenu open\nwait 1\nmenu select mnuTools\nwait 1\nmenu select mnuFind\nwait 2\n",
                           cScriptRig::sampleBook());
  EXPECT_EQ(fncSaid(run, 4.9, 5.9), (std::vector<std::string>{"menu_tools"})) << run.text();
  EXPECT_EQ(fncSaid(run, 5.9), (std::vector<std::string>{"item_search", "key_f3"})) << run.text();
}

TEST(MenuScenario, ADisabledItemIsSpokenAsDisabledAndAnItemWithoutKeyNameByItsLabel) {
  cScriptRig rig;
  // Extended search is disabled outside the bookshelf; screen-reader mode has no key name.
  const auto run = rig.run("wait 4\nmenu open\nwait 1\nmenu select mnuExtendedSearch\nwait 5\n"
                           "menu select mnuScreenreadermode\nwait 2\n",
                           cScriptRig::sampleBook());
  EXPECT_EQ(fncSaid(run, 4.9, 9.9), (std::vector<std::string>{"item_extendedsearch", "key_f10", "gen_disabled"}))
      << run.text();
  EXPECT_EQ(fncSaid(run, 9.9), (std::vector<std::string>{"item_screenreader"})) << run.text();
}

TEST(MenuScenario, ClosingTheMenusResumesABookThatWasPlaying) {
  cScriptRig rig;
  const auto run = rig.run("wait 4\nmenu open\nwait 1\nmenu select mnuFind\nwait 1\nmenu close\nwait 5\n",
                           cScriptRig::sampleBook());
  const auto* resumed = run.find("state", "playing", 6.0);
  ASSERT_NE(resumed, nullptr) << run.text();
  // The mode's caption is spoken on the way out (the book is paused then), then the book goes on.
  const auto* caption = run.find("say", "cap_reading", 6.0);
  ASSERT_NE(caption, nullptr) << run.text();
  EXPECT_LE(caption->t, resumed->t);
  EXPECT_LT(resumed->t, 9.0);
}

TEST(MenuScenario, ClosingTheMenusWhilePausedSaysTheModesCaptionAndLeavesTheBookPaused) {
  cScriptRig rig;
  const auto run = rig.run("wait 4\nSpace\nwait 1\nmenu open\nwait 1\nmenu close\nwait 3\n", cScriptRig::sampleBook());
  EXPECT_NE(run.find("say", "gen_menubar", 5.0), nullptr) << run.text();
  EXPECT_TRUE(fncbHas(fncSaid(run, 6.0), "cap_reading")) << run.text();
  EXPECT_EQ(run.find("state", "playing", 4.5), nullptr) << run.text();
}

TEST(MenuScenario, ChoosingStopWhilePlayingClosesTheMenusAndTheBookStaysStopped) {
  cScriptRig rig;
  const auto run = rig.run("wait 4\nmenu open\nwait 1\nmenu select mnuStop\nwait 1\nmenu choose mnuStop\nwait 4\n",
                           cScriptRig::sampleBook());
  EXPECT_NE(run.find("state", "stopped", 3.9), nullptr) << run.text();
  EXPECT_EQ(run.find("state", "playing", 4.0), nullptr) << run.text();
}

TEST(MenuScenario, InScreenReaderModeTheMenusSayNothing) {
  cScriptRig rig;
  const auto run = rig.run("wait 4\nmenu open\nmenu choose mnuScreenreadermode\nwait 3\n"
                           "menu open\nwait 1\nmenu select mnuTools\nwait 1\nmenu select mnuFind\nwait 1\n"
                           "menu close\nwait 1\n",
                           cScriptRig::sampleBook());
  // Choosing the item turns the mode on, and says so.
  EXPECT_TRUE(fncbHas(fncSaid(run, 4.0, 6.9), "gen_on")) << run.text();
  const auto said = fncSaid(run, 6.9, 9.9);
  for (const char* silent : {"gen_menubar", "menu_tools", "item_search", "key_f3"})
    EXPECT_FALSE(fncbHas(said, silent)) << silent << "\n" << run.text();
  // The book still pauses and resumes round the menus.
  EXPECT_NE(run.find("state", "stopped", 6.9), nullptr) << run.text();
  EXPECT_NE(run.find("state", "playing", 8.9), nullptr) << run.text();
}

TEST(MenuScenario, AMenuCommandThatIsNotUnderstoodIsReportedAndSkipped) {
  cScriptRig rig;
  const auto run = rig.run("menu\nmenu select\nmenu open now\nwait 0.5\n");
  EXPECT_NE(run.err.find("line 1"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("line 2"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("line 3"), std::string::npos) << run.err;
  EXPECT_EQ(run.lines.back().word, "exit");
}

}  // namespace
}  // namespace lyn::testing
