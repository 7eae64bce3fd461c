// The window on the real application: the sample book played on the virtual clock, the window
// showing it.

#include "shell/window/cQtFrontEnd.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <algorithm>
#include <filesystem>
#include <set>

#include "platform/view/ViewGeometry.h"
#include "shell/cApplication.h"
#include "shell/cDocumentModel.h"
#include "shell/cMainWindow.h"
#include "shell/window/LanguageFont.h"
#include "tests/TempFolder.h"
#include "tests/window/SampleBookTest.h"
#include "tools/cSyntheticBook.h"

namespace lyn {
namespace {

class QtFrontEnd : public testing::SampleBookTest {};

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

namespace lyn {
namespace {

// What the window shows at one turn.
struct cShown {
  std::string sAddress;
  std::string sId;
  int32_t lLoads = 0;
};

cShown fncShown(cQtFrontEnd& frontEnd) {
  cTextBrowserView& view = frontEnd.form().view();
  return {view.fncAddress(), view.fncHighlightedId(), view.fncLoadCount()};
}

bool fncbShowing(const cShown& shown, const std::string& file) {
  return shown.sAddress.find("/" + file) != std::string::npos;
}

// Every prompt key waiting in the prompt queue or being spoken now.
std::set<std::string> fncQueuedPrompts(cApplication& app) {
  std::set<std::string> keys;
  const cPromptHandler& prompts = app.prompts();
  for (int32_t i = 1; i <= prompts.fncQueueCount(); ++i)
    for (const std::string& key : prompts.fncBatch(i).ids) keys.insert(key);
  return keys;
}

bool fncbBookPlaying(cApplication& app) { return app.bookPlayer().mlCurrentAudioState == 1; }

// A point inside the text of the element with this id.
QPoint fncPointOf(cTextBrowserView& view, const std::string& id) {
  const auto range = view.fncElementRange(id);
  if (!range) return {};
  QTextCursor cursor(view.document());
  cursor.setPosition(range->first + 1);
  return view.cursorRect(cursor).center();
}

TEST_F(QtFrontEnd, TwoTextElementsOfOneFileMoveTheHighlightWithoutAReload) {
  cQtFrontEnd frontEnd;
  std::vector<cShown> seen;
  frontEnd.subSetTurnHook([&](cApplication&, int64_t turn) {
    if (turn == 100) QTest::keyClick(&frontEnd.form().view(), Qt::Key_F6);  // the full text
    const cShown shown = fncShown(frontEnd);
    if (turn > 100 && fncbShowing(shown, "content.html") && !shown.sId.empty() &&
        (seen.empty() || seen.back().sId != shown.sId))
      seen.push_back(shown);
    return turn < 1500;
  });
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);
  ASSERT_GE(seen.size(), 3u);
  // The first element loaded the file; each one after it only moved the highlight.
  for (size_t i = 1; i < seen.size(); ++i) {
    EXPECT_NE(seen[i].sId, seen[i - 1].sId);
    EXPECT_EQ(seen[i].lLoads, seen[0].lLoads) << seen[i].sId;
  }
}

TEST_F(QtFrontEnd, ATextElementInAnotherFileLoadsThatFileAndHighlightsTheElement) {
  // A book with a content file per SMIL file, read in the full text view.
  tools::SyntheticOptions book;
  book.lPoints = 4;
  book.lSmilFiles = 2;
  book.lPars = 8;
  book.bolSilent = true;
  book.dClipSeconds = 0.3;
  book.lPageEvery = 0;
  std::string error;
  ASSERT_TRUE(tools::cSyntheticBook::fncbMake(book, home / "book", error)) << error;
  options.sBook = (home / "book").string();
  cQtFrontEnd frontEnd;
  std::vector<cShown> files;  // the first turn of each content file shown with a highlight
  frontEnd.subSetTurnHook([&](cApplication& app, int64_t turn) {
    cTextBrowserView& view = frontEnd.form().view();
    if (turn == 60) QTest::keyClick(&view, Qt::Key_F6);
    if (turn == 70 && !fncbBookPlaying(app)) QTest::keyClick(&view, Qt::Key_Space);
    const cShown shown = fncShown(frontEnd);
    const std::string file = shown.sAddress.substr(0, shown.sAddress.find('#'));
    if (turn > 70 && !shown.sId.empty() && file.find("ncc.html") == std::string::npos &&
        (files.empty() || files.back().sAddress.substr(0, files.back().sAddress.find('#')) != file))
      files.push_back(shown);
    return turn < 600;
  });
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);
  ASSERT_GE(files.size(), 2u) << "the book did not reach its second content file";
  // The second file was read once, and the focus landed on the element of the new file.
  EXPECT_EQ(files[1].lLoads, files[0].lLoads + 1);
  EXPECT_NE(files[1].sAddress.find("#" + files[1].sId), std::string::npos) << files[1].sAddress;
}

TEST_F(QtFrontEnd, F5NeverReloadsTheView) {
  cQtFrontEnd frontEnd;
  cShown before;
  cShown after;
  frontEnd.subSetTurnHook([&](cApplication&, int64_t turn) {
    cTextBrowserView& view = frontEnd.form().view();
    if (turn == 100) {
      before = fncShown(frontEnd);
      QTest::keyClick(&view, Qt::Key_F5);  // already the NCC view
    }
    if (turn == 130) after = fncShown(frontEnd);
    return turn < 150;
  });
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);
  EXPECT_TRUE(fncbShowing(before, "ncc.html")) << before.sAddress;
  EXPECT_EQ(after.lLoads, before.lLoads);
  EXPECT_TRUE(fncbShowing(after, "ncc.html")) << after.sAddress;
}

TEST_F(QtFrontEnd, AClickOnALinkOfTheNccIsNotFollowedByTheViewButHandledByTheMode) {
  cQtFrontEnd frontEnd;
  cShown before;
  std::vector<cShown> afterwards;
  frontEnd.subSetTurnHook([&](cApplication&, int64_t turn) {
    cTextBrowserView& view = frontEnd.form().view();
    if (turn == 100) {
      before = fncShown(frontEnd);
      QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, fncPointOf(view, "n6"));
    }
    if (turn > 100) afterwards.push_back(fncShown(frontEnd));
    return turn < 200;
  });
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);
  ASSERT_TRUE(fncbShowing(before, "ncc.html")) << before.sAddress;
  ASSERT_EQ(before.sId, "n1");
  bool movedThere = false;
  for (const cShown& shown : afterwards) {
    // The view never went to the link's SMIL file, nor read the NCC again.
    EXPECT_TRUE(fncbShowing(shown, "ncc.html")) << shown.sAddress;
    EXPECT_EQ(shown.lLoads, before.lLoads);
    movedThere = movedThere || shown.sId == "n6";
  }
  EXPECT_TRUE(movedThere);  // the reading mode went to the chapter
}

TEST_F(QtFrontEnd, ShiftTabFromTheFirstLinkWrapsToTheLastAndTabBackToTheFirst) {
  cQtFrontEnd frontEnd;
  std::optional<cLinkHit> afterShiftTab;
  std::optional<cLinkHit> afterTab;
  std::optional<int32_t> modelAfterShiftTab;
  std::string lastHref;
  std::string firstHref;
  frontEnd.subSetTurnHook([&](cApplication& app, int64_t turn) {
    cTextBrowserView& view = frontEnd.form().view();
    if (turn == 100) QTest::keyClick(&view, Qt::Key_Space);  // the highlight stays on n1
    if (turn == 150) QTest::keyClick(&view, Qt::Key_Backtab, Qt::ShiftModifier);
    if (turn == 160) {
      afterShiftTab = view.fncFocusedLink();
      modelAfterShiftTab = app.window().fncFocusedLink();
      const cDocumentModel& document = app.window().fncDocument();
      lastHref = document.fncHref(document.fncLinks().back());
      firstHref = document.fncHref(document.fncLinks().front());
      QTest::keyClick(&view, Qt::Key_Tab);
    }
    if (turn == 170) afterTab = view.fncFocusedLink();
    return turn < 180;
  });
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);
  ASSERT_TRUE(afterShiftTab && afterTab);
  EXPECT_EQ(afterShiftTab->sHref, lastHref);
  ASSERT_TRUE(modelAfterShiftTab);
  EXPECT_GT(*modelAfterShiftTab, 0);
  EXPECT_EQ(afterTab->sHref, firstHref);
}

// The top of the line where the element's text begins, in pixels from the document's top.
int fncElementTop(cTextBrowserView& view, int32_t ilPosition) {
  QTextDocument* doc = view.document();
  const QTextBlock block = doc->findBlock(ilPosition);
  double top = doc->documentLayout()->blockBoundingRect(block).top();
  if (const QTextLayout* lines = block.layout(); lines && lines->lineCount() > 0)
    top += lines->lineForTextPosition(ilPosition - block.position()).y();
  return static_cast<int>(top);
}

TEST_F(QtFrontEnd, TheHighlightedElementIsScrolledToTheMiddleOfTheViewOrLeavesItAtTheTop) {
  cQtFrontEnd frontEnd;
  struct cSeen {
    int lTop, lScroll, lViewHeight, lMaximum;
  };
  std::vector<cSeen> seen;
  frontEnd.subSetTurnHook([&](cApplication&, int64_t turn) {
    cTextBrowserView& view = frontEnd.form().view();
    if (turn == 50) QTest::keyClick(&view, Qt::Key_F6);
    if (turn > 60 && turn % 20 == 0) {
      if (const auto range = view.fncElementRange(view.fncHighlightedId()))
        seen.push_back({fncElementTop(view, range->first), view.verticalScrollBar()->value(),
                        view.viewport()->height(), view.verticalScrollBar()->maximum()});
    }
    return turn < 4000;
  });
  frontEnd.form().resize(600, 420);  // a small view, so the text is longer than it
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);
  ASSERT_FALSE(seen.empty());
  bool sawTop = false;
  bool sawMiddle = false;
  for (const cSeen& s : seen) {
    // Top minus half the view, never above the document's top nor past its end: an element at
    // 2000 px in a 600-px view scrolls to 1700, one at 100 px leaves the view at its top.
    EXPECT_EQ(s.lScroll, std::clamp(s.lTop - s.lViewHeight / 2, 0, std::max(s.lMaximum, 0))) << s.lTop;
    EXPECT_EQ(s.lScroll, fncScrollTarget(s.lTop, s.lViewHeight, s.lMaximum)) << s.lTop;
    sawTop = sawTop || (s.lTop < s.lViewHeight / 2 && s.lScroll == 0);
    sawMiddle = sawMiddle || (s.lScroll > 0 && s.lScroll < s.lMaximum);
  }
  EXPECT_TRUE(sawTop);
  EXPECT_TRUE(sawMiddle) << "the text fits the view: nothing to scroll";
}

TEST_F(QtFrontEnd, TheMenusPauseTheBookAndResumeItAlsoAfterMovingToTheNextMenu) {
  cQtFrontEnd frontEnd;
  bool playingBefore = false;
  bool pausedInFirstMenu = false;
  bool menubarSaid = false;
  bool pausedInNextMenu = false;
  bool titleSaid = false;
  std::string nextMenu;
  bool playingAfter = false;
  std::vector<std::string> said;
  frontEnd.subSetPromptHook([&](const std::string& key) { said.push_back(key); });
  frontEnd.subSetTurnHook([&](cApplication& app, int64_t turn) {
    fMainForm& form = frontEnd.form();
    if (turn == 300) {
      playingBefore = fncbBookPlaying(app);
      said.clear();
      QMenuBar* bar = form.menuBar();
      QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(form.fncMenu("mnuFile")->menuAction()).center());
    }
    if (turn == 310) {
      pausedInFirstMenu = app.state().bolInMenu && !fncbBookPlaying(app);
      // "Menu bar", then the title of the menu that opened.
      menubarSaid = said == std::vector<std::string>{"gen_menubar", "menu_file"};
      said.clear();
      // Right moves the menu bar on to the next menu: Qt hides one popup and shows the other.
      if (QWidget* popup = QApplication::activePopupWidget()) QTest::keyClick(popup, Qt::Key_Right);
    }
    if (turn == 330) {
      pausedInNextMenu = app.state().bolInMenu && !fncbBookPlaying(app);
      if (QWidget* popup = QApplication::activePopupWidget()) {
        nextMenu = popup->objectName().toStdString();
        popup->hide();
      }
    }
    if (turn == 320) titleSaid = !said.empty() && said.front() == "menu_control";
    if (turn > 330 && fncbBookPlaying(app)) playingAfter = true;
    return turn < 800;
  });
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);
  EXPECT_TRUE(playingBefore);
  EXPECT_TRUE(pausedInFirstMenu);
  EXPECT_TRUE(menubarSaid);
  EXPECT_EQ(nextMenu, "mnuPlayback");
  EXPECT_TRUE(pausedInNextMenu);  // the loop did not end between the two menus
  EXPECT_TRUE(titleSaid);
  EXPECT_TRUE(playingAfter);
}

TEST_F(QtFrontEnd, InScreenReaderModeTheMenusSayNothing) {
  cQtFrontEnd frontEnd;
  std::set<std::string> said;
  bool checked = false;
  bool paused = false;
  frontEnd.subSetTurnHook([&](cApplication& app, int64_t turn) {
    fMainForm& form = frontEnd.form();
    if (turn == 100) form.fncMenuAction("mnuScreenreadermode")->trigger();
    if (turn == 300) {
      checked = form.fncMenuAction("mnuScreenreadermode")->isChecked();
      QMenuBar* bar = form.menuBar();
      QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(form.fncMenu("mnuTools")->menuAction()).center());
    }
    if (turn == 310) {
      QMenu* tools = form.fncMenu("mnuTools");
      tools->setActiveAction(form.fncMenuAction("mnuFind"));
      QTest::keyClick(tools, Qt::Key_Down);
      paused = !fncbBookPlaying(app);
    }
    if (turn > 300 && turn < 330) {
      const auto keys = fncQueuedPrompts(app);
      said.insert(keys.begin(), keys.end());
    }
    if (turn == 330) form.fncMenu("mnuTools")->hide();
    return turn < 400;
  });
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);
  EXPECT_TRUE(checked);
  EXPECT_TRUE(paused);  // the menus still pause the book
  for (const char* silent : {"gen_menubar", "menu_tools", "item_search", "key_f3", "item_gotopage", "key_f4"})
    EXPECT_EQ(said.count(silent), 0u) << silent;
}

TEST_F(QtFrontEnd, TheMenusSayTheHighlightedItemWithItsKeyNameAndADisabledOneAsDisabled) {
  cQtFrontEnd frontEnd;
  std::set<std::string> onFind;
  std::set<std::string> onExtendedSearch;
  frontEnd.subSetTurnHook([&](cApplication& app, int64_t turn) {
    fMainForm& form = frontEnd.form();
    QMenu* tools = form.fncMenu("mnuTools");
    if (turn == 300) {
      QMenuBar* bar = form.menuBar();
      QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(tools->menuAction()).center());
    }
    if (turn == 310) tools->setActiveAction(form.fncMenuAction("mnuFind"));
    if (turn == 312) onFind = fncQueuedPrompts(app);
    if (turn == 320) tools->setActiveAction(form.fncMenuAction("mnuExtendedSearch"));
    if (turn == 322) onExtendedSearch = fncQueuedPrompts(app);
    if (turn == 330) tools->hide();
    return turn < 400;
  });
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);
  EXPECT_EQ(onFind, (std::set<std::string>{"item_search", "key_f3"}));
  EXPECT_EQ(onExtendedSearch, (std::set<std::string>{"item_extendedsearch", "key_f10", "gen_disabled"}));
}

// The quit confirmation through the window: `keys` pressed in the dialog once it is open.
struct cQuitRun {
  bool bolDialogSeen = false;
  bool bolEnded = false;         // the program ended by itself (the quit was confirmed)
  bool bolPlayingAfter = false;  // the book went on (declined)
};

cQuitRun fncQuitWith(cApplicationOptions options, const std::vector<std::pair<Qt::Key, QString>>& keys) {
  cQtFrontEnd frontEnd;
  cQuitRun result;
  int64_t closedAt = 0;
  int64_t lastTurn = 0;
  frontEnd.subSetTurnHook([&](cApplication& app, int64_t turn) {
    lastTurn = turn;
    fDialogForm& dialog = frontEnd.dialog();
    if (turn == 300) QTest::keyClick(&frontEnd.form().view(), Qt::Key_F12);
    if (turn == 350 && dialog.isVisible() && dialog.fncName() == "quit") {
      result.bolDialogSeen = true;
      for (const auto& [key, text] : keys) {
        QTest::sendKeyEvent(QTest::Press, &dialog, key, text, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, &dialog, key, text, Qt::NoModifier);
      }
    }
    if (turn > 350 && !dialog.isVisible() && closedAt == 0) closedAt = turn;
    if (closedAt > 0 && fncbBookPlaying(app)) result.bolPlayingAfter = true;
    return turn < 900;
  });
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);
  // A confirmed quit ends the program before the turns run out.
  result.bolEnded = lastTurn < 900;
  return result;
}

TEST_F(QtFrontEnd, EnterOnEitherButtonOfTheQuitConfirmationQuits) {
  const auto onYes = fncQuitWith(std::move(options), {{Qt::Key_Return, QString()}});
  EXPECT_TRUE(onYes.bolDialogSeen);
  EXPECT_TRUE(onYes.bolEnded);
  SetUp();
  const auto onNo = fncQuitWith(std::move(options), {{Qt::Key_Tab, QString()}, {Qt::Key_Return, QString()}});
  EXPECT_TRUE(onNo.bolDialogSeen);
  EXPECT_TRUE(onNo.bolEnded);
}

TEST_F(QtFrontEnd, SpaceEscapeOrALetterDeclinesTheQuitAndTheBookGoesOn) {
  const std::vector<std::pair<Qt::Key, QString>> declines[] = {
      {{Qt::Key_Space, QStringLiteral(" ")}},
      {{Qt::Key_Escape, QString()}},
      {{Qt::Key_N, QStringLiteral("n")}},
  };
  for (const auto& keys : declines) {
    SetUp();
    const auto run = fncQuitWith(std::move(options), keys);
    EXPECT_TRUE(run.bolDialogSeen);
    EXPECT_FALSE(run.bolEnded);
    EXPECT_TRUE(run.bolPlayingAfter);
  }
}

TEST_F(QtFrontEnd, AJapaneseLocaleGivesEveryWidgetAndTheDialogTheJapaneseFaceFirstAtNinePoints) {
  const QLocale previous;
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  cQtFrontEnd frontEnd;
  QLocale::setDefault(previous);
  const auto font = fncLanguageFont(fncLocaleIdentifier("ja_JP"));
  ASSERT_TRUE(font);
  const QString face = QString::fromStdString(font->sFace);
  fMainForm& form = frontEnd.form();
  const QList<QWidget*> children = form.findChildren<QWidget*>();
  std::vector<QWidget*> widgets(children.begin(), children.end());
  widgets.push_back(&form);
  widgets.push_back(&frontEnd.dialog());
  for (QWidget* widget : widgets) {
    ASSERT_FALSE(widget->font().families().isEmpty());
    EXPECT_EQ(widget->font().families().first(), face) << widget->objectName().toStdString();
    EXPECT_EQ(widget->font().pointSize(), 9) << widget->objectName().toStdString();
  }
}

}  // namespace
}  // namespace lyn
