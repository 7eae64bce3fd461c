// The desktop's session and power events on the whole program: the machine going to sleep saves
// and pauses but keeps the book; the session ending saves and quits; a book folder handed over
// by a second copy is opened as if chosen.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cVariControl.h"
#include "modes/iMode.h"
#include "tests/shell/ScriptRig.h"

namespace lyn::testing {
namespace {

// A front end driven by a function of the turn number, recording the book's clips with the
// program time they began at.
class cTurnFrontEnd final : public iFrontEnd {
 public:
  using tTurn = std::function<bool(cApplication& app, int64_t turn)>;
  explicit cTurnFrontEnd(tTurn turn) : mTurn(std::move(turn)) {}

  bool fncbTurn(cApplication& app) override {
    mApp = &app;
    return mTurn(app, ++mlTurn);
  }
  void subShowClip(const std::string& file, double begin, double) override {
    clips.push_back({mApp ? mApp->fncdProgramTime() : 0.0, file, begin});
  }
  void subShowPlayerState(const std::string& state) override { states.push_back(state); }
  void subShowAddress(const std::string& address) override { addresses.push_back(address); }
  void subExit() override { exitTurn = mlTurn; }

  struct cClipSeen {
    double t;
    std::string file;
    double begin;
  };
  std::vector<cClipSeen> clips;
  std::vector<std::string> states;
  std::vector<std::string> addresses;
  int64_t exitTurn = -1;

 private:
  tTurn mTurn;
  cApplication* mApp = nullptr;
  int64_t mlTurn = 0;
};

// What the program has stored (settings and bookmarks), copied as it is at this moment; the
// settings name the copy's data folder.
void subCopyStoredState(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::ifstream in(from / "registry.ini");
  std::stringstream text;
  text << in.rdbuf();
  std::string settings = text.str();
  for (size_t at = 0; (at = settings.find(from.string(), at)) != std::string::npos; at += to.string().size())
    settings.replace(at, from.string().size(), to.string());
  std::ofstream(to / "registry.ini") << settings;
  std::filesystem::copy(from / "data", to / "data",
                        std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
}

TEST(Session, SleepPausesAndSavesThePlaceButKeepsTheBookAndRunsOn) {
  cScriptRig rig;
  cScriptRig afterPowerLoss;
  bool loadedAfterSleep = false, quitAfterSleep = true;
  int32_t stateAfterSleep = -1;
  std::string fileHeard;
  double heard = -1;
  cTurnFrontEnd frontEnd([&](cApplication& app, int64_t turn) {
    if (turn == 1200) {
      fileHeard = app.bookPlayer().psFileName();
      heard = app.bookPlayer().pdPosition();
      app.subSaveForSleep();
    }
    if (turn == 1202) {
      loadedAfterSleep = app.mode(eModeNumber::Reading).fncbBookLoaded();
      quitAfterSleep = app.state().bolQuit;
      stateAfterSleep = app.bookPlayer().mlCurrentAudioState;
      // The machine never wakes: what was stored now is all a later start finds.
      subCopyStoredState(rig.folder.path(), afterPowerLoss.folder.path());
    }
    if (turn == 1300) app.subPost("START");  // after waking, reading goes on
    return turn < 1600;
  });
  {
    cApplication app(rig.options(cScriptRig::sampleBook(), LYN_BUILD_DATA_DIR), frontEnd);
    EXPECT_EQ(app.fncRun(), 0);
  }
  EXPECT_TRUE(loadedAfterSleep);
  EXPECT_FALSE(quitAfterSleep);
  EXPECT_NE(stateAfterSleep, cAudioPlaybackSystem::kPlaying);
  EXPECT_GE(frontEnd.exitTurn, 1600);  // not ended by the sleep
  ASSERT_GE(frontEnd.states.size(), 3u);
  EXPECT_EQ(frontEnd.states.back(), "playing");  // resumed after waking

  // Reading starts again at the beginning of the phrase heard when the machine went to sleep.
  ASSERT_GT(heard, 0);
  const auto resumed = afterPowerLoss.run("wait 8\n");
  const auto plays = resumed.all("play");
  ASSERT_GE(plays.size(), 2u) << resumed.text();
  const cClip first = fncClip(plays[1].rest);  // after the title
  EXPECT_EQ(std::filesystem::path(fileHeard).filename(), first.file);
  EXPECT_LE(first.begin, heard + 0.001);
  EXPECT_GE(first.begin, heard - 4.0);
}

TEST(Session, SleepInTheBookshelfKeepsTheUsersSpeedNotTheListsOwn) {
  cScriptRig rig;
  cScriptRig afterPowerLoss;
  cTurnFrontEnd frontEnd([&](cApplication& app, int64_t turn) {
    if (turn == 50) app.speed().subSetSpeed(8);
    if (turn == 300) app.subPost("BOOKSHELF");
    if (turn == 600) app.subSaveForSleep();
    if (turn == 602) subCopyStoredState(rig.folder.path(), afterPowerLoss.folder.path());
    return turn < 700;
  });
  {
    cApplication app(rig.options(cScriptRig::sampleBook(), LYN_BUILD_DATA_DIR), frontEnd);
    EXPECT_EQ(app.fncRun(), 0);
  }
  const auto resumed = afterPowerLoss.run("wait 1\n");
  EXPECT_NE(resumed.find("label", "laCurrRate 3"), nullptr) << resumed.text();
}

TEST(Session, TheSessionEndingSavesAndEndsTheProgram) {
  cScriptRig rig;
  cTurnFrontEnd frontEnd([&](cApplication& app, int64_t turn) {
    if (turn == 1000) app.subEndSession();
    return turn < 5000;
  });
  {
    cApplication app(rig.options(cScriptRig::sampleBook(), LYN_BUILD_DATA_DIR), frontEnd);
    EXPECT_EQ(app.fncRun(), 0);
  }
  EXPECT_GE(frontEnd.exitTurn, 1000);
  EXPECT_LE(frontEnd.exitTurn, 1002);
  std::optional<cTurnFrontEnd::cClipSeen> last;
  for (const auto& clip : frontEnd.clips) last = clip;
  ASSERT_TRUE(last);
  const auto next = rig.run("wait 8\n");
  const auto plays = next.all("play");
  ASSERT_GE(plays.size(), 2u) << next.text();
  EXPECT_EQ(fncClip(plays[1].rest).file, last->file);
}

// A copy of the sample book in a folder of the test's own, so that two books can be told apart.
std::filesystem::path fncCopyOfTheSampleBook(const TempFolder& folder) {
  const auto copy = folder / "second_book";
  std::filesystem::copy(cScriptRig::sampleBook(), copy, std::filesystem::copy_options::recursive);
  return copy;
}

TEST(Session, ABookFolderHandedOverFromTheBookshelfIsOpenedAndRead) {
  cScriptRig rig;
  TempFolder books;
  const auto second = fncCopyOfTheSampleBook(books);
  cTurnFrontEnd frontEnd([&](cApplication& app, int64_t turn) {
    if (turn == 400) app.subPost("BOOKSHELF");
    if (turn == 700) app.subOpenBook(second.string());
    return turn < 1500;
  });
  std::string lastBook;
  eModeNumber mode = eModeNumber::Bookshelf;
  {
    cApplication app(rig.options(cScriptRig::sampleBook(), LYN_BUILD_DATA_DIR), frontEnd);
    EXPECT_EQ(app.fncRun(), 0);
    lastBook = app.state().sLastBookRead;
    mode = app.state().currentModeNumber;
  }
  EXPECT_EQ(std::filesystem::path(lastBook).lexically_normal(), second.lexically_normal());
  EXPECT_EQ(mode, eModeNumber::Reading);
  bool shown = false;
  for (const auto& address : frontEnd.addresses)
    shown = shown || address.find("second_book") != std::string::npos;
  EXPECT_TRUE(shown);
  EXPECT_TRUE(std::any_of(frontEnd.clips.begin(), frontEnd.clips.end(),
                          [](const auto& clip) { return clip.t > 7.5; }));  // and read
}

TEST(Session, AFolderWithoutABookIsRefusedAndTheBookStays) {
  cScriptRig rig;
  TempFolder empty;
  std::string lastBook;
  bool loaded = false;
  cTurnFrontEnd frontEnd([&](cApplication& app, int64_t turn) {
    if (turn == 500) app.subOpenBook(empty.path().string());
    if (turn == 700) loaded = app.mode(eModeNumber::Reading).fncbBookLoaded();
    return turn < 800;
  });
  {
    cApplication app(rig.options(cScriptRig::sampleBook(), LYN_BUILD_DATA_DIR), frontEnd);
    EXPECT_EQ(app.fncRun(), 0);
    lastBook = app.state().sLastBookRead;
  }
  EXPECT_TRUE(loaded);
  EXPECT_EQ(std::filesystem::path(lastBook).lexically_normal(),
            std::filesystem::path(cScriptRig::sampleBook()).lexically_normal());
}

}  // namespace
}  // namespace lyn::testing
