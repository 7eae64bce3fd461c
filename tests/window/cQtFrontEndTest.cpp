// The window on the real application: the sample book played on the virtual clock, the window
// showing it.

#include "shell/window/cQtFrontEnd.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <set>

#include "shell/cApplication.h"
#include "tests/TempFolder.h"

namespace lyn {
namespace {

const std::string kDataFolder = LYN_BUILD_DATA_DIR;

class QtFrontEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(kDataFolder + "/sample-book/ncc.html")) << "the sample book is not built";
    options.sProgramFolder = kDataFolder + "/";
    options.registryFile = home / "registry.ini";
    options.sUserDataFolder = (home / "data").string();
    options.sAudio = "null";
    options.bolVirtualClock = true;
    options.sBook = kDataFolder + "/sample-book";
    options.bolCheckPrerequisites = false;
  }
  testing::TempFolder home;
  cApplicationOptions options;
};

TEST_F(QtFrontEnd, TheWindowFollowsTheBookPhraseByPhrase) {
  cQtFrontEnd frontEnd;
  std::set<std::string> highlighted;
  int loads = 0;
  frontEnd.subSetTurnHook([&](cApplication&, int64_t turn) {
    const std::string id = frontEnd.form().view().fncHighlightedId();
    if (!id.empty()) highlighted.insert(frontEnd.form().view().fncAddress() + " " + id);
    loads = frontEnd.form().view().fncLoadCount();
    return turn < 3000;  // 30 seconds of program time
  });
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);

  // The highlight moved on with the audio, mostly within a document already shown.
  EXPECT_GE(highlighted.size(), 3u);
  EXPECT_LT(loads, static_cast<int>(highlighted.size()));
  EXPECT_NE(frontEnd.form().windowTitle().toStdString().find("LYN Reader"), std::string::npos);
  const auto* volume = static_cast<QLabel*>(frontEnd.form().fncControl(eControl::laCurrVolume));
  EXPECT_FALSE(volume->text().isEmpty());
  EXPECT_FALSE(frontEnd.form().fncControl(eControl::cbStart)->toolTip().isEmpty());
}

}  // namespace
}  // namespace lyn

namespace lyn {
namespace {

TEST_F(QtFrontEnd, TheCloseBoxBringsUpTheConfirmationAndNoGoesOnReading) {
  cQtFrontEnd frontEnd;
  std::vector<std::string> seen;
  frontEnd.subSetTurnHook([&](cApplication&, int64_t turn) {
    fDialogForm& dialog = frontEnd.dialog();
    if (turn == 300) {
      EXPECT_FALSE(frontEnd.form().close());  // the window stays; the application asks
    }
    if (turn > 300 && dialog.isVisible() && seen.empty()) {
      seen.push_back(dialog.fncName());
      QTest::mouseClick(dialog.fncButton("cmNo"), Qt::LeftButton);
    }
    if (turn > 300 && !seen.empty() && !dialog.isVisible() && seen.size() == 1) seen.push_back("closed");
    return turn < 600;
  });
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"quit", "closed"}));
}

}  // namespace
}  // namespace lyn

namespace lyn {
namespace {

TEST_F(QtFrontEnd, F8AndF7ChangeTheStyleOfTheDocumentShown) {
  cQtFrontEnd frontEnd;
  std::optional<cHighlightColours> afterF8;
  std::optional<cHighlightColours> afterF7 = cHighlightColours{};
  frontEnd.subSetTurnHook([&](cApplication&, int64_t turn) {
    cTextBrowserView& view = frontEnd.form().view();
    if (turn == 200) QTest::keyClick(&view, Qt::Key_F8);
    if (turn == 300) afterF8 = view.fncSheetColours();
    if (turn == 400) QTest::keyClick(&view, Qt::Key_F7);
    if (turn == 500) afterF7 = view.fncSheetColours();
    return turn < 600;
  });
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);
  ASSERT_TRUE(afterF8);  // the first pair's sheet, with its highlight colours
  EXPECT_EQ(afterF8->sBackground, "#ffd54a");
  EXPECT_FALSE(afterF7);  // back to no style
}

}  // namespace
}  // namespace lyn
