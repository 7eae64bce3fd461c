#include "shell/window/cQtFrontEnd.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QEventLoop>
#include <QTimer>

#include "modes/iMode.h"
#include "shell/KeyCodes.h"
#include "shell/KeyTables.h"
#include "shell/ModuleServices.h"
#include "shell/cApplication.h"
#include "shell/window/LanguageFont.h"
#include "shell/MenuTable.h"

namespace lyn {

namespace {

cKey fncKey(const cViewKey& iKey) {
  cKey key;
  key.lCode = iKey.lKeyCode;
  key.lShift = (iKey.bolShift ? shift::Shift : 0) | (iKey.bolCtrl ? shift::Ctrl : 0) |
               (iKey.bolAlt ? shift::Alt : 0);
  return key;
}

std::optional<eControl> fncControlNamed(std::string_view name) {
  for (eControl control : fncAllControls())
    if (fncControlName(control) == name) return control;
  return std::nullopt;
}

}  // namespace

cQtFrontEnd::cQtFrontEnd()
    : mForm(std::make_unique<fMainForm>(static_cast<iMainFormInput&>(*this))),
      mDialog(std::make_unique<fDialogForm>(static_cast<iDialogInput&>(*this), mForm.get(),
                                            [](const std::string& isUrl) {
                                              QDesktopServices::openUrl(QUrl(QString::fromStdString(isUrl)));
                                            })) {
  if (const auto font = fncLanguageFont(fncLocaleIdentifier(QLocale().name().toStdString())))
    mForm->subSetLanguageFont(font->sFace, font->sFallbackFace, font->lPointSize);
  mForm->show();
}

cQtFrontEnd::~cQtFrontEnd() = default;

bool cQtFrontEnd::fncbTurn(cApplication& app) {
  mApp = &app;
  if (!mbTextsSet) subSetTexts();
  QCoreApplication::processEvents();
  subFollowStyle();
  if (mTurnHook) return mTurnHook(app, ++mlTurns);
  return true;
}

std::optional<std::string> cQtFrontEnd::fncShowFileOpen(const std::string& isFileName) {
  return mFileOpen.fncShow(mForm.get(), isFileName);
}

void cQtFrontEnd::subIdle(std::chrono::milliseconds timeout) {
  // Waits for the window's events, never longer than the application asks.
  QEventLoop wait;
  QTimer::singleShot(timeout, &wait, &QEventLoop::quit);
  wait.exec();
}

void cQtFrontEnd::subFollowStyle() {
  if (!mApp) return;
  const cStyleSheets& sheets = mApp->state().styleSheets();
  iMode* mode = mApp->currentMode();
  const int32_t style = sheets.fncCurrentStyle();
  const std::string sheet = (mode && mode->pBolNccMode) ? sheets.fncNccSheet(style) : sheets.fncTextSheet(style);
  if (sheet == msSheet) return;
  msSheet = sheet;
  mForm->view().subSetStyleSheet(sheet);
}

void cQtFrontEnd::subSetTexts() {
  if (!mApp) return;
  cPromptHandler& prompts = mApp->prompts();
  const auto text = [&](std::string_view key) { return prompts.Text(key); };
  for (const cButtonEntry& button : kButtons) {
    if (const auto control = fncControlNamed(button.sName)) {
      const std::string tooltip = text(button.sTooltipKey);
      mForm->subSetControlText(*control, tooltip, tooltip);
    }
  }
  for (const auto& [label, key] : {std::pair{eControl::laBookmarkCount, "ttip_bookmark"},
                                   {eControl::laCurrRate, "ttip_speed"},
                                   {eControl::laCurrVolume, "ttip_volume"},
                                   {eControl::laNavigationText, "ttip_navigationmode"},
                                   {eControl::laPhraseCount, "ttip_phrasecounter"}}) {
    mForm->subSetControlText(label, text(key), text(key));
  }
  for (const cMenuEntry& menu : kMenus) {
    mForm->subSetMenuText(std::string(menu.sName), text(menu.sTitleKey));
    for (size_t i = 0; i < menu.lItemCount; ++i) {
      const cMenuItemEntry& item = menu.aItems[i];
      if (item.sName.empty()) continue;
      std::string label = text(item.sLabelKey);
      if (!item.sKeyNameKey.empty()) label += "\t" + text(item.sKeyNameKey);
      mForm->subSetMenuText(std::string(item.sName), label);
    }
  }
  mbTextsSet = true;
}

void cQtFrontEnd::subShowAddress(const std::string& isAddress) {
  subFollowStyle();
  mForm->view().fncbShow(isAddress);
}

void cQtFrontEnd::subShowHighlight(const std::string& isId, const std::string&) {
  mForm->view().fncbHighlight(isId);
}

void cQtFrontEnd::subShowFocus(int32_t ilLink, const std::string&) {
  // The application's model of the document chose the link; the view shows the same one.
  mForm->view().fncbFocusLink(ilLink);
}

void cQtFrontEnd::subShowCaption(const std::string& isCaption) { mForm->subSetCaption(isCaption); }

void cQtFrontEnd::subShowLabel(const std::string& isName, const std::string& isText) {
  if (const auto control = fncControlNamed(isName)) mForm->subSetLabel(*control, isText);
}

void cQtFrontEnd::subShowEnabled(eSwitchable ienControl, bool ibolEnabled) {
  mForm->subSetEnabled(fncSwitchableName(ienControl), ibolEnabled);
}

void cQtFrontEnd::subShowStartPicture(bool ibolShown) { mForm->subSetStartPicture(ibolShown); }

void cQtFrontEnd::subShowChecks(bool ibolScreenReader, bool ibolNccView) {
  mForm->subSetChecked(std::string(kScreenReaderItem), ibolScreenReader);
  mForm->subSetChecked("mnuNccView", ibolNccView);
  mForm->subSetChecked("mnuFulltextView", !ibolNccView);
}

void cQtFrontEnd::subDialogOpened(const std::string& isName, const std::string& isCaption,
                                  const std::string& isText) {
  mDialog->subOpen(isName, isCaption, isText);
  if (mApp) {
    const cPromptHandler& prompts = mApp->prompts();
    mDialog->subSetButtonTexts(prompts.Text("gen_confirm"), prompts.Text("gen_cancel"), prompts.Text("gen_confirm"));
  }
}

void cQtFrontEnd::subDialogText(const std::string& isText) { mDialog->subSetText(isText); }

void cQtFrontEnd::subDialogClosed(const std::string&, const std::string&) {
  mDialog->subClose();
  mForm->view().subFocus();
}

void cQtFrontEnd::subDialogKeyDown(const cViewKey& iKey, char32_t icTyped) {
  if (!mApp) return;
  cKey key = fncKey(iKey);
  key.cChar = icTyped;
  mApp->subKeyDown(key);
}

void cQtFrontEnd::subDialogKeyUp(const cViewKey& iKey) {
  if (mApp) mApp->subKeyUp(fncKey(iKey));
}

void cQtFrontEnd::subDialogButton(const std::string& isButton) {
  // A click is the key the button stands for: Enter confirms, Escape declines.
  const cViewKey key{isButton == "cmNo" ? key::Escape : key::Enter, false, false, false};
  subDialogKeyDown(key, 0);
  subDialogKeyUp(key);
}

void cQtFrontEnd::subExit() {
  mDialog->subClose();
  mForm->subAllowClose();
  mForm->close();
}

bool cQtFrontEnd::fncbKeyDown(const cViewKey& iKey) {
  if (mApp) mApp->subKeyDown(fncKey(iKey));
  // Alt combinations reach the menus and the window system.
  return iKey.bolAlt;
}

bool cQtFrontEnd::fncbKeyUp(const cViewKey& iKey) {
  if (mApp) mApp->subKeyUp(fncKey(iKey));
  return iKey.bolAlt;
}

void cQtFrontEnd::subDocumentMouseDown(const std::optional<cLinkHit>& iLink) {
  if (!mApp || !iLink) return;
  if (iMode* mode = mApp->currentMode()) mode->subClickedOn(fncDecodePercentEscapes(iLink->sHref), iLink->sParentId);
}

void cQtFrontEnd::subButton(eControl ienButton) {
  if (!mApp) return;
  for (const cButtonEntry& button : kButtons)
    if (button.sName == fncControlName(ienButton) && !button.sMessage.empty())
      mApp->subPost(std::string(button.sMessage));
}

void cQtFrontEnd::subUnitButton(eControl ienButton, bool ibolDown) {
  if (mApp) mApp->subUnitButton(ienButton == eControl::cbPrevUnit ? key::Left : key::Right, ibolDown);
}

void cQtFrontEnd::subMenuItem(const std::string& isName) {
  if (mApp) mApp->subMenuItem(isName);
}

void cQtFrontEnd::subMenuLoop(bool ibolEntered) {
  if (mApp) mApp->subMenuLoop(ibolEntered);
}

void cQtFrontEnd::subMenuSelect(const std::string& isName, bool ibolEnabled) {
  if (mApp) mApp->subMenuSelect(isName, ibolEnabled);
}

void cQtFrontEnd::subCloseRequested() {
  if (mApp) mApp->subCloseWindow();
}

}  // namespace lyn
