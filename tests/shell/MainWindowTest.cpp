#include <gtest/gtest.h>

#include <fstream>

#include "shell/KeyCodes.h"
#include "shell/cMainWindow.h"
#include "audio/cPositionCheckTimer.h"
#include "shell/iFrontEnd.h"
#include "tests/shell/AppTestDoubles.h"

namespace lyn::testing {
namespace {

class cRecordingFrontEnd final : public iFrontEnd {
 public:
  bool fncbTurn(cApplication&) override { return true; }
  void subShowHighlight(const std::string& id, const std::string& text) override { lines.push_back("highlight " + id + " " + text); }
  void subShowCaption(const std::string& c) override { lines.push_back("caption " + c); }
  void subShowAddress(const std::string& a) override { lines.push_back("show " + a); }
  std::vector<std::string> lines;
};

// A mode that records the links it is sent.
class cLinkMode final : public iMode {
 public:
  explicit cLinkMode(cModeServices& s) : iMode(s) {}
  int32_t fnclModeNumber() const override { return 3; }
  std::string fncClassCaption() override { return caption; }
  void subClickedOn(const std::string& href, const std::string& parent) override { clicks.push_back(href + "|" + parent); }
  std::vector<std::string> clicks;
  std::string caption = "Bookshelf - ";
};

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() : window(rig.app, *rig.prompts, *rig.bookPlayer, rig.speed, modes, view) {}

  // The rig's modes, but the current one is the link mode.
  class cModes final : public iModeSet {
   public:
    explicit cModes(MainWindowTest& t) : mTest(t) {}
    iMode* fncCurrentMode() override { return &mTest.mode; }
    iMode& fncMode(eModeNumber) override { return mTest.mode; }
    void subSetCurrentMode(eModeNumber) override {}

   private:
    MainWindowTest& mTest;
  };

  std::string posted() {
    std::string names;
    while (rig.app.queue().hasNext()) names += rig.app.queue().fncgetNextMessageQueueItem()->fncgetMessageName() + " ";
    rig.app.queue().subclearQue();
    return names;
  }

  cDispatcherRig rig;
  cLinkMode mode{*rig.services};
  cModes modes{*this};
  cRecordingFrontEnd view;
  cMainWindow window;
};

TEST_F(MainWindowTest, EnterOnAListEntryFollowsTheLinkItHolds) {
  const auto page = rig.user / "booklist.html";
  std::ofstream(page) << "<html><body><h1 id='b1'><a href='/books/one/ncc.html'>One</a></h1>"
                         "<h1 id='b2'><a href='/books/two/ncc.html'>Two</a></h1></body></html>";
  window.subDoNavigate(page.string() + "#b2");
  window.subSetFocusInHTMLDocument("b2");
  EXPECT_EQ(view.lines.back(), "highlight b2 Two");
  window.subDocumentKeyDown(cKey{key::Enter, 0, 0});
  EXPECT_EQ(mode.clicks, (std::vector<std::string>{"/books/two/ncc.html|b2"}));
  EXPECT_TRUE(rig.queuedPrompts().empty());

  // Tab wraps round from the last link to the first; Enter then takes that one.
  window.subDocumentKeyDown(cKey{key::Tab, 0, 0});
  window.subDocumentKeyDown(cKey{key::Enter, 0, 0});
  EXPECT_EQ(mode.clicks.back(), "/books/one/ncc.html|b1");
}

TEST_F(MainWindowTest, EnterOutsideAnyLinkSoundsTheIndicator) {
  window.subDocumentKeyDown(cKey{key::Enter, 0, 0});
  EXPECT_TRUE(mode.clicks.empty());
  EXPECT_EQ(rig.queuedPrompts(), (std::vector<std::string>{"sfx_indicator3"}));
  EXPECT_EQ(posted(), "PLAYNEXTPROMPT UPDATEINTERFACE AFTEREVENT ");
}

TEST_F(MainWindowTest, TheCaptionGoesToTheSettingsAtMostOnceASecond) {
  cPositionCheckTimer timer;
  const auto saved = [&] {
    std::string caption;
    rig.app.registry().fncReadValue("caption", caption, eRegistryRoot::CurrentUser, kKeyTemporary);
    return caption;
  };
  window.subSetCaption("first");
  EXPECT_EQ(saved(), "first");
  for (int i = 0; i < 50; ++i) {
    window.subSetCaption("phrase " + std::to_string(i));
    window.subTimerTick(timer);
  }
  EXPECT_EQ(saved(), "first");
  for (int i = 0; i < 50; ++i) window.subTimerTick(timer);
  EXPECT_EQ(saved(), "phrase 49");
  window.subSetCaption("last");
  window.subFlushCaption();
  EXPECT_EQ(saved(), "last");
}

TEST_F(MainWindowTest, AltF4AsksForTheQuitAndOtherAltKeysPassThrough) {
  window.subDocumentKeyDown(cKey{key::F1 + 3, shift::Alt, 0});
  EXPECT_EQ(posted(), "QUIT AFTEREVENT ");
  window.subDocumentKeyDown(cKey{'B', shift::Alt, 0});
  EXPECT_EQ(posted(), "AFTEREVENT ");
}

}  // namespace
}  // namespace lyn::testing
