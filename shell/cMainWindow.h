#pragma once
// The main window's logic, apart from its pixels: the labels and the caption from the current
// mode, the caption kept in the settings for a second copy (only when it changed, at most once a
// second, and at shutdown), the reader's error table, a new text element turned into an
// address, the focused element and link of the document shown, the document's key handlers,
// the arrow-key tracking and the order of work of the 10-ms timer tick. A front end (iFrontEnd)
// shows what this tells it.
//
// Everything is borrowed from the composition root and outlives the window.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "modes/iMainWindow.h"
#include "shell/KeyCodes.h"
#include "shell/cDocumentModel.h"
#include "shell/cKeyTracker.h"

namespace lyn {

class cApplicationState;
class cAudioPlaybackSystem;
class cPositionCheckTimer;
class cPromptHandler;
class cVariControl;
class iFrontEnd;
class iMode;
class iModeSet;

class cMainWindow final : public iMainWindow {
 public:
  cMainWindow(cApplicationState& app, cPromptHandler& prompts, cAudioPlaybackSystem& bookPlayer,
              cVariControl& speed, iModeSet& modes, iFrontEnd& view);

  // --- iMainWindow ---
  void subDoNavigate(const std::string& isAddress) override;
  void fncUpdateUserInterface() override;
  void subApplyStyleSheetToCurrentDocument() override;
  void subAfterEventHandler() override;
  void subSetFocusInHTMLDocument(std::optional<std::string> isElementId = {}) override;
  void subSetCaption(const std::string& isCaption) override;
  void subRefreshWB() override;
  void subUpdateWB() override;
  void subQuitWB() override;
  void subRefresh() override;
  void subDoEvents() override {
    if (mDoEvents) mDoEvents();
  }
  // What subDoEvents runs: the composition root's input and tick.
  void subSetDoEvents(std::function<void()> doEvents) { mDoEvents = std::move(doEvents); }
  void subSetBookmarkLabel(std::optional<int32_t> ilBookmark) override;
  void subSetViewChecks(bool ibolNccView) override;
  void subSetEnabled(eSwitchable ienControl, bool ibolEnabled) override;
  bool fncbEnabled(eSwitchable ienControl) const override;
  void subShowStartPicture(bool ibolShown) override;
  bool fncbStartPictureShown() const override { return mbStartPicture; }
  void subFocusView() override {}
  bool fncbMinimised() const override { return false; }
  void subRestore() override {}
  void clsNccReader_evNewMedia(cNCCReader& reader, const cElementData& iclsElement) override;
  void clsNccReader_evNewPar(cNCCReader&) override {}
  void clsNccReader_evTocPositionChanged(cNCCReader& reader, int32_t ilPosition) override;
  void clsNCCReader_evAutomaticMovement(cNCCReader& reader) override;
  void clsNccReader_evError(cNCCReader& reader) override;

  // --- input from the front end ---
  // The document's key handlers (arrow tracking included).
  void subDocumentKeyDown(const cKey& key);
  void subDocumentKeyUp(const cKey& key);
  // The two unit buttons: mouse down and up track like the arrows.
  void subUnitButton(int32_t ilArrow, bool ibolDown);

  // The menus. The loop is entered when the first menu opens and left when the last one closes
  // (moving from one menu to the next stays inside it): the book pauses while the menus are open
  // and resumes after them, and "gen_menubar" and the mode's caption are spoken on the way.
  void subMenuLoop(bool ibolEntered);
  // A menu title ("mnuFile") or item ("mnuFind") was highlighted inside the menu loop: spoken
  // unless screen-reader mode is on; a disabled item is spoken as disabled.
  void subMenuSelect(const std::string& isName, bool ibolEnabled);
  // A menu item was chosen: ends the menu loop when it is still on, then posts the item's
  // message; "mnuScreenreadermode" toggles screen-reader mode.
  void subMenuItem(const std::string& isName);
  // Whether a menu item is enabled as far as the window's switchable controls go.
  bool fncbMenuItemEnabled(const std::string& isName) const;

  // The 10-ms tick: key-hold tick, both players' polls, and every 50th tick "CONTROLTIMER" with
  // the Start button's blinking. Also writes a caption whose second has come.
  void subTimerTick(cPositionCheckTimer& timer);
  // Writes the caption now if it is not in the settings yet (shutdown).
  void subFlushCaption();

  // Program time in 10-ms ticks since start.
  int64_t fnclTicks() const { return mlTicks; }
  const std::string& fncCaption() const { return msCaption; }
  const std::string& fncLabel(const std::string& isName) const;
  const cDocumentModel& fncDocument() const { return mDocument; }
  cKeyTracker& fncKeyTracker() { return mKeys; }
  // The id of the element that has the focus ("" for none).
  std::string fncFocusedId() const;
  // The link that has the focus, as its place among the document's links; nothing for none.
  std::optional<int32_t> fncFocusedLink() const;

 private:
  iMode* fncMode();
  void subLabel(const std::string& isName, const std::string& isText);
  void subBlink();
  void subEnter();
  void subTab(bool ibolBack);
  // Leaves the menu loop; the mode's caption is spoken only when no item was chosen.
  void subExitMenuLoop(bool ibolCaption);
  std::string fncResolve(const std::string& isDocument) const;
  void subLoadDocument(const std::string& isDocumentPart);
  void subWriteCaption();

  cApplicationState& mApp;
  cPromptHandler& mPrompts;
  cAudioPlaybackSystem& mBookPlayer;
  cVariControl& mSpeed;
  iModeSet& mModes;
  iFrontEnd& mView;
  cKeyTracker mKeys;
  cDocumentModel mDocument;

  std::string msRemembered;      // the last address navigated to
  std::string msShownFolder;     // the folder of the document shown
  std::string msCurrentFragment; // "#" + id of the text element shown last
  std::optional<int32_t> mlFocused;  // the element with the focus in the document model
  std::string msHighlighted;     // document path + "#" + id of the element highlighted last
  int32_t mlTabDirection = 1;
  std::map<std::string, std::string> mLabels;
  std::map<eSwitchable, bool> mEnabled;
  bool mbStartPicture = true;
  bool mbChecksShown = false;
  bool mbScreenReaderShown = false;
  bool mbNccViewShown = true;
  std::string msCaption;
  std::string msSavedCaption;
  bool mbCaptionPending = false;
  int64_t mlLastCaptionWrite = -1000;
  int64_t mlTicks = 0;
  int32_t mlTickCount = 0;
  int32_t mlBlinkCount = 0;
  std::function<void()> mDoEvents;
};

}  // namespace lyn
