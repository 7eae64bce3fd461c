#include "shell/window/fMainForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include "platform/view/ViewGeometry.h"
#include "shell/MenuTable.h"

namespace lyn {

namespace {

bool isLabel(eControl control) {
  return control == eControl::laNavigationText || control == eControl::laPhraseCount ||
         control == eControl::laBookmarkCount || control == eControl::laCurrRate ||
         control == eControl::laCurrVolume;
}

QStyle::StandardPixmap iconOf(eControl control) {
  switch (control) {
    case eControl::cbStart: return QStyle::SP_MediaPlay;
    case eControl::cbStop: return QStyle::SP_MediaPause;
    case eControl::cbUndo: return QStyle::SP_ArrowBack;
    case eControl::cbPrevUnit: return QStyle::SP_MediaSeekBackward;
    case eControl::cbNextUnit: return QStyle::SP_MediaSeekForward;
    case eControl::cbDecreaseUnit: return QStyle::SP_ArrowDown;
    case eControl::cbIncreaseUnit: return QStyle::SP_ArrowUp;
    case eControl::cbInsertBookmark: return QStyle::SP_DialogSaveButton;
    case eControl::cbDeleteBookmark: return QStyle::SP_DialogDiscardButton;
    case eControl::cbSearch: return QStyle::SP_FileDialogContentsView;
    case eControl::cbGotoPage: return QStyle::SP_FileDialogDetailedView;
    case eControl::cbInfo: return QStyle::SP_MessageBoxInformation;
    case eControl::cbBookshelf: return QStyle::SP_DirIcon;
    case eControl::cbHelp: return QStyle::SP_DialogHelpButton;
    case eControl::cbVolumeDown: return QStyle::SP_MediaVolumeMuted;
    case eControl::cbVolumeUp: return QStyle::SP_MediaVolume;
    case eControl::cbRateDown: return QStyle::SP_MediaSkipBackward;
    case eControl::cbRateUp: return QStyle::SP_MediaSkipForward;
    default: return QStyle::SP_CustomBase;
  }
}

// A disabled menu item stays reachable with the keyboard, so it can be spoken as disabled.
class cMenuStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == QStyle::SH_Menu_AllowActiveAndDisabled) return 1;
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

}  // namespace

fMainForm::fMainForm(iMainFormInput& input) : mInput(input) {
  mCentral = std::make_unique<QWidget>();
  setCentralWidget(mCentral.get());
  mCentral->installEventFilter(this);
  mView = std::make_unique<cTextBrowserView>(mCentral.get());
  mView->setObjectName(QStringLiteral("wb"));
  mView->setAccessibleName(QStringLiteral("wb"));
  mView->subSetListener(this);
  subBuildControls();
  subBuildMenus();
  const double dpi = fncDotsPerInch();
  const int menuHeight = menuBar()->sizeHint().height();
  setMinimumSize(fncTwipsToPixels(kMinimumWindowSize.lWidth, dpi),
                 fncTwipsToPixels(kMinimumWindowSize.lHeight, dpi) + menuHeight);
  mView->setFocus(Qt::OtherFocusReason);
}

fMainForm::~fMainForm() {
  // The view must not call back into a window that is going.
  mView->subSetListener(nullptr);
}

void fMainForm::subBuildControls() {
  for (eControl control : fncAllControls()) {
    if (control == eControl::wb) continue;
    const QString name = QString::fromUtf8(fncControlName(control).data(),
                                           static_cast<qsizetype>(fncControlName(control).size()));
    std::unique_ptr<QWidget> widget;
    if (isLabel(control)) {
      auto label = std::make_unique<QLabel>(mCentral.get());
      label->setFrameShape(QFrame::Panel);
      label->setFrameShadow(QFrame::Sunken);
      label->setAlignment(Qt::AlignCenter);
      widget = std::move(label);
    } else {
      auto button = std::make_unique<QPushButton>(mCentral.get());
      button->setIcon(style()->standardIcon(iconOf(control)));
      button->setFocusPolicy(Qt::NoFocus);  // the view keeps the keyboard
      QPushButton* raw = button.get();
      if (control == eControl::cbPrevUnit || control == eControl::cbNextUnit) {
        connect(raw, &QPushButton::pressed, this, [this, control] { mInput.subUnitButton(control, true); });
        connect(raw, &QPushButton::released, this, [this, control] {
          mInput.subUnitButton(control, false);
          mView->setFocus(Qt::OtherFocusReason);
        });
      } else {
        connect(raw, &QPushButton::clicked, this, [this, control] {
          mInput.subButton(control);
          if (control != eControl::cbHelp) mView->setFocus(Qt::OtherFocusReason);
        });
      }
      if (control == eControl::cbStart) mStartIcon = raw->icon();
      widget = std::move(button);
    }
    widget->setObjectName(name);
    widget->setAccessibleName(name);
    mControls[static_cast<size_t>(control)] = std::move(widget);
  }
}

void fMainForm::subBuildMenus() {
  mMenuStyle = std::make_unique<cMenuStyle>();
  for (const cMenuEntry& entry : kMenus) {
    auto menu = std::make_unique<QMenu>(QString::fromUtf8(entry.sName.data(), static_cast<qsizetype>(entry.sName.size())));
    menu->setObjectName(menu->title());
    menu->setStyle(mMenuStyle.get());
    QMenu* raw = menu.get();
    menuBar()->addMenu(raw);
    mMenus[menu->title().toStdString()] = raw;
    mActionNames[raw->menuAction()] = menu->title().toStdString();
    connect(raw, &QMenu::aboutToShow, this, [this, raw] {
      if (mlOpenPopups++ == 0 && !mbInMenu) {
        mbInMenu = true;
        mInput.subMenuLoop(true);
        // The menu bar highlights the title before the popup opens: report it again inside the loop.
        mInput.subMenuSelect(mActionNames[raw->menuAction()], true);
      }
    });
    connect(raw, &QMenu::aboutToHide, this, [this] {
      --mlOpenPopups;
      // Moving from one menu to the next hides one popup before it shows the other: decide once
      // the events of that move have run.
      QTimer::singleShot(0, this, [this] { subMenuHidden(); });
    });
    connect(raw, &QMenu::hovered, this, [this](QAction* action) {
      const auto found = mActionNames.find(action);
      if (found != mActionNames.end()) mInput.subMenuSelect(found->second, action->isEnabled());
    });
    for (size_t i = 0; i < entry.lItemCount; ++i) {
      const cMenuItemEntry& item = entry.aItems[i];
      if (item.sName.empty()) {
        raw->addSeparator();
        continue;
      }
      const std::string name(item.sName);
      QAction* action = raw->addAction(QString::fromStdString(name));
      action->setObjectName(QString::fromStdString(name));
      if (name == kScreenReaderItem || name == "mnuNccView" || name == "mnuFulltextView")
        action->setCheckable(true);
      mActions[name] = action;
      mActionNames[action] = name;
      connect(action, &QAction::triggered, this, [this, name] {
        if (name == kCloseWindowItem) {
          close();
          return;
        }
        mInput.subMenuItem(name);
        if (name != "mnuExtendedSearch") mView->setFocus(Qt::OtherFocusReason);
      });
    }
    mMenuList.push_back(std::move(menu));
  }
  connect(menuBar(), &QMenuBar::hovered, this, [this](QAction* action) {
    const auto found = mActionNames.find(action);
    if (found != mActionNames.end()) mInput.subMenuSelect(found->second, action->isEnabled());
  });
  // Alt+F4 closes the way the close box does, also where no window manager gives it.
  mCloseKey = std::make_unique<QAction>();
  mCloseKey->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
  mCloseKey->setShortcutContext(Qt::WindowShortcut);
  connect(mCloseKey.get(), &QAction::triggered, this, [this] { close(); });
  addAction(mCloseKey.get());
}

void fMainForm::subMenuHidden() {
  if (mlOpenPopups > 0 || !mbInMenu) return;
  mbInMenu = false;
  mInput.subMenuLoop(false);
}

void fMainForm::subSetCaption(const std::string& isCaption) {
  setWindowTitle(QString::fromStdString(isCaption));
}

void fMainForm::subSetLabel(eControl ienLabel, const std::string& isText) {
  if (!isLabel(ienLabel)) return;
  static_cast<QLabel*>(fncControl(ienLabel))->setText(QString::fromStdString(isText));
}

void fMainForm::subSetEnabled(const std::string& isName, bool ibolEnabled) {
  if (const auto action = mActions.find(isName); action != mActions.end()) {
    action->second->setEnabled(ibolEnabled);
    return;
  }
  for (eControl control : fncAllControls())
    if (control != eControl::wb && fncControlName(control) == isName) fncControl(control)->setEnabled(ibolEnabled);
}

void fMainForm::subSetChecked(const std::string& isName, bool ibolChecked) {
  if (const auto action = mActions.find(isName); action != mActions.end()) action->second->setChecked(ibolChecked);
}

void fMainForm::subSetStartPicture(bool ibolShown) {
  static_cast<QPushButton*>(fncControl(eControl::cbStart))->setIcon(ibolShown ? mStartIcon : QIcon());
}

void fMainForm::subSetControlText(eControl ienControl, const std::string& isName, const std::string& isTooltip) {
  QWidget* widget = fncControl(ienControl);
  if (!widget) return;
  const QString name = QString::fromStdString(isName);
  const QString tooltip = QString::fromStdString(isTooltip);
  widget->setToolTip(tooltip);
  widget->setAccessibleName(name.isEmpty() ? tooltip : name);
  widget->setAccessibleDescription(tooltip);
}

void fMainForm::subSetMenuText(const std::string& isName, const std::string& isText) {
  const QString text = QString::fromStdString(isText);
  if (const auto menu = mMenus.find(isName); menu != mMenus.end()) {
    menu->second->setTitle(text);
    return;
  }
  if (const auto action = mActions.find(isName); action != mActions.end()) action->second->setText(text);
}

void fMainForm::subSetLanguageFont(const std::string& isFace, const std::string& isFallback, int ilPointSize) {
  QFont font(QString::fromStdString(isFace));
  font.setFamilies({QString::fromStdString(isFace), QString::fromStdString(isFallback)});
  font.setPointSize(ilPointSize);
  setFont(font);
  menuBar()->setFont(font);
  for (const auto& menu : mMenuList) menu->setFont(font);
  for (QWidget* child : findChildren<QWidget*>()) child->setFont(font);
}

QWidget* fMainForm::fncControl(eControl ienControl) const {
  if (ienControl == eControl::wb) return mView.get();
  return mControls[static_cast<size_t>(ienControl)].get();
}

QAction* fMainForm::fncMenuAction(const std::string& isName) const {
  const auto found = mActions.find(isName);
  return found == mActions.end() ? nullptr : found->second;
}

QMenu* fMainForm::fncMenu(const std::string& isName) const {
  const auto found = mMenus.find(isName);
  return found == mMenus.end() ? nullptr : found->second;
}

double fMainForm::fncDotsPerInch() const { return logicalDpiY(); }

cTwipsSize fMainForm::fncClientTwips() const {
  const double dpi = fncDotsPerInch();
  return {fncPixelsToTwips(mCentral->width(), dpi), fncPixelsToTwips(mCentral->height(), dpi)};
}

void fMainForm::subLayOut() {
  const double dpi = fncDotsPerInch();
  const cTwipsSize client = fncClientTwips();
  for (eControl control : fncAllControls()) {
    const cTwipsRect rect = fncControlRect(control, client);
    fncControl(control)->setGeometry(fncTwipsToPixels(rect.lLeft, dpi), fncTwipsToPixels(rect.lTop, dpi),
                                     fncTwipsToPixels(rect.lWidth, dpi), fncTwipsToPixels(rect.lHeight, dpi));
  }
}

bool fMainForm::eventFilter(QObject* watched, QEvent* e) {
  // The client area (the central widget) is what the layout follows.
  if (watched == mCentral.get() && e->type() == QEvent::Resize && !isMinimized()) {
    subLayOut();
    // The element read now stays in the middle of the view at the new size.
    if (const std::string id = mView->fncHighlightedId(); !id.empty()) mView->fncbHighlight(id);
  }
  return QMainWindow::eventFilter(watched, e);
}

void fMainForm::closeEvent(QCloseEvent* e) {
  if (mbCloseAllowed) {
    e->accept();
    return;
  }
  e->ignore();
  mInput.subCloseRequested();
}

}  // namespace lyn
