#include "shell/cApplication.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cPhraseAudioHandler.h"
#include "audio/cPlaybackSpeedLink.h"
#include "audio/cPositionCheckTimer.h"
#include "audio/cVariControl.h"
#include "dialogs/cAboutDialog.h"
#include "dialogs/cQuitDialog.h"
#include "dialogs/cSearchLogic.h"
#include "dialogs/cTextEntryDialog.h"
#include "disk/mdlDiskModule.h"
#include "engine/cNCCReader.h"
#include "markup/cDTBData.h"
#include "modes/cBookBrowser.h"
#include "modes/cBookInfoBrowser.h"
#include "modes/cBookshelfBrowser.h"
#include "modes/cHelpBrowser.h"
#include "modes/cModeServices.h"
#include "modes/iMode.h"
#include "platform/audio/AudioSinks.h"
#include "platform/audio/cSoundDeviceNotice.h"
#include "platform/audio/cVirtualClock.h"
#include "platform/drives/cDrives.h"
#include "platform/files/cPathResolver.h"
#include "shell/KeyTables.h"
#include "shell/ModuleServices.h"
#include "shell/cDispatcher.h"
#include "shell/cMainWindow.h"
#include "shell/cObservedControl.h"
#include "shell/cPrerequisites.h"
#include "shell/cSettingsTable.h"
#include "shell/cSignalPipe.h"
#include "shell/iFrontEnd.h"

namespace lyn {

namespace {

constexpr std::chrono::milliseconds kTick{10};

// A folder given on the command line, independent of the current folder; "" stays "".
std::string fncAbsoluteFolder(const std::string& isFolder) {
  if (isFolder.empty()) return {};
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(isFolder, ec);
  return ec ? isFolder : absolute.lexically_normal().string();
}

std::string fncRelativeTo(const std::string& path, const std::string& folder) {
  if (!folder.empty() && path.rfind(folder, 0) == 0) return path.substr(folder.size());
  return path;
}

}  // namespace

void iFrontEnd::subIdle(std::chrono::milliseconds timeout) { std::this_thread::sleep_for(timeout); }

cApplication::cApplication(cApplicationOptions options, iFrontEnd& frontEnd)
    : mOptions(std::move(options)), mFrontEnd(frontEnd) {}

cApplication::~cApplication() {
  // Modes first: they borrow everything else.
  for (auto& mode : mModes) mode.reset();
  if (mPrompts) mPrompts->subSetPromptListener(nullptr);
  if (mApp) mApp->queue().subSetDispatcher(nullptr), mApp->queue().subSetPromptPlayer(nullptr);
}

double cApplication::fncdProgramTime() const {
  return mWindow ? static_cast<double>(mWindow->fnclTicks()) * 0.01 : 0.0;
}

int cApplication::fnciSignalFd() const { return mSignals ? mSignals->fnciReadFd() : -1; }

// --- the modes ---------------------------------------------------------------------------------

std::unique_ptr<iMode> cApplication::fncCreateMode(eModeNumber ienMode) {
  switch (ienMode) {
    case eModeNumber::Reading: return std::make_unique<cBookBrowser>(*mServices);
    case eModeNumber::Help: return std::make_unique<cHelpBrowser>(*mServices);
    case eModeNumber::Bookshelf:
      return std::make_unique<cBookshelfBrowser>(*mServices, static_cast<cBookBrowser&>(fncMode(eModeNumber::Reading)));
    case eModeNumber::Information:
      return std::make_unique<cBookInfoBrowser>(*mServices, fncMode(eModeNumber::Reading));
  }
  return nullptr;  // every mode number is above
}

iMode& cApplication::fncMode(eModeNumber ienMode) {
  auto& slot = mModes[static_cast<int>(ienMode) - 1];
  if (!slot) slot = fncCreateMode(ienMode);
  return *slot;
}

void cApplication::subSetCurrentMode(eModeNumber ienMode) {
  mCurrent = &fncMode(ienMode);
  mApp->currentModeNumber = ienMode;
}

// --- start-up ------------------------------------------------------------------------------------

bool cApplication::fncbStartUp() {
  // 1. One copy only (front ends that run many copies at once, such as tests, give no check).
  // The running copy has a current folder of its own, so it gets the book as a whole path.
  if (mOptions.singleInstance && !mOptions.singleInstance->fncbClaim(fncAbsoluteFolder(mOptions.sBook)))
    return false;
  // 2. The components this build uses.
  if (mOptions.bolCheckPrerequisites) {
    const auto failures = fncPrerequisiteFailures(fncComponentVersions());
    if (!failures.empty()) {
      for (const auto& failure : failures) std::cerr << failure << "\n";
      return false;
    }
  }
  mSignals = std::make_unique<cSignalPipe>();
  // 3-6. Program folder, settings, style sheets, key timing.
  auto registry = std::make_unique<cRegistry>(mOptions.registryFile.empty() ? cRegistry::fncDefaultFile()
                                                                            : mOptions.registryFile);
  mApp = std::make_unique<cApplicationState>(
      std::move(registry), mOptions.sProgramFolder.empty() ? fncProgramFolder() : mOptions.sProgramFolder);
  mApp->subLoadSettingsAtStart();
  // 7. The navigation click sound does not exist here.
  subBuildPlayers(true);
  mSpeed->subSetSpeed(mApp->startSettings.tempo);
  mBookPlayer->plVolume(mApp->startSettings.volume);
  mPromptPlayer->plVolume(std::min(mApp->startSettings.volume, 8));

  // 9. The per-user data folder.
  mDisk = std::make_unique<mdlDiskModule>(mApp->registry(), *mDrives);
  if (!mOptions.sUserDataFolder.empty()) {
    mDisk->sDefaultUserDataPath = fncWithTrailingSeparator(mOptions.sUserDataFolder);
  }
  mDisk->subInitUserDataPath();
  // 10.
  mApp->bolModeSwitchInProgress = false;

  // 11. The window, and the prompt file.
  mPrompts = std::make_unique<cPromptHandler>(mApp->queue(), mApp->programFolder(), mDisk->gsUserDataPath);
  mPrompts->subSetPromptListener(this);
  iModeSet& modes = *this;
  mWindow = std::make_unique<cMainWindow>(*mApp, *mPrompts, *mBookPlayer, *mSpeed, modes, mFrontEnd);
  mWindow->subSetDoEvents([this] { subDoEvents(); });
  mServices = std::make_unique<cModeServices>(
      cModeServices{*mApp, *mPrompts, *mBookPlayer, *mSpeed, *mDisk, *mWindow, *this});
  mDispatcher = std::make_unique<cDispatcher>(cDispatcherParts{
      *mApp, *mPrompts, *mBookPlayer, *mPromptPlayer, *mSpeed, *mDisk, *mWindow, *this, modes, *this});
  mApp->queue().subSetDispatcher(mDispatcher.get());
  mApp->queue().subSetPromptPlayer(mPrompts.get());
  // 14 (the prompt handler takes both players at once).
  mPrompts->subSetPlayers(mPromptPlayer.get(), mBookPlayer.get());
  if (!mPrompts->fncbLoadPromptFile("prompts.bin")) {
    mApp->subRecordError(601, "Init phrasemodule");
    mFrontEnd.subShowError(601, "Init phrasemodule");
  }
  mPromptPlayer->plVolume(std::min(mBookPlayer->plVolume(), 8));
  // 8. The reading mode is current.
  subSetCurrentMode(eModeNumber::Reading);
  if (!mOptions.sBook.empty()) {
    const std::string book = fncAbsoluteFolder(mOptions.sBook);
    mApp->registry().subWriteValue("last book read", book, eRegistryRoot::CurrentUser, kKeyMisc);
  }
  // The drives as they are now: later changes are told against this scan.
  mDispatcher->subSetKnownDrives(mDisk->fncScanDrives(true, false));
  // 12-13. Fonts and language labels are the window's; the labels' values follow the mode.
  mWindow->fncUpdateUserInterface();
  // 15.
  mPrompts->subAddAudioPrompts(15, false, false, false, {"gen_programname"});
  // 16.
  mWindow->subSetEnabled(eSwitchable::mnuExtendedSearch, false);
  for (auto control : {eSwitchable::mnuGotoPage, eSwitchable::mnuBookInfo, eSwitchable::cbInfo,
                       eSwitchable::cbGotoPage, eSwitchable::cbBookshelf, eSwitchable::cbHelp})
    mWindow->subSetEnabled(control, true);
  mbStarted = true;
  return true;
}

void cApplication::subBuildPlayers(bool ibolPrompts) {
  // The players (the window's), on one virtual clock when asked, and the speed control that
  // sets the book player's speed rows.
  if (mOptions.bolVirtualClock && !mOptions.clock) mClock = std::make_unique<cVirtualClock>();
  cVirtualClock* clock = mOptions.clock ? mOptions.clock : mClock.get();
  mTimer = std::make_unique<cPositionCheckTimer>(clock);
  mSpeed = std::make_unique<cVariControl>(mApp->registry());
  mSpeedLink = std::make_unique<cPlaybackSpeedLink>(*mApp, *mSpeed);
  const AudioChoice choice = mOptions.sAudio.empty() ? fncAudioChoiceFromEnvironment()
                                                     : fncParseAudioChoice(mOptions.sAudio);
  auto bookSink = mOptions.bookSink ? std::move(mOptions.bookSink) : fncMakeAudioSink(choice, "", clock);
  mSoundNotice = std::make_unique<cSoundDeviceNotice>(std::cerr);
  auto bookControl = std::make_unique<cObservedControl>(
      std::make_unique<cPhraseAudioHandler>(eAudioRole::Book, std::move(bookSink), mSoundNotice.get()),
      [this] { subReportPlay(); },
      // The speed can change only while the book's file goes through the speed stage.
      [this](bool speedStage) { mApp->bolSpeedChangeAvailable = speedStage; });
  mBookPlayer = std::make_unique<cAudioPlaybackSystem>(std::move(bookControl), mSpeedLink.get());
  mTimer->subAttach(*mBookPlayer);
  mSpeed->subSetBookPlayer(mBookPlayer.get());
  if (ibolPrompts) {
    // With a WAV file on program time the book alone goes there; prompts are not heard.
    const AudioChoice promptChoice = choice.kind == AudioChoice::eKind::Wav && mOptions.bolVirtualClock
                                         ? AudioChoice{AudioChoice::eKind::Null, {}}
                                         : choice;
    mPromptPlayer = std::make_unique<cAudioPlaybackSystem>(std::make_unique<cPhraseAudioHandler>(
        eAudioRole::Prompt, fncMakeAudioSink(promptChoice, ".prompts", clock), mSoundNotice.get()));
    mTimer->subAttach(*mPromptPlayer);
  }
  mDrives = mOptions.drives ? std::move(mOptions.drives) : std::make_unique<cDrives>();
}

cPlaybackParts cApplication::fncStartPlaybackOnly() {
  // The settings file only when one is given (its speed tables); otherwise settings in memory.
  auto registry = mOptions.registryFile.empty() ? std::make_unique<cRegistry>()
                                                : std::make_unique<cRegistry>(mOptions.registryFile);
  mApp = std::make_unique<cApplicationState>(std::move(registry),
                                             mOptions.sProgramFolder.empty() ? fncProgramFolder()
                                                                             : mOptions.sProgramFolder);
  subBuildPlayers(false);
  return cPlaybackParts{mApp->queue(), *mBookPlayer, *mTimer, mOptions.clock ? mOptions.clock : mClock.get(),
                        *mDrives, *mSpeed};
}

int cApplication::fncRun() {
  if (!fncbStartUp()) return mOptions.singleInstance ? 0 : 1;
  subObserve();
  subMainLoop();
  subShutDown();
  return 0;
}

// --- the loops -----------------------------------------------------------------------------------

void cApplication::subCheckSignals() {
  if (mSignals && mSignals->fncTakeSignal()) mApp->bolQuit = true;
}

void cApplication::subTick() {
  mWindow->subTimerTick(*mTimer);
  subObserve();
}

void cApplication::subTurn(bool ibolInDialog, bool ibolPromptPump) {
  const auto next = std::chrono::steady_clock::now() + kTick;
  if (!mbInputEnded && !mFrontEnd.fncbTurn(*this)) {
    // The end of the input is a confirmed quit.
    mbInputEnded = true;
    mApp->bolQuit = true;
  }
  subCheckSignals();
  if (!ibolInDialog) {
    mApp->queue().subProcessQue();
    subObserve();
  } else if (ibolPromptPump) {
    mApp->queue().subprocessQueueOnlyPLAYNEXTPROMPT();
  }
  subTick();
  if (fncbRealTime()) {
    const auto now = std::chrono::steady_clock::now();
    if (next > now) mFrontEnd.subIdle(std::chrono::duration_cast<std::chrono::milliseconds>(next - now));
  }
}

void cApplication::subDoEvents() {
  // Inside a long operation: the input due now and one tick, without a pump (the operation
  // runs inside one).
  if (!mbInputEnded && !mFrontEnd.fncbTurn(*this)) {
    mbInputEnded = true;
    mApp->bolQuit = true;
  }
  subCheckSignals();
  subTick();
}

void cApplication::subMainLoop() {
  while (!mApp->bolQuit) subTurn(false, false);
}

// --- shutdown ------------------------------------------------------------------------------------

void cApplication::subShutDown() {
  // 1. "Stop" is a pause: the position stays for the bookmarks.
  mBookPlayer->fncbPause();
  mPromptPlayer->fncbPause();
  // The current mode gives back what it changed on entry (the bookshelf and the information
  // mode run at speed step 5 and restore the user's step here) before the step is saved.
  if (mCurrent) mCurrent->subPrepareForModeChange();
  // 2. The settings.
  mWindow->subFlushCaption();
  iMode& reading = fncMode(eModeNumber::Reading);
  mApp->fncSaveSettingsAtShutdown(mBookPlayer->plVolume(), mSpeed->Speed(), reading.pBolNccMode,
                                  fncLoadWindowPlacement(mApp->registry()));
  // 3. The reading mode unloads its book, saving the place and the bookmarks.
  if (reading.fncbBookLoaded()) {
    subSetCurrentMode(eModeNumber::Reading);
    subUnloadBook();
  }
  // 4-7.
  mWindow->subQuitWB();
  mApp->queue().subclearQue();
  mCurrent = nullptr;
  for (auto& mode : mModes) mode.reset();
  mbStarted = false;
  mFrontEnd.subExit();
}

void cApplication::subSaveForSleep() {
  if (!mbStarted) return;
  mBookPlayer->fncbPause();
  mPromptPlayer->fncbPause();
  // Through the queue as well, so that the window shows the Start picture again.
  mApp->queue().subAddMessage("STOP");
  mWindow->subFlushCaption();
  iMode& reading = fncMode(eModeNumber::Reading);
  // A generated page plays at a step of its own; the user's step is the one to keep.
  const int32_t speed = fncMode(mApp->currentModeNumber).fncUsersSpeed().value_or(mSpeed->Speed());
  mApp->fncSaveSettingsAtShutdown(mBookPlayer->plVolume(), speed, reading.pBolNccMode,
                                  fncLoadWindowPlacement(mApp->registry()));
  // The place goes to the bookmark file as on unloading, but the book stays loaded.
  if (auto* book = dynamic_cast<cBookBrowser*>(&reading); book && book->fncbBookLoaded()) book->subSaveBookmarks();
}

void cApplication::subEndSession() {
  if (!mbStarted) return;
  subSaveForSleep();
  mApp->bolQuit = true;
}

void cApplication::subOpenBook(const std::string& isFolder) {
  if (!mbStarted || isFolder.empty()) return;
  mApp->queue().subAddMessage("OPENBOOK", fncAbsoluteFolder(isFolder));
}

bool cApplication::fncLoadBook(const std::string& folder, const std::string& nccFile) {
  auto* reading = dynamic_cast<cBookBrowser*>(&fncMode(eModeNumber::Reading));
  if (!reading) return false;
  const std::filesystem::path root(folder);
  const bool hasNcc = nccFile.empty() ? fncResolvePathIgnoringCase(root / "ncc.html") ||
                                            fncResolvePathIgnoringCase(root / "ncc.htm")
                                      : fncResolvePathIgnoringCase(root / nccFile).has_value();
  if (!hasNcc) return false;
  return reading->fncLoadBook(folder, nccFile.empty() ? std::nullopt : std::optional(nccFile));
}

// --- input ---------------------------------------------------------------------------------------

std::string cApplication::fncOpenDialog() const {
  if (mTextDialog) return mTextDialog->fncKind() == cTextEntryDialog::eKind::Search ? "search" : "gotopage";
  if (mQuitDialog) return "quit";
  if (mAboutDialog) return "about";
  return {};
}

void cApplication::subKeyDown(const cKey& key) {
  if (mTextDialog) {
    const std::string before = mTextDialog->fncText();
    mTextDialog->subKeyDown(key);
    if (mTextDialog->fncText() != before) mFrontEnd.subDialogText(mTextDialog->fncText());
  } else if (mQuitDialog) {
    mQuitDialog->subKeyDown(key);
  } else if (mAboutDialog) {
    mAboutDialog->subKeyDown(key);
  } else if (mWindow) {
    mWindow->subDocumentKeyDown(key);
  }
}

void cApplication::subKeyUp(const cKey& key) {
  if (mTextDialog) mTextDialog->subKeyUp(key);
  else if (mQuitDialog || mAboutDialog) return;
  else if (mWindow) mWindow->subDocumentKeyUp(key);
}

void cApplication::subType(char32_t c) {
  cKey key;
  key.cChar = c;
  if (c >= 'a' && c <= 'z') key.lCode = static_cast<int32_t>(c - 32);
  else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) key.lCode = static_cast<int32_t>(c);
  else if (c == ' ') key.lCode = key::Space;
  else key.lCode = 0xFF;  // a character without a key of its own
  if (c >= 'A' && c <= 'Z') key.lShift = shift::Shift;
  subKeyDown(key);
  subKeyUp(key);
}

void cApplication::subPost(const std::string& isName, Variant arg1, Variant arg2) {
  mApp->queue().subAddMessage(isName, std::move(arg1), std::move(arg2));
}

void cApplication::subCloseWindow() {
  if (!mApp->bolQuit && !mQuitDialog) mApp->queue().subAddMessage("QUIT");
}

void cApplication::subUnitButton(int32_t ilArrow, bool ibolDown) {
  if (mWindow && fncOpenDialog().empty()) mWindow->subUnitButton(ilArrow, ibolDown);
}

void cApplication::subButton(const std::string& isName) {
  if (!fncOpenDialog().empty()) return;
  for (const auto& button : kButtons) {
    if (button.sName != isName || button.sMessage.empty()) continue;
    mApp->queue().subAddMessage(button.sMessage);
    return;
  }
}

void cApplication::subLinkPressed(const std::string& isHref, const std::string& isParentId) {
  if (mCurrent && fncOpenDialog().empty()) mCurrent->subClickedOn(isHref, isParentId);
}

void cApplication::subMenuLoop(bool ibolEntered) {
  if (mWindow) mWindow->subMenuLoop(ibolEntered);
}

void cApplication::subMenuSelect(const std::string& isName, bool ibolEnabled) {
  if (mWindow) mWindow->subMenuSelect(isName, ibolEnabled);
}

void cApplication::subMenuItem(const std::string& isName) {
  if (mWindow && fncOpenDialog().empty()) mWindow->subMenuItem(isName);
}

// --- what the front end is told ------------------------------------------------------------------

void cApplication::evPromptStarted(std::string_view key) { mFrontEnd.subShowPrompt(std::string(key)); }

int32_t cApplication::fnclFastForward() {
  const auto* reading = dynamic_cast<const cBookBrowser*>(mCurrent);
  return reading && reading->bolFFW ? reading->lFFWDirection : 0;
}

void cApplication::subUnloadBook() {
  if (auto* reading = dynamic_cast<cBookBrowser*>(mModes[0].get())) reading->subUnloadCurrentBook();
}

void cApplication::subObserve() {
  const int32_t mode = static_cast<int32_t>(mApp->currentModeNumber);
  if (mode != mlShownMode) {
    mlShownMode = mode;
    mFrontEnd.subShowMode(mode);
  }
  // The clip armed last by the current mode's reader.
  if (mCurrent) {
    if (cNCCReader* reader = mCurrent->clsNccReader(); reader && reader->ctlDXM()) {
      const std::string folder = reader->clsDTBData().sWorkPath;
      const std::string file = fncRelativeTo(reader->ctlDXM()->psFileName(), folder);
      const std::string clip = file + "|" + std::to_string(reader->lOCS) + "|" + std::to_string(reader->lOCE);
      if (!file.empty() && clip != msShownClip) {
        msShownClip = clip;
        msBookFolder = folder;
        mFrontEnd.subShowClip(file, reader->lOCS, reader->lOCE);
      }
    }
  }
  std::string state = "stopped";
  if (mBookPlayer->mlCurrentAudioState == 1) {
    const int32_t ffw = fnclFastForward();
    state = ffw > 0 ? "fastforward" : ffw < 0 ? "rewind" : "playing";
  }
  if (state != msShownState) {
    msShownState = state;
    mFrontEnd.subShowPlayerState(state);
  }
}

void cApplication::subReportPlay() {
  if (!mbStarted) return;  // playing a book without the program around it
  subObserve();
  const double mark = mBookPlayer->mbMarkSet ? mBookPlayer->mdMarkPosition : -1.0;
  mFrontEnd.subShowPlay(fncRelativeTo(mBookPlayer->psFileName(), msBookFolder), mBookPlayer->pdPosition(), mark);
}

// --- the dialogs ---------------------------------------------------------------------------------

int32_t cApplication::fncTextDialog(bool ibolSearch, iMode& mode) {
  cTextEntryDialog dialog(ibolSearch ? cTextEntryDialog::eKind::Search : cTextEntryDialog::eKind::GotoPage,
                          *mPrompts, mode, cTocView::fncOf(mode.clsNccReader()),
                          mApp->currentModeNumber == eModeNumber::Reading, mApp->bolScreenReaderMode);
  const std::string name = ibolSearch ? "search" : "gotopage";
  mTextDialog = &dialog;
  mFrontEnd.subDialogOpened(name, mPrompts->Text(dialog.fncCaptionKey()), dialog.fncText());
  dialog.subActivate();
  while (!dialog.fncbDone()) {
    subTurn(true, true);
    if (mApp->bolQuit && !dialog.fncbDone()) dialog.subCancel();
  }
  mPrompts->subclearQue();
  mTextDialog = nullptr;
  mFrontEnd.subDialogClosed(name, std::to_string(dialog.fnclResult()));
  return dialog.fnclResult();
}

int32_t cApplication::fncShowSearch(iMode& mode) { return fncTextDialog(true, mode); }
int32_t cApplication::fncShowGotoPage(iMode& mode) { return fncTextDialog(false, mode); }

bool cApplication::fncShowDialog(const std::string& isCaption, const std::string& isText,
                                 const std::vector<std::string>& isPromptKeys) {
  cQuitDialog dialog(*mPrompts, *mPromptPlayer, *mBookPlayer, mApp->queue(), isPromptKeys);
  mQuitDialog = &dialog;
  mFrontEnd.subDialogOpened("quit", isCaption, isText);
  dialog.subOpen();
  // A signal or the end of the input closes it without resuming the book.
  while (!dialog.fncbClosed() && !mApp->bolQuit) subTurn(true, false);
  dialog.subClose();
  mQuitDialog = nullptr;
  mWindow->fncUpdateUserInterface();
  mFrontEnd.subDialogClosed("quit", dialog.fncbAnswer() ? "yes" : "no");
  return dialog.fncbAnswer();
}

std::optional<std::string> cApplication::fncShowFileOpen() {
  return mFrontEnd.fncShowFileOpen("ncc.html");
}

void cApplication::subShowAbout() {
  cAboutDialog dialog(*mPrompts, *mBookPlayer, mApp->queue());
  mAboutDialog = &dialog;
  mFrontEnd.subDialogOpened("about", dialog.fncCaption(),
                            dialog.fncVersion() + "\n" + dialog.fncCopyright() + "\n" + dialog.fncLicense() +
                                "\n" + dialog.fncUpdate() + "\n" + dialog.fncWWW());
  dialog.subOpen();
  while (!dialog.fncbClosed() && !mApp->bolQuit) subTurn(true, false);
  if (mApp->bolQuit) dialog.subCloseQuietly();
  mAboutDialog = nullptr;
  mFrontEnd.subDialogClosed("about", "closed");
}

}  // namespace lyn
