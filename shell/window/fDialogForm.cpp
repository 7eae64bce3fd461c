#include "shell/window/fDialogForm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/view/cTextBrowserView.h"

namespace lyn {

namespace {

cViewKey fncKey(const QKeyEvent* e) {
  const Qt::KeyboardModifiers held = e->modifiers();
  return {fncVirtualKeyCode(e->key()), (held & Qt::ShiftModifier) != 0, (held & Qt::ControlModifier) != 0,
          (held & Qt::AltModifier) != 0};
}

}  // namespace

fDialogForm::fDialogForm(iDialogInput& input, QWidget* parent, tOpenUrl iOpenUrl)
    : QDialog(parent), mInput(input), mOpenUrl(std::move(iOpenUrl)) {
  setWindowModality(Qt::ApplicationModal);
  mText = std::make_unique<QLabel>(this);
  mText->setWordWrap(true);
  mText->setObjectName(QStringLiteral("laText"));
  mTextBox = std::make_unique<QLineEdit>(this);
  mTextBox->setObjectName(QStringLiteral("txText"));
  mTextBox->setReadOnly(true);  // the text is the application's; keys go there
  mTextBox->setFocusPolicy(Qt::NoFocus);
  mLink = std::make_unique<QLabel>(this);
  mLink->setObjectName(QStringLiteral("laWWW"));
  mLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  connect(mLink.get(), &QLabel::linkActivated, this, [this](const QString& url) {
    if (mOpenUrl) mOpenUrl(url.toStdString());
  });
  mYes = std::make_unique<QPushButton>(QStringLiteral("cmYes"), this);
  mNo = std::make_unique<QPushButton>(QStringLiteral("cmNo"), this);
  mOk = std::make_unique<QPushButton>(QStringLiteral("cmOk"), this);
  for (QPushButton* button : {mYes.get(), mNo.get(), mOk.get()}) {
    button->setObjectName(button->text());
    button->setAccessibleName(button->text());
    // Enter and Space are the dialog's keys, not the buttons': no default button, no focus.
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
    const std::string name = button->objectName().toStdString();
    connect(button, &QPushButton::clicked, this, [this, name] { mInput.subDialogButton(name); });
  }
  auto layout = std::make_unique<QVBoxLayout>();
  for (QWidget* widget : std::initializer_list<QWidget*>{mText.get(), mTextBox.get(), mLink.get(), mYes.get(),
                                                         mNo.get(), mOk.get()})
    layout->addWidget(widget);
  setLayout(layout.release());  // the dialog owns its layout
}

fDialogForm::~fDialogForm() = default;

QPushButton* fDialogForm::fncButton(const std::string& isName) const {
  if (isName == "cmYes") return mYes.get();
  if (isName == "cmNo") return mNo.get();
  if (isName == "cmOk") return mOk.get();
  return nullptr;
}

void fDialogForm::subOpen(const std::string& isName, const std::string& isCaption, const std::string& isText) {
  msName = isName;
  const bool entry = isName == "search" || isName == "gotopage";
  setWindowTitle(QString::fromStdString(isCaption));
  setAccessibleName(QString::fromStdString(isCaption));
  std::string text = isText;
  std::string address;
  if (isName == "about") {
    const size_t lastLine = text.rfind('\n');
    address = text.substr(lastLine == std::string::npos ? 0 : lastLine + 1);
    text = lastLine == std::string::npos ? std::string() : text.substr(0, lastLine);
  }
  mText->setText(QString::fromStdString(entry ? isCaption : text));
  mText->setAccessibleName(mText->text());
  mTextBox->setVisible(entry);
  mTextBox->setText(entry ? QString::fromStdString(isText) : QString());
  mTextBox->setAccessibleName(QString::fromStdString(isCaption));
  mLink->setVisible(!address.empty());
  const QString link = QString::fromStdString(address).toHtmlEscaped();
  mLink->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(link));
  mLink->setAccessibleName(QString::fromStdString(address));
  mYes->setVisible(isName == "quit");
  mNo->setVisible(isName == "quit");
  mOk->setVisible(isName == "about");
  show();
  raise();
  activateWindow();
  setFocus(Qt::OtherFocusReason);
}

void fDialogForm::subSetText(const std::string& isText) { mTextBox->setText(QString::fromStdString(isText)); }

void fDialogForm::subSetButtonTexts(const std::string& isYes, const std::string& isNo, const std::string& isOk) {
  const std::pair<QPushButton*, const std::string*> buttons[] = {{mYes.get(), &isYes}, {mNo.get(), &isNo}, {mOk.get(), &isOk}};
  for (const auto& [button, text] : buttons) {
    if (text->empty()) continue;
    button->setText(QString::fromStdString(*text));
    button->setAccessibleName(button->text());
  }
}

void fDialogForm::subClose() {
  msName.clear();
  hide();
}

bool fDialogForm::event(QEvent* e) {
  // Tab and Shift+Tab are keys of the dialog too, not focus moves.
  if (e->type() == QEvent::KeyPress) {
    keyPressEvent(static_cast<QKeyEvent*>(e));
    return true;
  }
  return QDialog::event(e);
}

void fDialogForm::keyPressEvent(QKeyEvent* e) {
  e->accept();
  const QString typed = e->text();
  char32_t character = 0;
  if (!typed.isEmpty() && typed.at(0).isPrint() && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
    character = typed.toUcs4().value(0);
  mInput.subDialogKeyDown(fncKey(e), character);
}

void fDialogForm::keyReleaseEvent(QKeyEvent* e) {
  e->accept();
  if (!e->isAutoRepeat()) mInput.subDialogKeyUp(fncKey(e));
}

void fDialogForm::reject() {
  // The close box declines, as Escape does; the application answers and closes the dialog.
  const cViewKey escape{27, false, false, false};
  mInput.subDialogKeyDown(escape, 0);
  mInput.subDialogKeyUp(escape);
}

}  // namespace lyn
