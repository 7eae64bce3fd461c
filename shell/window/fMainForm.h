#pragma once
// The player's main window on Qt: the HTML view, the eighteen command buttons, the five status
// labels and the menu bar, laid out by cWindowLayout at the screen's resolution. It shows what
// it is told and hands every input to its iMainFormInput; buttons take no keyboard focus, so the
// view keeps it and the menus and the accessible tree reach everything else.

#include <QMainWindow>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/view/cTextBrowserView.h"
#include "shell/window/cWindowLayout.h"
#include "shell/window/iMainFormInput.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QStyle;

namespace lyn {

class fMainForm : public QMainWindow, private iHtmlViewListener {
 public:
  explicit fMainForm(iMainFormInput& input);
  ~fMainForm() override;

  cTextBrowserView& view() { return *mView; }

  // --- what the window shows ---
  void subSetCaption(const std::string& isCaption);
  // laNavigationText, laPhraseCount, laBookmarkCount, laCurrRate, laCurrVolume.
  void subSetLabel(eControl ienLabel, const std::string& isText);
  void subSetEnabled(const std::string& isName, bool ibolEnabled);  // a button or menu item
  void subSetChecked(const std::string& isName, bool ibolChecked);  // mnuNccView, ...
  void subSetStartPicture(bool ibolShown);
  // Texts from the prompt file: tooltips and accessible names of buttons and labels, menu
  // titles and item texts ("label\tkey name").
  void subSetControlText(eControl ienControl, const std::string& isName, const std::string& isTooltip);
  void subSetMenuText(const std::string& isName, const std::string& isText);
  // The face and size for every widget (the East Asian fonts).
  void subSetLanguageFont(const std::string& isFace, const std::string& isFallback, int ilPointSize);
  // Once a quit is confirmed, closing is no longer turned into a request.
  void subAllowClose() { mbCloseAllowed = true; }

  // --- for the layout and its tests ---
  QWidget* fncControl(eControl ienControl) const;
  QAction* fncMenuAction(const std::string& isName) const;
  QMenu* fncMenu(const std::string& isName) const;
  double fncDotsPerInch() const;
  // The client area in twips.
  cTwipsSize fncClientTwips() const;

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  // iHtmlViewListener
  bool fncbViewKeyDown(const cViewKey& iKey) override { return mInput.fncbKeyDown(iKey); }
  bool fncbViewKeyUp(const cViewKey& iKey) override { return mInput.fncbKeyUp(iKey); }
  void subViewMouseDown(const std::optional<cLinkHit>& iLink) override { mInput.subDocumentMouseDown(iLink); }

  void subBuildControls();
  void subBuildMenus();
  void subLayOut();
  void subMenuHidden();

  iMainFormInput& mInput;
  // Children are destroyed here, before the window: the members go in reverse order, so the
  // central widget outlives what it holds.
  std::unique_ptr<QWidget> mCentral;
  std::unique_ptr<cTextBrowserView> mView;
  std::array<std::unique_ptr<QWidget>, kControlCount> mControls;  // index 0 (the view) unused
  std::vector<std::unique_ptr<QMenu>> mMenuList;
  std::unique_ptr<QStyle> mMenuStyle;
  std::unique_ptr<QAction> mCloseKey;
  std::map<std::string, QAction*> mActions;  // owned by their menus
  std::map<std::string, QMenu*> mMenus;
  std::map<QAction*, std::string> mActionNames;  // titles and items
  QIcon mStartIcon;
  int mlOpenPopups = 0;
  bool mbInMenu = false;
  bool mbCloseAllowed = false;
};

}  // namespace lyn
