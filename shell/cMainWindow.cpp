#include "shell/cMainWindow.h"

#include <filesystem>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cPositionCheckTimer.h"
#include "audio/cVariControl.h"
#include "engine/cNCCReader.h"
#include "markup/cDTBData.h"
#include "markup/cElementData.h"
#include "modes/iMode.h"
#include "platform/files/TextCase.h"
#include "platform/files/cPathResolver.h"
#include "prompts/cPromptHandler.h"
#include "shell/KeyTables.h"
#include "shell/MenuTable.h"
#include "shell/ModuleServices.h"
#include "shell/cApplicationState.h"
#include "shell/iFrontEnd.h"
#include "shell/iModeSet.h"

namespace lyn {

namespace {

constexpr int32_t kTicksPerControlTimer = 50;
constexpr int64_t kTicksBetweenCaptionWrites = 100;  // one second
constexpr size_t kHighlightCharacters = 100;

// The first `count` characters of UTF-8 text.
std::string fncCutCharacters(const std::string& text, size_t count) {
  size_t seen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (seen++ == count) return text.substr(0, i);
  }
  return text;
}

bool fncbBlank(const std::string& address) {
  return fncEqualsIgnoringCase(fncNormaliseWhiteSpace(address), "about:blank");
}

// The document part of an address: before the first "#", without "file://".
std::string fncDocumentPart(const std::string& address) {
  std::string document = address.substr(0, address.find('#'));
  if (document.rfind("file://", 0) == 0) document.erase(0, 7);
  return fncDecodePercentEscapes(fncNormaliseWhiteSpace(document));
}

}  // namespace

cMainWindow::cMainWindow(cApplicationState& app, cPromptHandler& prompts,
                         cAudioPlaybackSystem& bookPlayer, cVariControl& speed, iModeSet& modes,
                         iFrontEnd& view)
    : mApp(app), mPrompts(prompts), mBookPlayer(bookPlayer), mSpeed(speed), mModes(modes),
      mView(view), mKeys(app) {
  mApp.bolKeyReleased = true;
}

iMode* cMainWindow::fncMode() { return mModes.fncCurrentMode(); }

const std::string& cMainWindow::fncLabel(const std::string& isName) const {
  static const std::string kNone;
  const auto it = mLabels.find(isName);
  return it == mLabels.end() ? kNone : it->second;
}

void cMainWindow::subLabel(const std::string& isName, const std::string& isText) {
  const auto it = mLabels.find(isName);
  if (it != mLabels.end() && it->second == isText) return;
  mLabels[isName] = isText;
  mView.subShowLabel(isName, isText);
}

// --- the view ----------------------------------------------------------------------------------

std::string cMainWindow::fncResolve(const std::string& isDocument) const {
  if (isDocument.empty()) return {};
  std::filesystem::path path(isDocument);
  if (path.is_relative()) {
    std::string base = msShownFolder;
    if (iMode* mode = const_cast<cMainWindow*>(this)->fncMode()) {
      if (cNCCReader* reader = mode->clsNccReader(); reader && !reader->clsDTBData().sWorkPath.empty())
        base = reader->clsDTBData().sWorkPath;
    }
    path = std::filesystem::path(base) / path;
  }
  if (auto real = fncResolvePathIgnoringCase(path)) return real->lexically_normal().string();
  return path.lexically_normal().string();
}

void cMainWindow::subLoadDocument(const std::string& isDocumentPart) {
  const std::string path = fncResolve(isDocumentPart);
  if (path == mDocument.fncPath()) return;
  mDocument.subLoad(path);
  msShownFolder = std::filesystem::path(path).parent_path().string();
  mlFocused.reset();
  msHighlighted.clear();
}

void cMainWindow::subDoNavigate(const std::string& isAddress) {
  if (fncbBlank(isAddress)) {
    // The page shown stays as far as the model is concerned; the view shows nothing.
    if (msRemembered != "about:blank") mView.subShowAddress("about:blank");
    msRemembered = "about:blank";
    mDocument.subLoad("");
    mlFocused.reset();
    msHighlighted.clear();
    return;
  }
  subLoadDocument(fncDocumentPart(isAddress));
  // The fragment navigated to is the current one, as the view's location says: the highlight
  // follows it even when no text element announced it (the view switched to the full text).
  const auto hash = isAddress.find('#');
  msCurrentFragment = hash == std::string::npos ? std::string() : isAddress.substr(hash);
  if (isAddress != msRemembered) mView.subShowAddress(isAddress);
  msRemembered = isAddress;
  subApplyStyleSheetToCurrentDocument();
  subSetFocusInHTMLDocument();
}

void cMainWindow::fncUpdateUserInterface() {
  iMode* mode = fncMode();
  if (mode) {
    subLabel("laNavigationText", mode->sNavModeText);
    subLabel("laPhraseCount", mode->sPhraseCount);
    subSetCaption(std::string(kProgramVersion) + "  ---  " + mode->fncClassCaption());
  }
  const bool ncc = mode ? mode->pBolNccMode : true;
  if (!mbChecksShown || mbScreenReaderShown != mApp.bolScreenReaderMode || mbNccViewShown != ncc) {
    mbChecksShown = true;
    mbScreenReaderShown = mApp.bolScreenReaderMode;
    mbNccViewShown = ncc;
    mView.subShowChecks(mbScreenReaderShown, mbNccViewShown);
  }
  subLabel("laCurrRate", std::to_string(mSpeed.Speed() - 5));
  subLabel("laCurrVolume", std::to_string(mBookPlayer.plVolume()));
  subSetFocusInHTMLDocument();
}

void cMainWindow::subApplyStyleSheetToCurrentDocument() {
  // The window-less views show no styles; the Qt view applies the current pair.
}

void cMainWindow::subAfterEventHandler() {
  if (!mlFocused) subTab(mlTabDirection < 0);
}

void cMainWindow::subSetFocusInHTMLDocument(std::optional<std::string> isElementId) {
  std::string id;
  if (isElementId) {
    id = *isElementId;
  } else {
    iMode* mode = fncMode();
    cNCCReader* reader = mode ? mode->clsNccReader() : nullptr;
    if (mApp.currentModeNumber == eModeNumber::Reading && mode && mode->pBolNccMode && reader) {
      if (cTocItem* item = reader->clsCurrentTocItem()) id = item->sID;
    } else if (!msCurrentFragment.empty()) {
      id = msCurrentFragment.substr(1);
    }
  }
  const auto element = mDocument.fncElementById(id);
  if (!element) return;
  mlFocused = element;
  const std::string key = mDocument.fncPath() + "#" + fncFoldCase(id);
  if (key == msHighlighted) return;
  msHighlighted = key;
  mView.subShowHighlight(mDocument.fncId(*element),
                         fncCutCharacters(mDocument.fncText(*element), kHighlightCharacters));
}

void cMainWindow::subSetCaption(const std::string& isCaption) {
  if (isCaption != msCaption) {
    msCaption = isCaption;
    mView.subShowCaption(isCaption);
  }
  mbCaptionPending = msCaption != msSavedCaption;
  if (mbCaptionPending && mlTicks - mlLastCaptionWrite >= kTicksBetweenCaptionWrites) subWriteCaption();
}

void cMainWindow::subWriteCaption() {
  mApp.registry().subWriteValue("caption", msCaption, eRegistryRoot::CurrentUser, kKeyTemporary);
  msSavedCaption = msCaption;
  mbCaptionPending = false;
  mlLastCaptionWrite = mlTicks;
}

void cMainWindow::subFlushCaption() {
  if (mbCaptionPending || msCaption != msSavedCaption) subWriteCaption();
}

void cMainWindow::subRefreshWB() {
  const std::string address = msRemembered;
  subDoNavigate("about:blank");
  if (!address.empty() && !fncbBlank(address)) {
    mDocument.subLoad("");  // read again: the file was regenerated
    subDoNavigate(address);
  }
}

void cMainWindow::subUpdateWB() {
  subApplyStyleSheetToCurrentDocument();
  subSetFocusInHTMLDocument();
}

void cMainWindow::subQuitWB() { subDoNavigate("about:blank"); }

void cMainWindow::subRefresh() {
  const std::string path = mDocument.fncPath();
  mDocument.subLoad("");
  mDocument.subLoad(path);
  msHighlighted.clear();
  subSetFocusInHTMLDocument();
}

void cMainWindow::subSetBookmarkLabel(std::optional<int32_t> ilBookmark) {
  subLabel("laBookmarkCount", ilBookmark ? std::to_string(*ilBookmark) : std::string());
}

void cMainWindow::subSetViewChecks(bool ibolNccView) {
  if (mbChecksShown && mbNccViewShown == ibolNccView) return;
  mbChecksShown = true;
  mbNccViewShown = ibolNccView;
  mView.subShowChecks(mApp.bolScreenReaderMode, ibolNccView);
}

void cMainWindow::subSetEnabled(eSwitchable ienControl, bool ibolEnabled) {
  const auto it = mEnabled.find(ienControl);
  if (it != mEnabled.end() && it->second == ibolEnabled) return;
  mEnabled[ienControl] = ibolEnabled;
  mView.subShowEnabled(ienControl, ibolEnabled);
}

bool cMainWindow::fncbEnabled(eSwitchable ienControl) const {
  const auto it = mEnabled.find(ienControl);
  return it == mEnabled.end() || it->second;
}

void cMainWindow::subShowStartPicture(bool ibolShown) {
  if (mbStartPicture == ibolShown) return;
  mbStartPicture = ibolShown;
  mView.subShowStartPicture(ibolShown);
}

// --- the reader's events -------------------------------------------------------------------------

void cMainWindow::clsNccReader_evNewMedia(cNCCReader& reader, const cElementData& iclsElement) {
  if (!fncEqualsIgnoringCase(iclsElement.sElementName(), "text")) return;
  const std::string src(iclsElement.fncAttrContentWOQ("src"));
  const auto hash = src.find('#');
  const std::string file = fncDecodePercentEscapes(src.substr(0, hash));
  const std::string id = hash == std::string::npos ? std::string() : src.substr(hash + 1);
  if (file.empty()) return;
  std::filesystem::path full = std::filesystem::path(reader.clsDTBData().sWorkPath) / file;
  if (auto real = fncResolvePathIgnoringCase(full)) full = *real;
  const std::string path = full.lexically_normal().string();

  const std::string shown = mDocument.fncPath();
  if (fncEqualsIgnoringCase(msCurrentFragment, "#" + id) && fncEqualsIgnoringCase(shown, path)) return;
  if (shown.empty()) {
    subDoNavigate(path + "#" + id);
    msCurrentFragment = "#" + id;
  } else if (!id.empty() && fncFoldCase(shown).ends_with(fncFoldCase(path))) {
    msCurrentFragment = "#" + id;
    subSetFocusInHTMLDocument(id);
  } else {
    msCurrentFragment = "#" + id;
    subDoNavigate(id.empty() ? path + "#" : "file://" + path + "#" + id);
  }
  fncUpdateUserInterface();
}

void cMainWindow::clsNccReader_evTocPositionChanged(cNCCReader&, int32_t ilPosition) {
  mApp.queue().subAddMessage("TOCPOSITIONCHANGED", ilPosition);
}

void cMainWindow::clsNCCReader_evAutomaticMovement(cNCCReader&) {
  mApp.queue().subAddMessage("AUTOMATICMOVEMENT");
  fncUpdateUserInterface();
}

void cMainWindow::clsNccReader_evError(cNCCReader& reader) {
  const int32_t number = reader.lErrorNumber;
  const int32_t smil = reader.clsSmilPlayer().lErrorNumber;
  const char* prompt = nullptr;
  switch (number) {
    case 2: case 9: case 12: prompt = "err_audioerr"; break;
    case 3: case 4: case 5: case 11: case 13: prompt = "err_nccerr"; break;
    case 8: case 10: prompt = "err_errorsfound"; break;
    case 1:
      if (smil == 1 || smil == 2 || smil == 3 || smil == 7 || smil == 8) prompt = "err_smilerr";
      break;
    default: break;
  }
  if (prompt) {
    mApp.queue().subAddMessage("STOP");
    mPrompts.subAddAudioPrompts(15, false, false, false, {prompt});
  }
  if (mApp.bolDebug) {
    if (iMode* mode = fncMode()) mApp.queue().subAddMessage("NCCERROR", mode->lErrorNumber, mode->sErrorLocation);
  }
  mView.subShowError(number, reader.sErrorLocation);
}

// --- keys ----------------------------------------------------------------------------------------

void cMainWindow::subDocumentKeyDown(const cKey& k) {
  if (k.lCode == key::Left || k.lCode == key::Right || mKeys.fncbTracking()) {
    mKeys.subKeyDown(k.lCode, shift::None);
  } else if (!mApp.bolKeyReleased) {
    mKeys.subKeyUp(mKeys.fnclKey(), mKeys.fnclShift());
  } else if (k.lShift & shift::Alt) {
    // Alt combinations reach the window system; Alt+F4 closes the window, which asks first.
    if (k.lCode == key::F4 && !mApp.bolQuit) mApp.queue().subAddMessage("QUIT");
  } else if (const auto entry = fncKeyDownEntry(k.lCode)) {
    switch (entry->enAction) {
      case eKeyAction::Post: mApp.queue().subAddMessage(entry->sMessage); break;
      case eKeyAction::Tab:
        mlTabDirection = (k.lShift & shift::Shift) ? -1 : 1;
        subTab(mlTabDirection < 0);
        break;
      case eKeyAction::Enter: subEnter(); break;
      case eKeyAction::Escape:
        if (iMode* mode = fncMode()) mode->subEscape();
        break;
      case eKeyAction::Prompt:
        mPrompts.subAddAudioPrompts(entry->lPriority, false, false, false, {std::string(entry->sMessage)});
        break;
      case eKeyAction::Nothing: break;
    }
  }
  mApp.queue().subAddMessage("AFTEREVENT");
}

void cMainWindow::subDocumentKeyUp(const cKey& k) {
  if (k.lCode == key::Left || k.lCode == key::Right || mKeys.fncbTracking()) mKeys.subKeyUp(k.lCode, shift::None);
  if (!mApp.bolKeyReleased) mKeys.subKeyUp(mKeys.fnclKey(), mKeys.fnclShift());
  mApp.queue().subAddMessage("KEYRELEASE");
  mApp.queue().subAddMessage("AFTEREVENT");
}

void cMainWindow::subUnitButton(int32_t ilArrow, bool ibolDown) {
  if (ibolDown) mKeys.subKeyDown(ilArrow, shift::None);
  else mKeys.subKeyUp(ilArrow, shift::None);
}

void cMainWindow::subEnter() {
  // The link at or inside the focused element first (a list entry holds its link as a child),
  // then the links around it.
  std::optional<int32_t> link = mlFocused ? mDocument.fncLinkFor(*mlFocused) : std::nullopt;
  iMode* mode = fncMode();
  if (link && mode) mode->subClickedOn(mDocument.fncHref(*link), mDocument.fncParentId(*link));
  else mPrompts.subAddAudioPrompts(8, false, false, false, {"sfx_indicator3"});
  mApp.queue().subAddMessage("UPDATEINTERFACE");
}

void cMainWindow::subTab(bool ibolBack) {
  const auto& links = mDocument.fncLinks();
  if (links.empty()) return;
  std::optional<int32_t> next;
  // An element that holds a link (a list entry) counts as that link.
  std::optional<int32_t> from = mlFocused;
  if (from) {
    if (const auto link = mDocument.fncLinkFor(*from)) from = link;
  }
  if (from) {
    if (ibolBack) {
      for (auto it = links.rbegin(); it != links.rend() && !next; ++it)
        if (*it < *from) next = *it;
    } else {
      for (int32_t link : links)
        if (link > *from) {
          next = link;
          break;
        }
    }
  }
  // Past either end the focus wraps round.
  if (!next) next = ibolBack ? links.back() : links.front();
  mlFocused = next;
  mView.subShowFocus(*fncFocusedLink(), mDocument.fncText(*next));
}

std::string cMainWindow::fncFocusedId() const { return mlFocused ? mDocument.fncId(*mlFocused) : std::string(); }

std::optional<int32_t> cMainWindow::fncFocusedLink() const {
  if (!mlFocused) return std::nullopt;
  const auto& links = mDocument.fncLinks();
  for (size_t i = 0; i < links.size(); ++i)
    if (links[i] == *mlFocused) return static_cast<int32_t>(i);
  return std::nullopt;
}

// --- the menus -----------------------------------------------------------------------------------

void cMainWindow::subMenuLoop(bool ibolEntered) {
  if (ibolEntered) {
    if (mApp.bolInMenu) return;
    mApp.bolInMenu = true;
    mApp.bolPlayingBeforeMenu = mBookPlayer.mlCurrentAudioState == 1;
    if (mBookPlayer.mbAudioFileLoaded) mBookPlayer.fncbPause();
    subShowStartPicture(true);
    if (!mApp.bolScreenReaderMode) {
      mPrompts.subAddAudioPrompts(10, false, false, false, {"gen_menubar"});
      mPrompts.subPlayNextPrompt();
    }
    return;
  }
  subExitMenuLoop(true);
}

void cMainWindow::subExitMenuLoop(bool ibolCaption) {
  if (!mApp.bolInMenu) return;
  mApp.bolInMenu = false;
  mPrompts.subclearQue();
  if (ibolCaption && mBookPlayer.mlCurrentAudioState != 1) {
    static constexpr const char* kCaptions[] = {"cap_reading", "cap_help", "cap_bookshelf", "cap_bookinfo"};
    const auto mode = static_cast<int32_t>(mApp.currentModeNumber);
    if (mode >= 1 && mode <= 4) {
      mPrompts.subAddAudioPrompts(10, false, false, false, {kCaptions[mode - 1]});
      mPrompts.subPlayNextPrompt();
    }
  }
  if (mApp.bolPlayingBeforeMenu) mApp.queue().subAddMessage("START", std::string("userinvoke"));
}

bool cMainWindow::fncbMenuItemEnabled(const std::string& isName) const {
  for (eSwitchable control : {eSwitchable::mnuGotoPage, eSwitchable::mnuBookInfo, eSwitchable::mnuExtendedSearch})
    if (isName == fncSwitchableName(control)) return fncbEnabled(control);
  return true;
}

void cMainWindow::subMenuSelect(const std::string& isName, bool ibolEnabled) {
  // Only inside the loop: a pointer resting on the menu bar opens nothing and says nothing.
  if (mApp.bolScreenReaderMode || !mApp.bolInMenu) return;
  std::vector<PromptItem> keys;
  if (const cMenuEntry* menu = fncMenuNamed(isName)) {
    keys.push_back(std::string(menu->sTitleKey));
  } else if (const cMenuItemEntry* item = fncMenuItemNamed(isName)) {
    keys.push_back(std::string(item->sLabelKey));
    if (!item->sKeyNameKey.empty()) keys.push_back(std::string(item->sKeyNameKey));
    if (!ibolEnabled) keys.push_back(std::string("gen_disabled"));
  } else {
    return;  // no item of ours
  }
  mPrompts.subAddAudioPrompts(10, false, false, false, keys);
  mPrompts.subPlayNextPrompt();
}

void cMainWindow::subMenuItem(const std::string& isName) {
  const cMenuItemEntry* item = fncMenuItemNamed(isName);
  if (!item) return;
  // Choosing closes the menus: the loop ends before the item acts (the item speaks for itself, so
  // no caption), and a book resumed on the way out is stopped again by "Stop".
  subExitMenuLoop(false);
  if (isName == kScreenReaderItem) {
    mApp.bolScreenReaderMode = !mApp.bolScreenReaderMode;
    mPrompts.subAddAudioPrompts(10, false, false, false, {mApp.bolScreenReaderMode ? "gen_on" : "gen_off"});
    fncUpdateUserInterface();
    return;
  }
  // A disabled item can be highlighted but not chosen.
  if (!fncbMenuItemEnabled(isName)) return;
  if (isName == kCloseWindowItem) {
    if (!mApp.bolQuit) mApp.queue().subAddMessage("QUIT");
    return;
  }
  if (item->lArgument != 0) mApp.queue().subAddMessage(std::string(item->sMessage), item->lArgument);
  else mApp.queue().subAddMessage(std::string(item->sMessage));
}

// --- the timer -----------------------------------------------------------------------------------

void cMainWindow::subTimerTick(cPositionCheckTimer& timer) {
  mKeys.subKeyHoldTick();
  timer.subTick();
  ++mlTicks;
  if (++mlTickCount >= kTicksPerControlTimer) {
    mlTickCount = 0;
    mApp.queue().subAddMessage("CONTROLTIMER");
    subBlink();
  }
  if (mbCaptionPending && mlTicks - mlLastCaptionWrite >= kTicksBetweenCaptionWrites) subWriteCaption();
}

void cMainWindow::subBlink() {
  ++mlBlinkCount;
  iMode* mode = fncMode();
  cNCCReader* reader = mode ? mode->clsNccReader() : nullptr;
  if (!reader || !reader->ctlDXM()) return;
  if (mbStartPicture && mlBlinkCount >= 2 && mBookPlayer.mlCurrentAudioState == 1) {
    subShowStartPicture(false);
    mlBlinkCount = 0;
  } else if (mlBlinkCount >= 2) {
    subShowStartPicture(true);
    mlBlinkCount = 0;
  }
}

}  // namespace lyn
