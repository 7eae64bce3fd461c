#include "shell/window/fDialogForm.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <vector>

namespace lyn {
namespace {

class cRecordingDialogInput : public iDialogInput {
 public:
  void subDialogKeyDown(const cViewKey& iKey, char32_t icTyped) override {
    aDown.push_back(std::to_string(iKey.lKeyCode) + (icTyped ? std::string(" '") + static_cast<char>(icTyped) + "'" : ""));
  }
  void subDialogKeyUp(const cViewKey& iKey) override { aUp.push_back(iKey.lKeyCode); }
  void subDialogButton(const std::string& isButton) override { aButtons.push_back(isButton); }
  std::vector<std::string> aDown;
  std::vector<int32_t> aUp;
  std::vector<std::string> aButtons;
};

class DialogForm : public ::testing::Test {
 protected:
  cRecordingDialogInput input;
  std::vector<std::string> opened;
  fDialogForm dialog{input, nullptr, [this](const std::string& url) { opened.push_back(url); }};
};

TEST_F(DialogForm, TheSearchBoxHandsEveryKeyOnAndShowsTheTextItIsGiven) {
  dialog.subOpen("search", "Search", "");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.fncTextBox()->isVisible());
  EXPECT_FALSE(dialog.fncButton("cmYes")->isVisible());
  QTest::keyClick(&dialog, Qt::Key_A, Qt::NoModifier);
  QTest::keyClick(&dialog, Qt::Key_Left);
  QTest::keyClick(&dialog, Qt::Key_Tab);
  QTest::keyClick(&dialog, Qt::Key_Return);
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_EQ(input.aDown, (std::vector<std::string>{"65 'a'", "37", "9", "13", "27"}));
  EXPECT_EQ(input.aUp, (std::vector<int32_t>{65, 37, 9, 13, 27}));
  EXPECT_TRUE(dialog.isVisible());  // Escape is the application's to answer
  dialog.subSetText("a");
  EXPECT_EQ(dialog.fncTextBox()->text(), "a");
  dialog.subClose();
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(DialogForm, TheConfirmationShowsItsTextAndReportsItsButtons) {
  dialog.subOpen("quit", "Quit", "Do you want to quit?");
  dialog.subSetButtonTexts("Yes", "No", "");
  EXPECT_FALSE(dialog.fncTextBox()->isVisible());
  ASSERT_TRUE(dialog.fncButton("cmYes")->isVisible());
  EXPECT_EQ(dialog.fncButton("cmYes")->text(), "Yes");
  EXPECT_EQ(dialog.fncButton("cmYes")->accessibleName(), "Yes");
  QTest::mouseClick(dialog.fncButton("cmNo"), Qt::LeftButton);
  QTest::mouseClick(dialog.fncButton("cmYes"), Qt::LeftButton);
  EXPECT_EQ(input.aButtons, (std::vector<std::string>{"cmNo", "cmYes"}));
  // Enter on a button is the dialog's key, not the button's click.
  QTest::keyClick(&dialog, Qt::Key_Return);
  EXPECT_EQ(input.aButtons.size(), 2u);
  dialog.close();  // the close box declines like Escape
  EXPECT_EQ(input.aDown.back(), "27");
}

TEST_F(DialogForm, TheAboutBoxOpensItsWebAddressThroughTheSeam) {
  dialog.subOpen("about", "LYN Reader 1.1", "Version 1.1\nCopyright\nhttps://lyn-reader.example/");
  EXPECT_TRUE(dialog.fncButton("cmOk")->isVisible());
  EXPECT_TRUE(dialog.fncLink()->isVisible());
  EXPECT_EQ(dialog.fncLink()->accessibleName(), "https://lyn-reader.example/");
  emit dialog.fncLink()->linkActivated("https://lyn-reader.example/");
  EXPECT_EQ(opened, (std::vector<std::string>{"https://lyn-reader.example/"}));
}

}  // namespace
}  // namespace lyn
