#include "shell/cDispatcher.h"

#include <algorithm>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cVariControl.h"
#include "disk/mdlDiskModule.h"
#include "modes/iBookOpener.h"
#include "modes/iDialogs.h"
#include "modes/iMainWindow.h"
#include "modes/iMode.h"
#include "platform/files/TextCase.h"
#include "prompts/cPromptHandler.h"
#include "shell/iModeSet.h"

namespace lyn {

namespace {

// The drives of `now` that `before` lacks, followed by those of `before` that `now` lacks.
std::vector<std::string> fncChangedDrives(const std::vector<std::string>& before,
                                          const std::vector<std::string>& now) {
  std::vector<std::string> changed;
  for (const auto& d : now)
    if (std::find(before.begin(), before.end(), d) == before.end()) changed.push_back(d);
  for (const auto& d : before)
    if (std::find(now.begin(), now.end(), d) == now.end()) changed.push_back(d);
  return changed;
}

}  // namespace

iMode& cDispatcher::fncMode() {
  if (iMode* mode = m.modes.fncCurrentMode()) return *mode;
  m.modes.subSetCurrentMode(eModeNumber::Reading);
  return *m.modes.fncCurrentMode();
}

bool cDispatcher::fncbBookPlaying() const { return m.bookPlayer.mlCurrentAudioState == 1; }

bool cDispatcher::fncbDispatch(cMessage& message) {
  const std::string name = fncFoldCase(message.fncgetMessageName());
  const eModeNumber modeNumber = m.app.currentModeNumber;
  const bool reading = modeNumber == eModeNumber::Reading;

  // Window, timer and key notifications.
  if (name == "controltimer") {
    subControlTimer();
  } else if (name == "updateinterface") {
    m.window.fncUpdateUserInterface();
  } else if (name == "afterevent") {
    m.window.subAfterEventHandler();
  } else if (name == "playnextprompt") {
    m.prompts.subPlayNextPrompt();
  } else if (name == "waitingforbooks") {
    m.prompts.subAddAudioPrompts(8, true, false, false, {"sfx_waitingforbooks"});
  } else if (name == "clearscreen") {
    m.window.subDoNavigate("about:blank");
  } else if (name == "setfocus2document") {
    m.window.subSetFocusInHTMLDocument();
  } else if (name == "keyhold") {
    if (reading) fncMode().subBeginFFW(fncVariantToInt32(message.fncArg1()) == 39 ? 1 : -1);
  } else if (name == "keyrelease") {
    if (reading) fncMode().subEndFFW();
  } else if (name == "keyup") {
    m.app.queue().subAddMessage(fncVariantToInt32(message.fncArg1()) == 37 ? "PREVIOUSUNIT" : "NEXTUNIT",
                                message.fncgetArg2());
  } else if (name == "applystyle") {
    m.window.subApplyStyleSheetToCurrentDocument();
  }
  // Commands.
  else if (name == "start") {
    const bool userInvoked = !fncVariantEquals(message.fncArg1(), Variant(false));
    message.pvntArg1(userInvoked);
    if (!m.prompts.fncMutePrompts(userInvoked)) return true;
    m.prompts.subclearQue();
    fncMode().subPlay();
  } else if (name == "stop") {
    m.bookPlayer.fncbPause();
    m.window.subShowStartPicture(true);
  } else if (name == "startstop") {
    fncMode().subStartStop();
  } else if (name == "nextunit" || name == "previousunit") {
    int32_t count = fncVariantToInt32(message.fncArg1());
    if (count == 0) count = 1;
    message.pvntArg1(count);
    fncMode().subBrowseUnit(name == "nextunit" ? 1 : -1, count);
    m.app.queue().subAddMessage("UPDATEINTERFACE");
    m.app.queue().subAddMessage("START", std::string("userinvoke"));
  } else if (name == "increaseunit" || name == "decreaseunit") {
    fncMode().subChangeUnit(name == "increaseunit" ? 1 : -1);
    m.app.queue().subAddMessage("UPDATEINTERFACE");
  } else if (name == "insert") {
    fncMode().subInsert();
  } else if (name == "delete") {
    fncMode().subDelete();
  } else if (name == "undo") {
    if (!fncMode().fncUndo()) m.prompts.subAddAudioPrompts(10, true, false, false, {"sfx_indicator3"});
  } else if (name == "search") {
    fncMode().subSearch();
    m.window.subUpdateWB();
    m.app.currentModeNumber = modeNumber;
  } else if (name == "extendedsearch") {
    if (modeNumber == eModeNumber::Bookshelf) fncMode().subExtendedSearch();
  } else if (name == "gotopage") {
    if (reading) {
      fncMode().subGotoPage();
      m.window.subUpdateWB();
      m.app.currentModeNumber = eModeNumber::Reading;
    } else {
      m.prompts.subAddAudioPrompts(8, true, false, false, {"sfx_indicator2"});
    }
  } else if (name == "newbook") {
    fncMode().subInitNewBookData();
  } else if (name == "newbookfrombookshelf") {
    fncMode().subInitNewBookData();
    fncMode().subSkipTitle();
    m.window.fncUpdateUserInterface();
  } else if (name == "increasevolume" || name == "decreasevolume") {
    subVolume(name == "increasevolume" ? 1 : -1);
  } else if (name == "increaserate" || name == "decreaserate") {
    subRate(name == "increaserate");
  } else if (name == "bookshelf") {
    if (modeNumber == eModeNumber::Bookshelf) m.app.queue().subAddMessage("READ");
    else subSwitchTo(eModeNumber::Bookshelf);
  } else if (name == "help") {
    if (modeNumber == eModeNumber::Help) m.app.queue().subAddMessage("READ");
    else subSwitchTo(eModeNumber::Help);
  } else if (name == "info") {
    if (reading && fncMode().fncbBookLoaded()) subSwitchTo(eModeNumber::Information);
    else m.prompts.subAddAudioPrompts(10, true, false, false, {"sfx_indicator3"});
  } else if (name == "read") {
    subSwitchTo(eModeNumber::Reading);
  } else if (name == "nccview") {
    subView("nccview", "cap_nccview");
  } else if (name == "fulltextview") {
    subView("fulltextview", "cap_fulltextview");
  } else if (name == "nextstyle" || name == "previousstyle") {
    subStyle(name == "nextstyle");
  } else if (name == "about") {
    m.dialogs.subShowAbout();
  } else if (name == "quit") {
    subQuit();
  } else if (name == "openbook") {
    if (const auto* folder = std::get_if<std::string>(&message.fncArg1())) subOpenBook(*folder);
  }
  // "NCCERROR", "TOCPOSITIONCHANGED", "AUTOMATICMOVEMENT", "PAUSE", "STARTFROMSCRATCH" and
  // unknown names: nothing to do.
  return false;
}

void cDispatcher::subOpenBook(const std::string& isFolder) {
  // As a book chosen on the bookshelf: the reading mode takes it and becomes current; a folder
  // that holds no book leaves the book loaded as it is.
  m.bookPlayer.fncbPause();
  m.prompts.subclearQue();
  if (!m.books.fncLoadBook(isFolder)) {
    m.prompts.subAddAudioPrompts(10, false, false, false, {"err_nccerr"});
    m.app.queue().subAddMessage("START");
    return;
  }
  m.prompts.subAddAudioPrompts(10, true, false, false, {"bok_loadingbook"});
  m.app.queue().subAddMessage("READ");
  m.app.queue().subAddMessage("NEWBOOK");
}

void cDispatcher::subControlTimer() {
  // Compared with this dispatcher's own last full scan: the bookshelf's searches scan without
  // the network drives, which must not look like a change here.
  std::vector<std::string> drives = m.disk.fncScanDrives(true, false);
  if (drives != mvKnownDrives) {
    m.disk.gsChangedDrives = fncChangedDrives(mvKnownDrives, drives);
    mvKnownDrives = std::move(drives);
    fncMode().subDrivesChanged();
  }
  fncMode().subControlTimer();
}

void cDispatcher::subVolume(int32_t ilStep) {
  // The player's steps are 0..10; a step beyond them changes nothing.
  const int32_t volume = std::clamp(m.bookPlayer.plVolume() + ilStep, 0, 10);
  if (volume != m.bookPlayer.plVolume()) m.bookPlayer.plVolume(volume);
  // Prompts are never louder than step 8.
  m.promptPlayer.plVolume(std::min(m.bookPlayer.plVolume(), 8));
  m.window.fncUpdateUserInterface();
  if (!fncbBookPlaying())
    m.prompts.subAddAudioPrompts(3, true, false, false, {"con_volume", m.bookPlayer.plVolume()});
}

void cDispatcher::subRate(bool ibolIncrease) {
  const eModeNumber mode = m.app.currentModeNumber;
  if (!m.app.bolSpeedChangeAvailable || mode == eModeNumber::Bookshelf ||
      mode == eModeNumber::Information) {
    m.prompts.subAddAudioPrompts(10, false, true, false, {"sfx_indicator3"});
    return;
  }
  if (ibolIncrease) m.speed.subIncreaseSpeed();
  else m.speed.subDecreaseSpeed();
  m.window.fncUpdateUserInterface();
  const int32_t step = m.speed.Speed();
  if (fncbBookPlaying()) {
    if (step == 5) m.prompts.subAddAudioPrompts(10, false, true, false, {"con_normalspeed"});
  } else if (step == 5) {
    m.prompts.subAddAudioPrompts(3, true, false, false, {"con_normalspeed"});
  } else {
    m.prompts.subAddAudioPrompts(3, true, false, false, {"con_speed", step - 5});
  }
}

void cDispatcher::subSwitchTo(eModeNumber ienMode) {
  struct Row {
    int extendedSearch, gotoPage, bookInfo, cbGotoPage, cbInfo, cbBookshelf, cbHelp;  // -1 unchanged
  };
  static constexpr Row kReading{0, 1, 1, 1, 1, 1, 1};
  static constexpr Row kHelp{0, 0, 0, 0, 0, 1, 0};
  static constexpr Row kBookshelf{1, 0, 0, 0, 0, 0, 1};
  static constexpr Row kInformation{-1, 0, 0, 0, 0, -1, -1};
  const Row& row = ienMode == eModeNumber::Reading     ? kReading
                   : ienMode == eModeNumber::Help      ? kHelp
                   : ienMode == eModeNumber::Bookshelf ? kBookshelf
                                                       : kInformation;
  const auto set = [&](eSwitchable control, int value) {
    if (value >= 0) m.window.subSetEnabled(control, value == 1);
  };
  const auto setRow = [&] {
    set(eSwitchable::mnuExtendedSearch, row.extendedSearch);
    set(eSwitchable::mnuGotoPage, row.gotoPage);
    set(eSwitchable::mnuBookInfo, row.bookInfo);
    set(eSwitchable::cbGotoPage, row.cbGotoPage);
    set(eSwitchable::cbInfo, row.cbInfo);
    set(eSwitchable::cbBookshelf, row.cbBookshelf);
    set(eSwitchable::cbHelp, row.cbHelp);
  };

  if (ienMode == eModeNumber::Reading && m.modes.fncCurrentMode() == &m.modes.fncMode(eModeNumber::Reading)) {
    // Already reading (the bookshelf makes the reading mode current before it posts "READ"):
    // the buttons must still follow.
    setRow();
    m.app.currentModeNumber = eModeNumber::Reading;
    return;
  }
  m.app.bolModeSwitchInProgress = ienMode != eModeNumber::Reading;
  setRow();
  m.bookPlayer.fncbPause();
  if (ienMode == eModeNumber::Information || ienMode == eModeNumber::Help) m.prompts.subclearQue();
  if (iMode* current = m.modes.fncCurrentMode()) current->subPrepareForModeChange();
  m.window.subDoNavigate("about:blank");
  m.modes.subSetCurrentMode(ienMode);
  m.window.subFocusView();
  iMode& mode = fncMode();
  switch (ienMode) {
    case eModeNumber::Bookshelf: mode.subShowBookList(); break;
    case eModeNumber::Information: mode.subShowInfo(); break;
    case eModeNumber::Help: mode.subShowHelp(); break;
    case eModeNumber::Reading: m.app.queue().subAddMessage("START"); break;
  }
  m.window.subSetCaption(std::string(kProgramVersion) + "  ---  " + fncMode().fncClassCaption());
  m.app.bolModeSwitchInProgress = false;
}

void cDispatcher::subView(const char* isView, const char* isCaptionKey) {
  if (m.app.currentModeNumber != eModeNumber::Reading) {
    m.prompts.subAddAudioPrompts(8, false, false, true, {"sfx_indicator3"});
    return;
  }
  fncMode().subChangeMode(std::string(isView));
  m.prompts.subAddAudioPrompts(5, true, false, false, {isCaptionKey});
}

void cDispatcher::subStyle(bool ibolNext) {
  cStyleSheets& styles = m.app.styleSheets();
  const int32_t count = styles.fncStyleCount();
  int32_t style = styles.fncCurrentStyle();
  if (ibolNext) {
    style = style != count ? style + 1 : 0;
  } else {
    style -= 1;
    if (style == -1) style = count;
  }
  styles.subSetCurrentStyle(style);
  if (style != 0) m.prompts.subAddAudioPrompts(5, true, false, false, {"cap_style", style});
  else m.prompts.subAddAudioPrompts(5, true, false, false, {"cap_nostyle"});
  m.window.subApplyStyleSheetToCurrentDocument();
}

void cDispatcher::subQuit() {
  if (m.window.fncbMinimised()) m.window.subRestore();
  const std::string title = m.prompts.Text("cap_exitprogram");
  const std::string text = title + "\r\n" + m.prompts.Text("gen_entertoconfirm");
  // A signal may have set the flag while the dialog was open; a "no" must not clear it.
  if (m.dialogs.fncShowDialog(title, text, {"cap_exitprogram", "gen_entertoconfirm"})) m.app.bolQuit = true;
}

}  // namespace lyn
