#include "shell/window/fMainForm.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "platform/view/ViewGeometry.h"
#include "shell/window/LanguageFont.h"
#include "shell/MenuTable.h"

namespace lyn {
namespace {

class cRecordingInput : public iMainFormInput {
 public:
  bool fncbKeyDown(const cViewKey& iKey) override {
    aKeys.push_back(iKey.lKeyCode);
    return false;
  }
  bool fncbKeyUp(const cViewKey&) override { return false; }
  void subDocumentMouseDown(const std::optional<cLinkHit>&) override {}
  void subButton(eControl ienButton) override { aButtons.push_back(std::string(fncControlName(ienButton))); }
  void subUnitButton(eControl ienButton, bool ibolDown) override {
    aButtons.push_back(std::string(fncControlName(ienButton)) + (ibolDown ? " down" : " up"));
  }
  void subMenuItem(const std::string& isName) override { aItems.push_back(isName); }
  void subMenuLoop(bool ibolEntered) override { aLoop.push_back(ibolEntered); }
  void subMenuSelect(const std::string& isName, bool ibolEnabled) override {
    aSelected.push_back(isName + (ibolEnabled ? "" : " (disabled)"));
  }
  void subCloseRequested() override { ++lCloseRequests; }

  std::vector<int32_t> aKeys;
  std::vector<std::string> aButtons;
  std::vector<std::string> aItems;
  std::vector<bool> aLoop;
  std::vector<std::string> aSelected;
  int lCloseRequests = 0;
};

class MainForm : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<fMainForm>(input);
    form->resize(900, 700);
    form->show();
    QApplication::processEvents();
  }
  QPushButton* button(eControl control) const { return static_cast<QPushButton*>(form->fncControl(control)); }

  cRecordingInput input;
  std::unique_ptr<fMainForm> form;
};

TEST_F(MainForm, ButtonsReportTheirClicksAndTheUnitButtonsTheirPressAndRelease) {
  QTest::mouseClick(button(eControl::cbStart), Qt::LeftButton);
  QTest::mouseClick(button(eControl::cbVolumeUp), Qt::LeftButton);
  QTest::mousePress(button(eControl::cbNextUnit), Qt::LeftButton);
  QTest::mouseRelease(button(eControl::cbNextUnit), Qt::LeftButton);
  EXPECT_EQ(input.aButtons, (std::vector<std::string>{"cbStart", "cbVolumeUp", "cbNextUnit down", "cbNextUnit up"}));
  for (eControl control : fncAllControls()) {
    if (control != eControl::wb) {
      EXPECT_EQ(form->fncControl(control)->focusPolicy(), Qt::NoFocus) << fncControlName(control);
    }
  }
}

TEST_F(MainForm, KeysOfTheDocumentGoToTheInput) {
  QTest::keyClick(&form->view(), Qt::Key_Space);
  QTest::keyClick(&form->view(), Qt::Key_F5);
  EXPECT_EQ(input.aKeys, (std::vector<int32_t>{32, 116}));
}

TEST_F(MainForm, TheCloseBoxAsksInsteadOfClosing) {
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(input.lCloseRequests, 1);
  form->fncMenuAction("mnuQuit")->trigger();  // the Quit item takes the same path
  EXPECT_EQ(input.lCloseRequests, 2);
  EXPECT_TRUE(input.aItems.empty());
  form->subAllowClose();
  EXPECT_TRUE(form->close());
}

TEST_F(MainForm, MenuItemsReportTheirNames) {
  form->fncMenuAction("mnuFind")->trigger();
  form->fncMenuAction("mnuNextTextStyle")->trigger();
  EXPECT_EQ(input.aItems, (std::vector<std::string>{"mnuFind", "mnuNextTextStyle"}));
  // Every item of the table is there, in its menu, with separators where the table has them.
  for (const cMenuEntry& menu : kMenus) {
    QMenu* shown = form->fncMenu(std::string(menu.sName));
    ASSERT_TRUE(shown);
    ASSERT_EQ(static_cast<size_t>(shown->actions().size()), menu.lItemCount);
    for (size_t i = 0; i < menu.lItemCount; ++i)
      EXPECT_EQ(shown->actions()[static_cast<qsizetype>(i)]->isSeparator(), menu.aItems[i].sName.empty());
  }
}

TEST_F(MainForm, TheMenuLoopEndsOnlyWhenNoPopupRemains) {
  QMenu* file = form->fncMenu("mnuFile");
  QMenu* tools = form->fncMenu("mnuTools");
  file->popup(form->mapToGlobal(QPoint(10, 10)));
  QApplication::processEvents();
  EXPECT_EQ(input.aLoop, (std::vector<bool>{true}));
  // Moving to the next menu: one popup goes, the next comes, within the same events.
  file->hide();
  tools->popup(form->mapToGlobal(QPoint(60, 10)));
  QApplication::processEvents();
  EXPECT_EQ(input.aLoop, (std::vector<bool>{true}));
  tools->hide();
  QApplication::processEvents();
  EXPECT_EQ(input.aLoop, (std::vector<bool>{true, false}));
}

TEST_F(MainForm, HighlightedItemsAreReportedAndADisabledOneStaysReachable) {
  form->subSetEnabled("mnuExtendedSearch", false);
  QMenu* tools = form->fncMenu("mnuTools");
  tools->popup(form->mapToGlobal(QPoint(10, 10)));
  QApplication::processEvents();
  tools->setActiveAction(form->fncMenuAction("mnuGotoPage"));
  QTest::keyClick(tools, Qt::Key_Down);
  QTest::keyClick(tools, Qt::Key_Down);
  ASSERT_GE(input.aSelected.size(), 4u);
  EXPECT_EQ(input.aSelected[0], "mnuTools");  // the title, once the menu loop has begun
  EXPECT_EQ(input.aSelected[1], "mnuGotoPage");
  EXPECT_EQ(input.aSelected[2], "mnuBookInfo");
  EXPECT_EQ(input.aSelected[3], "mnuExtendedSearch (disabled)");
  tools->hide();
}

TEST_F(MainForm, ControlsSitWhereTheLayoutPutsThemAtTheScreensResolution) {
  const double dpi = form->fncDotsPerInch();
  const cTwipsSize client = form->fncClientTwips();
  for (eControl control : {eControl::wb, eControl::cbStart, eControl::cbVolumeUp, eControl::laCurrVolume}) {
    const cTwipsRect rect = fncControlRect(control, client);
    const QRect shown = form->fncControl(control)->geometry();
    EXPECT_NEAR(shown.x(), fncTwipsToPixels(rect.lLeft, dpi), 1) << fncControlName(control);
    EXPECT_NEAR(shown.y(), fncTwipsToPixels(rect.lTop, dpi), 1) << fncControlName(control);
    EXPECT_NEAR(shown.width(), fncTwipsToPixels(rect.lWidth, dpi), 1) << fncControlName(control);
  }
  EXPECT_GE(form->minimumWidth(), fncTwipsToPixels(kMinimumWindowSize.lWidth, dpi));
  form->resize(100, 100);
  QApplication::processEvents();
  EXPECT_GE(form->width(), fncTwipsToPixels(kMinimumWindowSize.lWidth, dpi));
}

TEST_F(MainForm, ShowsLabelsCaptionChecksAndTheStartPicture) {
  form->subSetLabel(eControl::laCurrVolume, "8");
  form->subSetCaption("LYN Reader 1.1  ---  Reading");
  form->subSetChecked("mnuNccView", true);
  form->subSetStartPicture(false);
  EXPECT_EQ(static_cast<QLabel*>(form->fncControl(eControl::laCurrVolume))->text(), "8");
  EXPECT_EQ(form->windowTitle(), "LYN Reader 1.1  ---  Reading");
  EXPECT_TRUE(form->fncMenuAction("mnuNccView")->isChecked());
  EXPECT_TRUE(button(eControl::cbStart)->icon().isNull());
  form->subSetStartPicture(true);
  EXPECT_FALSE(button(eControl::cbStart)->icon().isNull());
  form->subSetEnabled("cbInfo", false);
  EXPECT_FALSE(button(eControl::cbInfo)->isEnabled());
}

// Every control of the window in the accessible tree, with a name.
void fncCollectNames(QAccessibleInterface* node, std::vector<std::pair<QAccessible::Role, QString>>& out) {
  if (!node) return;
  out.emplace_back(node->role(), node->text(QAccessible::Name));
  for (int i = 0; i < node->childCount(); ++i) fncCollectNames(node->child(i), out);
}

TEST_F(MainForm, TheAccessibleTreeNamesEveryButtonLabelAndMenu) {
  for (eControl control : fncAllControls())
    form->subSetControlText(control, "name of " + std::string(fncControlName(control)), "tip");
  for (const cMenuEntry& menu : kMenus) {
    form->subSetMenuText(std::string(menu.sName), "title " + std::string(menu.sTitleKey));
    for (size_t i = 0; i < menu.lItemCount; ++i)
      if (!menu.aItems[i].sName.empty())
        form->subSetMenuText(std::string(menu.aItems[i].sName), "item\t" + std::string(menu.aItems[i].sKeyNameKey));
  }
  std::vector<std::pair<QAccessible::Role, QString>> nodes;
  fncCollectNames(QAccessible::queryAccessibleInterface(form.get()), nodes);
  int buttons = 0, labels = 0, menus = 0, items = 0;
  for (const auto& [role, name] : nodes) {
    if (role == QAccessible::PushButton) {
      ++buttons;
      EXPECT_TRUE(name.startsWith("name of cb")) << name.toStdString();
    }
    if (role == QAccessible::StaticText && name.startsWith("name of la")) ++labels;
    if (role == QAccessible::MenuItem) {
      EXPECT_FALSE(name.isEmpty());
      if (name.startsWith("title menu_")) ++menus;
      if (name.startsWith("item\t")) ++items;
    }
  }
  EXPECT_EQ(buttons, 18);
  EXPECT_EQ(labels, 5);
  EXPECT_EQ(menus, 6);
  EXPECT_EQ(items, 26);  // every item of the six menus, separators aside
  for (const cMenuEntry& menu : kMenus) {
    for (QAction* action : form->fncMenu(std::string(menu.sName))->actions()) {
      if (!action->isSeparator()) {
        EXPECT_TRUE(action->text().startsWith("item\t")) << action->objectName().toStdString();
      }
    }
  }
}

TEST_F(MainForm, AJapaneseLocaleGivesEveryWidgetTheJapaneseFaceFirstAtNinePoints) {
  const auto font = fncLanguageFont(fncLocaleIdentifier("ja_JP.UTF-8"));
  ASSERT_TRUE(font);
  form->subSetLanguageFont(font->sFace, font->sFallbackFace, font->lPointSize);
  const QString face = QString::fromStdString(font->sFace);
  const QList<QWidget*> children = form->findChildren<QWidget*>();
  std::vector<QWidget*> widgets(children.begin(), children.end());
  widgets.push_back(form.get());
  for (const cMenuEntry& menu : kMenus) widgets.push_back(form->fncMenu(std::string(menu.sName)));
  for (QWidget* widget : widgets) {
    ASSERT_FALSE(widget->font().families().isEmpty());
    EXPECT_EQ(widget->font().families().first(), face) << widget->objectName().toStdString();
    EXPECT_EQ(widget->font().pointSize(), 9) << widget->objectName().toStdString();
  }
}

}  // namespace
}  // namespace lyn
