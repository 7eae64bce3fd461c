// Whole-program scenarios through the script front end: the sample book on the null sink and the
// virtual clock, with settings, bookmarks and drives of the test's own.

#include <gtest/gtest.h>

#include <cmath>

#include "shell/cSettingsTable.h"
#include "tests/shell/ScriptRig.h"

namespace lyn::testing {
namespace {

// The clips of the sample book in reading order, from a run that lets it play.
const std::vector<cClip>& fncBookClips() {
  static const std::vector<cClip> clips = [] {
    cScriptRig rig;
    const auto run = rig.run("wait 40\n", cScriptRig::sampleBook());
    std::vector<cClip> out;
    for (const auto& l : run.all("clip")) out.push_back(fncClip(l.rest));
    return out;
  }();
  return clips;
}

// The index in the book of the clip being heard at time `t` of `run`.
int fncClipAt(const cScriptRun& run, double t) {
  const auto clips = run.all("clip", 0, t);
  if (clips.empty()) return -1;
  const auto& book = fncBookClips();
  for (size_t i = 0; i < book.size(); ++i)
    if (book[i] == fncClip(clips.back().rest)) return int(i);
  return -1;
}

TEST(ScriptScenario, WithNoBookAndNoLastBookTheFirstControlTickOpensTheBookshelf) {
  cScriptRig rig;
  const auto run = rig.run("wait 1\n");
  const auto* shelf = run.find("mode", "3");
  ASSERT_NE(shelf, nullptr) << run.text();
  EXPECT_NEAR(shelf->t, 0.5, 0.011);
  EXPECT_EQ(run.lines.back().word, "exit");
}

TEST(ScriptScenario, TheProgramNameThenTheTitleAreSpoken) {
  cScriptRig rig;
  const auto run = rig.run("wait 3\n", cScriptRig::sampleBook());
  const auto* name = run.find("say", "gen_programname");
  const auto* title = run.find("play");
  ASSERT_TRUE(name && title) << run.text();
  EXPECT_LE(name->t, title->t);
  EXPECT_EQ(fncClip(title->rest).begin, 0.0);
  EXPECT_NE(run.find("highlight", 0, [](const std::string& r) { return r.find("Lighthouse") != std::string::npos; }),
            nullptr);
}

TEST(ScriptScenario, SpaceStopsAndStarts) {
  cScriptRig rig;
  const auto run = rig.run("wait 4\nSpace\nwait 1\nSpace\nwait 1\n", cScriptRig::sampleBook());
  const auto* stopped = run.find("state", "stopped", 3.9);
  const auto* playing = run.find("state", "playing", 4.5);
  ASSERT_TRUE(stopped && playing) << run.text();
  EXPECT_NEAR(stopped->t, 4.0, 0.015);
  EXPECT_NEAR(playing->t, 5.0, 0.015);
}

TEST(ScriptScenario, ARightTapMovesOnePhraseOnceTheMultiPressWindowHasPassed) {
  cScriptRig rig;
  const auto run = rig.run("wait 8.5\nRight\nwait 1\n", cScriptRig::sampleBook());
  const int before = fncClipAt(run, 8.5);
  const auto* moved = run.find("play", 8.5);
  ASSERT_TRUE(before >= 0 && moved) << run.text();
  EXPECT_NEAR(moved->t, 8.7, 0.015);
  EXPECT_EQ(fncClip(moved->rest), fncBookClips().at(size_t(before + 1)));
}

TEST(ScriptScenario, ThreeQuickTapsMoveThreePhrases) {
  cScriptRig rig;
  const auto run = rig.run("wait 8.5\nRight\nwait 0.05\nRight\nwait 0.05\nRight\nwait 1\n", cScriptRig::sampleBook());
  const int before = fncClipAt(run, 8.5);
  const auto moves = run.all("play", 8.5, 9.5);
  ASSERT_EQ(moves.size(), 1u) << run.text();
  EXPECT_EQ(fncClip(moves[0].rest), fncBookClips().at(size_t(before + 3)));
}

TEST(ScriptScenario, HoldingRightFastForwardsUntilReleased) {
  cScriptRig rig;
  const auto run = rig.run("wait 6\nhold Right 3\nwait 2\n", cScriptRig::sampleBook());
  const auto* ffw = run.find("state", "fastforward", 6);
  ASSERT_NE(ffw, nullptr) << run.text();
  EXPECT_NEAR(ffw->t, 6.8, 0.03);
  const auto jumps = run.all("play", 6.8, 9.0);
  ASSERT_GE(jumps.size(), 2u) << run.text();
  EXPECT_GT(fncClip(jumps.back().rest).begin, fncClip(jumps.front().rest).begin);
  const auto* after = run.find("state", 9.0);
  ASSERT_NE(after, nullptr);
  EXPECT_NE(after->rest, "fastforward");
  EXPECT_EQ(run.find("state", "fastforward", 9.05), nullptr);
}

TEST(ScriptScenario, UpChangesTheUnitWithItsPrompt) {
  cScriptRig rig;
  const auto run = rig.run("wait 4\nUp\nwait 2\n", cScriptRig::sampleBook());
  const auto* unit = run.find("say", 4, [](const std::string& r) { return r.rfind("nav_", 0) == 0; });
  ASSERT_NE(unit, nullptr) << run.text();
  EXPECT_NE(unit->rest, "nav_phrase");
  EXPECT_NE(run.find("label", 4, [](const std::string& r) { return r.rfind("laNavigationText", 0) == 0; }), nullptr);
}

TEST(ScriptScenario, HomeWithTheBookStoppedRaisesTheSpeedAndSpeaksTheStep) {
  cScriptRig rig;
  const auto run = rig.run("wait 4\nSpace\nwait 0.5\nHome\nwait 2\n", cScriptRig::sampleBook());
  const auto* speed = run.find("say", "con_speed", 4.5);
  ASSERT_NE(speed, nullptr) << run.text();
  EXPECT_NE(run.find("label", "laCurrRate 1", 4.5), nullptr);
}

TEST(ScriptScenario, F6ShowsTheFullTextWithThePhraseHighlightedAtOnce) {
  cScriptRig rig;
  const auto run = rig.run("wait 3\nF6\nwait 0.5\nF5\nwait 0.5\n", cScriptRig::sampleBook());
  const auto* text = run.find("show", 3, [](const std::string& r) { return r.find("content.html#") != std::string::npos; });
  ASSERT_NE(text, nullptr) << run.text();
  const std::string id = text->rest.substr(text->rest.find('#') + 1);
  const auto* lit = run.find("highlight", text->t, [&](const std::string& r) { return r.rfind(id + " ", 0) == 0; });
  ASSERT_NE(lit, nullptr) << run.text();
  EXPECT_LT(lit->t - text->t, 0.005) << run.text();
  // F5 goes back: the navigation point is highlighted in the NCC at once.
  const auto* ncc = run.find("show", 3.4, [](const std::string& r) { return r.find("ncc.html#") != std::string::npos; });
  ASSERT_NE(ncc, nullptr) << run.text();
  const auto* point = run.find("highlight", ncc->t);
  ASSERT_NE(point, nullptr) << run.text();
  EXPECT_LT(point->t - ncc->t, 0.005) << run.text();
}

TEST(ScriptScenario, F4GoesToAPage) {
  cScriptRig rig;
  const auto run = rig.run("wait 10\nF4\nwait 0.5\ntype i\nEnter\nwait 2\n", cScriptRig::sampleBook());
  ASSERT_NE(run.find("dialog", "gotopage", 10), nullptr) << run.text();
  const auto* result = run.find("dialog-result", 10);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->rest, "gotopage 2");
  const auto* page = run.find("highlight", result->t);
  ASSERT_NE(page, nullptr) << run.text();
  // Page i, in whichever view the book is shown.
  EXPECT_TRUE(page->rest.ends_with(" i")) << page->rest;
}

TEST(ScriptScenario, F12ThenEnterQuitsAndTheNextRunResumesOnThePhrase) {
  cScriptRig rig;
  const auto first = rig.run("wait 12\nF12\nwait 0.5\nEnter\n", cScriptRig::sampleBook());
  ASSERT_NE(first.find("dialog-result", "quit yes"), nullptr) << first.text();
  EXPECT_EQ(first.lines.back().word, "exit");
  const auto lastClip = first.all("clip", 0, 12).back();
  const double heard = fncClip(lastClip.rest).begin + (12.0 - lastClip.t);

  // The second start needs no book: the last book read is in the settings.
  const auto second = rig.run("wait 8\n");
  const auto plays = second.all("play");
  ASSERT_GE(plays.size(), 2u) << second.text();
  const cClip resumed = fncClip(plays[1].rest);  // after the title
  EXPECT_EQ(resumed.file, fncClip(lastClip.rest).file);
  EXPECT_LE(resumed.begin, heard);
  EXPECT_GE(resumed.begin, heard - 4.0);
}

TEST(ScriptScenario, AMissingPromptFileGivesError601AndTheProgramRunsOn) {
  cScriptRig rig;
  TempFolder empty;
  const auto run = rig.run("wait 3\n", cScriptRig::sampleBook(), empty.path().string());
  ASSERT_FALSE(run.lines.empty());
  EXPECT_EQ(run.lines.front().word, "error");
  EXPECT_EQ(run.lines.front().rest, "601 Init phrasemodule");
  EXPECT_NE(run.find("state", "playing"), nullptr) << run.text();
  EXPECT_EQ(run.lines.back().word, "exit");
}

TEST(ScriptScenario, EachModeSwitchSetsTheEnabledState) {
  cScriptRig rig;
  const auto run = rig.run("wait 2\nF2\nwait 1\nF1\nwait 1\nF1\nwait 1\n", cScriptRig::sampleBook());
  const auto row = [&](double from, double to) {
    std::string s;
    for (const auto& l : run.all("enabled", from, to)) s += l.rest + ";";
    return s;
  };
  ASSERT_NE(run.find("mode", "3", 2), nullptr) << run.text();
  EXPECT_EQ(row(2, 2.5),
            "mnuExtendedSearch on;mnuGotoPage off;mnuBookInfo off;cbGotoPage off;cbInfo off;cbBookshelf off;");
  ASSERT_NE(run.find("mode", "2", 3), nullptr);
  EXPECT_EQ(row(3, 3.5), "mnuExtendedSearch off;cbBookshelf on;cbHelp off;");
  ASSERT_NE(run.find("mode", "1", 4), nullptr);
  EXPECT_EQ(row(4, 4.5), "mnuGotoPage on;mnuBookInfo on;cbGotoPage on;cbInfo on;cbHelp on;");
}

TEST(ScriptScenario, TheStartButtonBlinksWhileTheBookPlays) {
  cScriptRig rig;
  const auto run = rig.run("wait 7\nSpace\nwait 3\n", cScriptRig::sampleBook());
  const auto blinks = run.all("button", 1, 6.99);
  ASSERT_GE(blinks.size(), 4u) << run.text();
  for (size_t i = 1; i < blinks.size(); ++i) {
    EXPECT_NE(blinks[i].rest, blinks[i - 1].rest);
    EXPECT_NEAR(blinks[i].t - blinks[i - 1].t, 1.0, 0.011) << run.text();
  }
  // Stopped: the icon is back within two periods and stays.
  const auto after = run.all("button", 7.0);
  ASSERT_FALSE(after.empty());
  EXPECT_EQ(after.back().rest, "cbStart on");
  EXPECT_LE(after.back().t, 7.0 + 1.0);
}

TEST(ScriptScenario, TheAboutBoxPausesSpeaksTheVersionAndResumes) {
  cScriptRig rig;
  const auto run = rig.run("wait 4\npost ABOUT\nwait 3\nEnter\nwait 1\n", cScriptRig::sampleBook());
  ASSERT_NE(run.find("dialog", "about", 4), nullptr) << run.text();
  EXPECT_NE(run.find("state", "stopped", 4), nullptr);
  const auto says = run.all("say", 4, 7);
  ASSERT_GE(says.size(), 4u) << run.text();
  EXPECT_EQ(says[0].rest, "about_version");
  EXPECT_EQ(says[1].rest, "uc_49");
  EXPECT_EQ(says[2].rest, "uc_46");
  EXPECT_EQ(says[3].rest, "uc_49");
  const auto* closed = run.find("dialog-result", "about closed", 7);
  ASSERT_NE(closed, nullptr);
  EXPECT_NE(run.find("state", "playing", closed->t), nullptr);
}

}  // namespace
}  // namespace lyn::testing

namespace lyn::testing {
namespace {

TEST(ScriptScenario, QuittingFromTheBookshelfSavesTheUsersSpeedAndVolume) {
  cScriptRig rig;
  const auto run = rig.run("wait 3\nHome\nwait 0.5\nHome\nwait 0.5\nPageDown\nwait 0.5\nF2\nwait 1\n",
                           cScriptRig::sampleBook());
  ASSERT_NE(run.find("mode", "3"), nullptr) << run.text();
  ASSERT_NE(run.find("label", "laCurrRate 2"), nullptr) << run.text();
  cRegistry settings(rig.folder / "registry.ini");
  int32_t tempo = 0, volume = 0;
  settings.fncReadValue("tempo", tempo, eRegistryRoot::CurrentUser, kKeyMisc);
  settings.fncReadValue("volume", volume, eRegistryRoot::CurrentUser, kKeyMisc);
  EXPECT_EQ(tempo, 7);
  EXPECT_EQ(volume, 7);
}

}  // namespace
}  // namespace lyn::testing
