#pragma once
// The composition root: the program's module state and everything it owns — the settings, the
// message queue, the prompt handler, the book player and the prompt player, the speed control,
// the disk module, the four modes (each created on first use and kept), the main window's logic
// and the dispatcher — wired together once, for every front end (script, terminal, window).
//
// fncRun is the program: start-up, the main loop (input, one pump, one 10-ms tick), shutdown.
// It implements the dialogs (iDialogs) over the dialogs' logic and the front end's input.
//
// Time: with bolVirtualClock the null and WAV sinks and every timer run on one virtual clock
// that moves 10 ms per loop turn, as fast as the machine allows; otherwise in real time.
//
// Signals: SIGTERM, SIGHUP and SIGINT end the program the normal way, saving everything; an
// open dialog closes without resuming the book. SIGPIPE is ignored.
//
// The desktop's session and power events arrive through subSaveForSleep and subEndSession:
// both save at once, since the machine may sleep or the session end before another turn.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "modes/iBookOpener.h"
#include "modes/iDialogs.h"
#include "platform/audio/iAudioSink.h"
#include "platform/drives/iDrives.h"
#include "prompts/cPromptHandler.h"
#include "shell/KeyCodes.h"
#include "shell/cApplicationState.h"
#include "shell/iModeSet.h"

namespace lyn {

class cAboutDialog;
class cAudioPlaybackSystem;
class cDispatcher;
class cMainWindow;
class cMessageQueue;
class cPlaybackSpeedLink;
class cPositionCheckTimer;
class cQuitDialog;
class cSignalPipe;
class cSoundDeviceNotice;
class cTextEntryDialog;
class cVariControl;
class cVirtualClock;
class iDrives;
class iFrontEnd;
class mdlDiskModule;
struct cModeServices;

// Refuses a second copy of the program (the window brings an implementation).
class iSingleInstance {
 public:
  virtual ~iSingleInstance() = default;
  // True when this is the only copy; otherwise the first copy has been asked to come to the
  // front (and to open `isBook` when not empty) and this copy ends.
  virtual bool fncbClaim(const std::string& isBook) = 0;
};

struct cApplicationOptions {
  std::string sProgramFolder;              // "": fncProgramFolder()
  std::filesystem::path registryFile;      // "": the user's registry.ini
  std::string sUserDataFolder;             // "": the data folder's own default
  std::string sAudio;                      // "sdl", "null", "wav:PATH"; "": as LYN_AUDIO says
  bool bolVirtualClock = false;
  std::unique_ptr<iDrives> drives;         // nothing: this machine's drives
  std::string sBook;                       // stands in for "last book read" at the first tick
  iSingleInstance* singleInstance = nullptr;  // nothing: no check
  bool bolCheckPrerequisites = true;
  // The book player's sink when the caller made it (it then runs on `clock`); otherwise the
  // sink sAudio chooses.
  std::unique_ptr<iAudioSink> bookSink;
  // A virtual clock of the caller's (borrowed) instead of the application's own.
  cVirtualClock* clock = nullptr;
};

// What playing a book without the program around it uses (`lyn-reader --play`).
struct cPlaybackParts {
  cMessageQueue& queue;
  cAudioPlaybackSystem& bookPlayer;
  cPositionCheckTimer& timer;
  cVirtualClock* clock;  // with bolVirtualClock; the caller moves it
  iDrives& drives;
  cVariControl& speed;
};

class cApplication final : public iDialogs, private iModeSet, private iPromptListener, private iBookOpener {
 public:
  cApplication(cApplicationOptions options, iFrontEnd& frontEnd);
  ~cApplication() override;
  cApplication(const cApplication&) = delete;
  cApplication& operator=(const cApplication&) = delete;

  // The whole program; the exit status (0, or 1 when the prerequisites failed).
  int fncRun();
  // Instead of fncRun: only the queue, the book player (on the options' sink and clock), its
  // timer, the speed control (on the settings of registryFile, or on settings kept in memory
  // when none is given) and the drives. Nothing is loaded, spoken or saved by the application;
  // the caller drives the player and pumps the queue.
  cPlaybackParts fncStartPlaybackOnly();

  // --- input, from the front end ---
  void subKeyDown(const cKey& key);
  void subKeyUp(const cKey& key);
  // One character typed into the open dialog (a key down and up).
  void subType(char32_t c);
  void subPost(const std::string& isName, Variant arg1 = {}, Variant arg2 = {});
  // The window's close request: asks for confirmation ("QUIT") unless quitting already.
  void subCloseWindow();
  // The machine is about to sleep: pauses both players and saves the settings and the reading
  // position as shutdown does, but keeps running with the book loaded, to resume after waking.
  void subSaveForSleep();
  // The session ends (log-off, shut-down): the same saves now, then the program ends at its
  // next turn as after a confirmed quit.
  void subEndSession();
  // A book folder handed over by a second copy of the program: "OPENBOOK" opens it as if it
  // had been chosen on the bookshelf. A relative folder is taken from the current folder.
  void subOpenBook(const std::string& isFolder);
  // A unit button pressed (true) or released (false): 37 or 39.
  void subUnitButton(int32_t ilArrow, bool ibolDown);
  // A button clicked, by its name ("cbStart"); the unit buttons go through subUnitButton.
  void subButton(const std::string& isName);
  // A mouse button went down on a link of the document: its href (escapes decoded) and the id
  // of its parent element.
  void subLinkPressed(const std::string& isHref, const std::string& isParentId);
  // The menus (cMainWindow): the first menu opened (true) or the last one closed (false); a
  // title or item highlighted; an item chosen ("mnuFind").
  void subMenuLoop(bool ibolEntered);
  void subMenuSelect(const std::string& isName, bool ibolEnabled);
  void subMenuItem(const std::string& isName);

  // --- state, for front ends and tests ---
  double fncdProgramTime() const;
  int fnciSignalFd() const;
  bool fncbRealTime() const { return !mOptions.bolVirtualClock; }
  cApplicationState& state() { return *mApp; }
  cMainWindow& window() { return *mWindow; }
  cPromptHandler& prompts() { return *mPrompts; }
  cAudioPlaybackSystem& bookPlayer() { return *mBookPlayer; }
  cAudioPlaybackSystem& promptPlayer() { return *mPromptPlayer; }
  cVariControl& speed() { return *mSpeed; }
  mdlDiskModule& disk() { return *mDisk; }
  iMode* currentMode() { return mCurrent; }
  iMode& mode(eModeNumber n) { return fncMode(n); }
  // The name of the open dialog ("search", "gotopage", "quit", "about"); "" for none.
  std::string fncOpenDialog() const;

  // --- iDialogs ---
  int32_t fncShowSearch(iMode& mode) override;
  int32_t fncShowGotoPage(iMode& mode) override;
  bool fncShowDialog(const std::string& isCaption, const std::string& isText,
                     const std::vector<std::string>& isPromptKeys) override;
  void subShowAbout() override;
  std::optional<std::string> fncShowFileOpen() override;

 private:
  // iModeSet
  iMode* fncCurrentMode() override { return mCurrent; }
  iMode& fncMode(eModeNumber ienMode) override;
  void subSetCurrentMode(eModeNumber ienMode) override;
  std::unique_ptr<iMode> fncCreateMode(eModeNumber ienMode);
  // iPromptListener
  void evPromptStarted(std::string_view key) override;
  // iBookOpener, for "OPENBOOK": refuses a folder without an NCC before the book loaded is
  // let go.
  bool fncLoadBook(const std::string& folder, const std::string& nccFile) override;

  bool fncbStartUp();
  void subBuildPlayers(bool ibolPrompts);
  void subMainLoop();
  void subShutDown();
  // One turn of a loop: input, the pump given, the tick. False when the loop must end (quit,
  // signal, end of input).
  void subTurn(bool ibolInDialog, bool ibolPromptPump);
  void subCheckSignals();
  void subDoEvents();
  void subTick();
  void subObserve();
  void subReportPlay();
  int32_t fnclFastForward();
  void subUnloadBook();
  int32_t fncTextDialog(bool ibolSearch, iMode& mode);

  cApplicationOptions mOptions;
  iFrontEnd& mFrontEnd;
  std::unique_ptr<cSignalPipe> mSignals;
  std::unique_ptr<cApplicationState> mApp;
  std::unique_ptr<cVirtualClock> mClock;
  std::unique_ptr<cPositionCheckTimer> mTimer;
  std::unique_ptr<cVariControl> mSpeed;
  std::unique_ptr<cPlaybackSpeedLink> mSpeedLink;
  std::unique_ptr<cSoundDeviceNotice> mSoundNotice;  // shared by both players
  std::unique_ptr<cAudioPlaybackSystem> mBookPlayer;
  std::unique_ptr<cAudioPlaybackSystem> mPromptPlayer;
  std::unique_ptr<cPromptHandler> mPrompts;
  std::unique_ptr<iDrives> mDrives;
  std::unique_ptr<mdlDiskModule> mDisk;
  std::unique_ptr<cMainWindow> mWindow;
  std::unique_ptr<cModeServices> mServices;
  std::unique_ptr<iMode> mModes[4];
  iMode* mCurrent = nullptr;
  std::unique_ptr<cDispatcher> mDispatcher;

  cTextEntryDialog* mTextDialog = nullptr;
  cQuitDialog* mQuitDialog = nullptr;
  cAboutDialog* mAboutDialog = nullptr;
  bool mbInputEnded = false;
  bool mbStarted = false;

  // What the front end was told last.
  int32_t mlShownMode = 0;
  std::string msShownState;
  std::string msShownClip;
  std::string msBookFolder;
};

}  // namespace lyn
