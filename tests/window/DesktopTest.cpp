// The window on the desktop: a second copy handing over its book folder, the bookshelf's
// file-open dialog, and the accessible tree a screen reader walks.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>
#include <set>

#include "platform/desktop/cLocalSocketInstance.h"
#include "shell/cApplication.h"
#include "shell/window/cFileOpenDialog.h"
#include "shell/window/cQtFrontEnd.h"
#include "shell/window/cWindowInstance.h"
#include "tests/TempFolder.h"
#include "tests/window/SampleBookTest.h"

namespace lyn {
namespace {

const std::string kDataFolder = LYN_BUILD_DATA_DIR;

class Desktop : public testing::SampleBookTest {};

TEST_F(Desktop, ASecondCopyHandsItsBookFolderToTheWindowWhichOpensIt) {
  testing::TempFolder runtime;
  testing::TempFolder books;
  const auto second = books / "handed_over";
  std::filesystem::copy(kDataFolder + "/sample-book", second, std::filesystem::copy_options::recursive);

  cQtFrontEnd frontEnd;
  cWindowInstance instance(runtime.path().string());
  instance.subSetWindow(&frontEnd);
  options.singleInstance = &instance;
  std::optional<eInstanceRole> laterCopy;
  std::string addressAfter;
  frontEnd.subSetTurnHook([&](cApplication&, int64_t turn) {
    if (turn == 300) {
      // Another start of the program, by the same user.
      cLocalSocketInstance later(runtime.path().string());
      laterCopy = later.fncClaim(second.string(), nullptr);
    }
    if (turn == 900) addressAfter = frontEnd.form().view().fncAddress();
    return turn < 900;
  });
  cApplication app(std::move(options), frontEnd);
  instance.subSetApplication(&app);
  EXPECT_EQ(app.fncRun(), 0);
  ASSERT_TRUE(laterCopy);
  EXPECT_EQ(*laterCopy, eInstanceRole::Second);
  EXPECT_EQ(std::filesystem::path(app.state().sLastBookRead).lexically_normal(), second.lexically_normal());
  EXPECT_NE(addressAfter.find("handed_over"), std::string::npos) << addressAfter;
}

TEST_F(Desktop, ASecondWindowProgramEndsAtOnceWhenOneRuns) {
  testing::TempFolder runtime;
  cLocalSocketInstance first(runtime.path().string());
  std::vector<std::string> heard;
  ASSERT_EQ(first.fncClaim("", [&](const std::string& book) { heard.push_back(book); }), eInstanceRole::First);

  cQtFrontEnd frontEnd;
  cWindowInstance instance(runtime.path().string());
  instance.subSetWindow(&frontEnd);
  options.singleInstance = &instance;
  options.sBook = "relative/book";
  int turns = 0;
  frontEnd.subSetTurnHook([&](cApplication&, int64_t) { return ++turns < 10; });
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);
  EXPECT_EQ(turns, 0);  // no loop ran
  for (int i = 0; i < 10000 && heard.empty(); ++i) QCoreApplication::processEvents();
  // The running copy gets a whole path, whatever folder it runs in.
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0], (std::filesystem::current_path() / "relative/book").lexically_normal().string());
}

// Whether a name filter of the dialog lets the file name through.
bool fncbFilterMatches(const QString& filter, const QString& name) {
  const QRegularExpression inParentheses(QStringLiteral("\\(([^)]*)\\)"));
  const auto match = inParentheses.match(filter);
  if (!match.hasMatch()) return false;
  for (const QString& pattern : match.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    // Qt compares names as the file system does, with case: so does this.
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern));
    if (re.match(name).hasMatch()) return true;
  }
  return false;
}

TEST(WindowInstance, ThePlaceIsClaimedOnceAndLaterChecksHearTheSameAnswer) {
  testing::TempFolder runtime;
  cWindowInstance first(runtime.path().string());
  EXPECT_TRUE(first.fncbClaim(""));
  EXPECT_TRUE(first.fncbClaim(""));  // the application's own check, after the window program's
  cWindowInstance later(runtime.path().string());
  EXPECT_FALSE(later.fncbClaim("/books/one"));
  EXPECT_FALSE(later.fncbClaim("/books/one"));
}

TEST(FileOpenDialog, StartsWithTheNccNameAndShowsOnlyNccFilesInAnyCase) {
  testing::TempFolder folder;
  cFileOpenDialog dialog;
  QStringList filters;
  QString startName;
  dialog.subSetRun([&](QFileDialog& shown) {
    filters = shown.nameFilters();
    // The name the user starts from, in the dialog's file name box.
    for (QLineEdit* box : shown.findChildren<QLineEdit*>())
      if (box->objectName() == QStringLiteral("fileNameEdit")) startName = box->text();
    shown.setDirectory(QString::fromStdString(folder.path().string()));
    shown.selectFile(QStringLiteral("NCC.HTM"));
    return int(QDialog::Accepted);
  });
  const auto chosen = dialog.fncShow(nullptr, "ncc.html");
  EXPECT_EQ(startName.toStdString(), "ncc.html");
  ASSERT_EQ(filters.size(), 1);
  for (const char* name : {"ncc.html", "ncc.htm", "NCC.HTML", "NCC.HTM", "Ncc.Html"})
    EXPECT_TRUE(fncbFilterMatches(filters[0], QString::fromLatin1(name))) << name;
  for (const char* name : {"ncc.xml", "index.html", "ncc.html.bak", "xncc.htm"})
    EXPECT_FALSE(fncbFilterMatches(filters[0], QString::fromLatin1(name))) << name;
  ASSERT_TRUE(chosen);
  EXPECT_EQ(*chosen, (folder / "NCC.HTM").string());
}

TEST(FileOpenDialog, CancellingChoosesNothing) {
  cFileOpenDialog dialog;
  dialog.subSetRun([](QFileDialog&) { return int(QDialog::Rejected); });
  EXPECT_FALSE(dialog.fncShow(nullptr, "ncc.html"));
}

TEST_F(Desktop, TheBookshelfsFileDialogIsTheWindows) {
  cQtFrontEnd frontEnd;
  int shown = 0;
  frontEnd.fileOpen().subSetRun([&](QFileDialog&) {
    ++shown;
    return int(QDialog::Rejected);
  });
  frontEnd.subSetTurnHook([](cApplication&, int64_t turn) { return turn < 5; });
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);
  EXPECT_FALSE(app.fncShowFileOpen());
  EXPECT_EQ(shown, 1);
}

// --- the accessible tree ------------------------------------------------------------------------

bool fncbNeedsName(QAccessible::Role role) {
  switch (role) {
    case QAccessible::PushButton:
    case QAccessible::StaticText:
    case QAccessible::MenuItem:
    case QAccessible::EditableText:
    case QAccessible::CheckBox:
    case QAccessible::Link:
    case QAccessible::Dialog:
    case QAccessible::Document:
      return true;
    default:
      return false;
  }
}

// Every visible element below `root` that must carry a name and has none, as "role path".
void subFindNameless(QAccessibleInterface* node, const std::string& path, std::vector<std::string>& nameless,
                     int& named) {
  if (!node || node->state().invisible) return;
  const std::string here = path + "/" + std::to_string(int(node->role()));
  if (fncbNeedsName(node->role())) {
    const QString name = node->text(QAccessible::Name).trimmed();
    if (name.isEmpty()) {
      QObject* object = node->object();
      nameless.push_back(here + (object ? " " + object->objectName().toStdString() : std::string()));
    } else {
      ++named;
    }
  }
  for (int i = 0; i < node->childCount(); ++i) subFindNameless(node->child(i), here, nameless, named);
}

TEST_F(Desktop, EveryButtonLabelMenuItemAndDialogFieldHasAnAccessibleName) {
  cQtFrontEnd frontEnd;
  std::vector<std::string> nameless;
  std::set<std::string> dialogsSeen;
  int named = 0, menuItems = 0;
  const auto walk = [&](QWidget* widget, const std::string& where) {
    int before = named;
    subFindNameless(QAccessible::queryAccessibleInterface(widget), where, nameless, named);
    return named - before;
  };
  frontEnd.subSetTurnHook([&](cApplication& app, int64_t turn) {
    fDialogForm& dialog = frontEnd.dialog();
    if (turn == 300) {
      EXPECT_GE(walk(&frontEnd.form(), "window"), 18 + 5);  // the buttons and the labels at least
      // The popups are windows of their own, outside the main window's tree until shown.
      for (QWidget* widget : QApplication::allWidgets()) {
        auto* menu = qobject_cast<QMenu*>(widget);
        if (!menu) continue;
        QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(menu);
        for (int i = 0; tree && i < tree->childCount(); ++i) {
          QAccessibleInterface* item = tree->child(i);
          if (!item || item->role() == QAccessible::Separator) continue;
          ++menuItems;
          if (item->text(QAccessible::Name).trimmed().isEmpty())
            nameless.push_back("menu " + menu->objectName().toStdString() + " item " + std::to_string(i));
        }
      }
      app.subPost("SEARCH");
    }
    if (turn == 400 && dialog.isVisible()) {
      dialogsSeen.insert(dialog.fncName());
      EXPECT_GE(walk(&dialog, "search"), 3);  // the dialog, its text and its text box
      QTest::keyClick(&dialog, Qt::Key_Escape);
    }
    if (turn == 500) app.subPost("QUIT");
    if (turn == 600 && dialog.isVisible()) {
      dialogsSeen.insert(dialog.fncName());
      EXPECT_GE(walk(&dialog, "quit"), 4);  // the dialog, its text and two buttons
      QTest::mouseClick(dialog.fncButton("cmNo"), Qt::LeftButton);
    }
    if (turn == 700) app.subPost("ABOUT");
    if (turn == 800 && dialog.isVisible()) {
      dialogsSeen.insert(dialog.fncName());
      EXPECT_GE(walk(&dialog, "about"), 3);
      QTest::keyClick(&dialog, Qt::Key_Escape);
    }
    return turn < 900;
  });
  cApplication app(std::move(options), frontEnd);
  EXPECT_EQ(app.fncRun(), 0);
  EXPECT_EQ(dialogsSeen, (std::set<std::string>{"search", "quit", "about"}));
  EXPECT_GE(menuItems, 20);
  EXPECT_TRUE(nameless.empty()) << ::testing::PrintToString(nameless);
}

}  // namespace
}  // namespace lyn
