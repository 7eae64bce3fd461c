#pragma once
// The window as a front end of the application: what the application shows goes to fMainForm,
// and what the user does in fMainForm goes to the application. Qt's events are delivered in the
// application's loop (each turn), and the wait between turns waits on Qt's events, so the
// window, its menus and the timer ticks all run on the one thread.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "shell/iFrontEnd.h"
#include "shell/window/cFileOpenDialog.h"
#include "shell/window/fDialogForm.h"
#include "shell/window/fMainForm.h"
#include "shell/window/iMainFormInput.h"

namespace lyn {

class cApplication;

class cQtFrontEnd final : public iFrontEnd, private iMainFormInput, private iDialogInput {
 public:
  cQtFrontEnd();
  ~cQtFrontEnd() override;

  fMainForm& form() { return *mForm; }

  // Run on every turn after the window's events, with the turn's number from 1; false ends the
  // input (the program then shuts down as on a confirmed quit). Tests and scripted runs drive
  // the window through it.
  using tTurnHook = std::function<bool(cApplication& app, int64_t ilTurn)>;
  void subSetTurnHook(tTurnHook iHook) { mTurnHook = std::move(iHook); }
  // Told the key of every prompt clip as it starts (the window shows none; tests listen).
  using tPromptHook = std::function<void(const std::string& isKey)>;
  void subSetPromptHook(tPromptHook iHook) { mPromptHook = std::move(iHook); }

  // --- iFrontEnd ---
  bool fncbTurn(cApplication& app) override;
  void subIdle(std::chrono::milliseconds timeout) override;
  void subShowAddress(const std::string& isAddress) override;
  void subShowHighlight(const std::string& isId, const std::string& isText) override;
  void subShowFocus(int32_t ilLink, const std::string& isText) override;
  void subShowPrompt(const std::string& isKey) override {
    if (mPromptHook) mPromptHook(isKey);
  }
  void subShowCaption(const std::string& isCaption) override;
  void subShowLabel(const std::string& isName, const std::string& isText) override;
  void subShowEnabled(eSwitchable ienControl, bool ibolEnabled) override;
  void subShowStartPicture(bool ibolShown) override;
  void subShowChecks(bool ibolScreenReader, bool ibolNccView) override;
  void subDialogOpened(const std::string& isName, const std::string& isCaption,
                       const std::string& isText) override;
  void subDialogText(const std::string& isText) override;
  void subDialogClosed(const std::string& isName, const std::string& isValue) override;
  void subExit() override;
  std::optional<std::string> fncShowFileOpen(const std::string& isFileName) override;

  fDialogForm& dialog() { return *mDialog; }
  cFileOpenDialog& fileOpen() { return mFileOpen; }

 private:
  // --- iMainFormInput ---
  bool fncbKeyDown(const cViewKey& iKey) override;
  bool fncbKeyUp(const cViewKey& iKey) override;
  void subDocumentMouseDown(const std::optional<cLinkHit>& iLink) override;
  void subButton(eControl ienButton) override;
  void subUnitButton(eControl ienButton, bool ibolDown) override;
  void subMenuItem(const std::string& isName) override;
  void subMenuLoop(bool ibolEntered) override;
  void subMenuSelect(const std::string& isName, bool ibolEnabled) override;
  void subCloseRequested() override;

  // --- iDialogInput ---
  void subDialogKeyDown(const cViewKey& iKey, char32_t icTyped) override;
  void subDialogKeyUp(const cViewKey& iKey) override;
  void subDialogButton(const std::string& isButton) override;

  // The sheet in force follows the current style and the current mode's view.
  void subFollowStyle();
  // Texts of tooltips, accessible names and menus from the prompt file, once it is loaded.
  void subSetTexts();

  std::unique_ptr<fMainForm> mForm;
  std::unique_ptr<fDialogForm> mDialog;
  cFileOpenDialog mFileOpen;
  cApplication* mApp = nullptr;
  std::string msSheet;
  bool mbTextsSet = false;
  tTurnHook mTurnHook;
  tPromptHook mPromptHook;
  int64_t mlTurns = 0;
};

}  // namespace lyn
