#pragma once
// The spoken dialogs on Qt: the search and go-to-page boxes (fSearch, fGotoPage: a caption, a
// text box), the confirmation (fQuit: a text, cmYes and cmNo) and the about box (fAbout: its
// texts, the web address, cmOk). The dialogs' logic lives in the application, which runs its own
// loop while a dialog is open; this window only shows the dialog and hands on its keys and
// clicks. Shown application-modal, so the main window takes no input meanwhile.

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "platform/view/iHtmlView.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace lyn {

class iDialogInput {
 public:
  virtual ~iDialogInput() = default;
  // A key in the dialog, with the character it types (0 for none).
  virtual void subDialogKeyDown(const cViewKey& iKey, char32_t icTyped) = 0;
  virtual void subDialogKeyUp(const cViewKey& iKey) = 0;
  // cmYes, cmNo or cmOk clicked.
  virtual void subDialogButton(const std::string& isButton) = 0;
};

class fDialogForm : public QDialog {
 public:
  // Opens an address in the user's program (QDesktopServices::openUrl); tests record it.
  using tOpenUrl = std::function<void(const std::string& isUrl)>;

  fDialogForm(iDialogInput& input, QWidget* parent, tOpenUrl iOpenUrl);
  ~fDialogForm() override;

  // "search", "gotopage", "quit" or "about". For the about box `isText` holds its lines, the
  // last one the web address; the button texts come with the caption key's prompts later.
  void subOpen(const std::string& isName, const std::string& isCaption, const std::string& isText);
  void subSetText(const std::string& isText);
  void subSetButtonTexts(const std::string& isYes, const std::string& isNo, const std::string& isOk);
  void subClose();

  const std::string& fncName() const { return msName; }
  QLineEdit* fncTextBox() const { return mTextBox.get(); }
  QPushButton* fncButton(const std::string& isName) const;
  QLabel* fncLink() const { return mLink.get(); }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  bool event(QEvent* e) override;
  void reject() override;

 private:
  iDialogInput& mInput;
  tOpenUrl mOpenUrl;
  std::string msName;
  std::unique_ptr<QLabel> mText;
  std::unique_ptr<QLineEdit> mTextBox;
  std::unique_ptr<QLabel> mLink;
  std::unique_ptr<QPushButton> mYes;
  std::unique_ptr<QPushButton> mNo;
  std::unique_ptr<QPushButton> mOk;
};

}  // namespace lyn
