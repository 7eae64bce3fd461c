// The reading mode: loading, unloading and resuming a book, playing and stopping, the views,
// the control tick and the reader's events.

#include "modes/cBookBrowser.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cVariControl.h"
#include "disk/mdlDiskModule.h"
#include "engine/cNCCReader.h"
#include "markup/cDTBData.h"
#include "markup/cFileData.h"
#include "modes/iDialogs.h"
#include "modes/iMainWindow.h"
#include "platform/files/TextCase.h"
#include "platform/files/cPathResolver.h"
#include "prompts/cPromptHandler.h"
#include "shell/ModuleServices.h"
#include "shell/cApplicationState.h"
#include "shell/cSettingsTable.h"

namespace lyn {

namespace {

// The file part and the fragment of a src or href ("content.html#p1").
std::pair<std::string, std::string> fncSplitFragment(std::string_view src) {
  const size_t hash = src.find('#');
  if (hash == std::string_view::npos) return {std::string(src), {}};
  return {std::string(src.substr(0, hash)), std::string(src.substr(hash + 1))};
}

bool fncbIsNamed(const cElementData& e, std::string_view name) {
  return fncEqualsIgnoringCase(e.sElementName(), name);
}

}  // namespace

cBookBrowser::cBookBrowser(cModeServices& services) : iMode(services) {
  bolNccMode(fncLoadNccMode(mServices.app.registry()));
  sNavModeText = mServices.prompts.Text("nav_phrase");
  mReader = fncNewReader();
}

cBookBrowser::~cBookBrowser() { subDiscardReader(); }

// --- small helpers -----------------------------------------------------------------------------

double cBookBrowser::fncdVariComp() const {
  const int32_t v = mServices.app.startSettings.variComp;
  return v < 1 ? 5.0 : double(v);
}
double cBookBrowser::fncdFfwPlay() const {
  const int32_t v = mServices.app.startSettings.ffwPlayTime;
  return v < 1 ? 5.0 : double(v);
}
double cBookBrowser::fncdFfwSkip() const {
  const int32_t v = mServices.app.startSettings.ffwSkipTime;
  return v < 0 ? 10.0 : double(v);
}

void cBookBrowser::subPost(const char* isName) { mServices.app.queue().subAddMessage(isName); }

void cBookBrowser::subSay(std::vector<PromptItem> items) {
  mServices.prompts.subAddAudioPrompts(10, true, false, false, items);
}

std::unique_ptr<cNCCReader> cBookBrowser::fncNewReader() {
  auto reader = std::make_unique<cNCCReader>(mServices.app.queue());
  reader->oApplicationState = &mServices.app;
  reader->oDrives = &mServices.disk.fncDrives();
  return reader;
}

void cBookBrowser::subDiscardReader() {
  if (!mReader) return;
  mReader->ctlDXM(nullptr);
  mReader->subRemoveListener(mReaderEvents);
  mReader->oOwner = nullptr;
  mReader.reset();
}

void cBookBrowser::subAttach() {
  if (!mReader) return;
  mReader->ctlDXM(&mServices.bookPlayer);
  mReader->oOwner = this;
  mReader->subAddListener(mReaderEvents);
  mbAway = false;
}

bool cBookBrowser::fncbAttached() const {
  return mReader && mReader->ctlDXM() == &mServices.bookPlayer;
}

bool cBookBrowser::fncbPlayerHasFile() const {
  return mServices.bookPlayer.mbAudioFileLoaded && !mServices.bookPlayer.psFileName().empty();
}

double cBookBrowser::fncdPlayerPosition() {
  return fncbPlayerHasFile() ? mServices.bookPlayer.pdPosition() : 0.0;
}

void cBookBrowser::subPausePlayer() {
  if (fncbAttached() && fncbPlayerHasFile()) mServices.bookPlayer.fncbPause();
}

void cBookBrowser::bolNccMode(bool ibolValue) {
  pBolNccMode = ibolValue;
  mServices.window.subSetViewChecks(ibolValue);
}

void cBookBrowser::subReportError(int32_t ilError, std::optional<std::string> isLocation) {
  iMode::subReportError(ilError, std::move(isLocation));
  lLastError = ilError;
}

// --- loading -----------------------------------------------------------------------------------

bool cBookBrowser::fncLoadBook(const std::string& isFolder, std::optional<std::string> isNccFile) {
  std::error_code ec;
  std::string folder = isFolder;
  if (!folder.empty()) {
    const auto absolute = std::filesystem::absolute(folder, ec);
    if (!ec) folder = absolute.lexically_normal().string();
  }
  // Written at once, so that a crash right after still brings this book back.
  if (bolRemembersLastBook) {
    mServices.app.sLastBookRead = fncWithoutTrailingSeparator(folder);
    mServices.app.registry().subWriteValue("last book read",
                                           std::string_view(mServices.app.sLastBookRead),
                                           eRegistryRoot::CurrentUser, kKeyMisc);
  }
  if (bolBookLoaded) subUnloadCurrentBook();
  subDiscardReader();
  if (folder.empty()) {
    mReader = fncNewReader();
    return false;
  }

  std::unique_ptr<cNCCReader> failed;
  const auto tryLoad = [&](const std::string& name) {
    auto reader = fncNewReader();
    if (reader->fncbLoadBook(folder, name)) {
      mReader = std::move(reader);
      msNccFile = name;
      return true;
    }
    failed = std::move(reader);
    return false;
  };
  const bool loaded = isNccFile ? tryLoad(*isNccFile) : (tryLoad("ncc.html") || tryLoad("ncc.htm"));
  if (!loaded) {
    if (failed) {
      sErrorMsg = failed->sErrorMsg;
      subReportError(failed->lErrorNumber, failed->sErrorLocation);
    }
    mReader = fncNewReader();
    return false;
  }
  if (auto real = fncResolvePathIgnoringCase(std::filesystem::path(folder) / msNccFile))
    msNccFile = real->filename().string();

  mReader->oOwner = this;
  mReader->subAddListener(mReaderEvents);
  msBookFolder = mReader->clsDTBData().sWorkPath;
  // The drive is kept: once its disc is gone, the path no longer tells which drive held it.
  msBookDrive.clear();
  msBookFolderKey.clear();
  std::string drive, folderKey, file, fragment;
  if (mServices.disk.fncSplitPath(msBookFolder, drive, folderKey, file, fragment)) {
    msBookDrive = drive;
    msBookFolderKey = folderKey;
  }
  bolBookLoaded = true;
  bolPlayingTitle = false;
  bolFFW = false;
  dUndoTime = 0;
  mbPositionChanged = false;
  mbEndOfBookSaid = false;
  mCurrentText.reset();
  mUndo.reset();
  msSavedFile.clear();
  mbAway = false;
  sPhraseCount.clear();
  subCheckIfMultivolume();
  msIdentifier = mbMultivolume ? std::string() : fncMetaContent("dc:identifier");

  if (!fncLoadBookmarks()) {
    cBookmark fresh;
    if (const cTocItem* first = mReader->lNumberOfTocItems() >= 1 ? mReader->pToc(1) : nullptr) {
      fresh.sSmilFile = fncFoldCase(first->sSmilFile);
      fresh.sSmilID = fncFoldCase(first->sSmilID);
    }
    fresh.sOther = msIdentifier;
    mBookmarks.assign(1, fresh);
    lNumberOfBookmarks = 0;
  } else {
    mUndo = mBookmarks[0];
  }

  const cBookmark& place = *mBookmarks[0];
  if (fncbSameSetAsBefore()) {
    mReader->bolContinous = false;
  } else if (place.lTocPosition != 1 || place.lPhraseNumber != 1) {
    mReader->bolContinous = false;
    bolPlayingTitle = true;
  }
  mbLoadedSinceStart = true;
  return true;
}

void cBookBrowser::subUnloadCurrentBook() {
  if (!bolBookLoaded) return;
  subStopFFW(false);
  subSaveBookmarks();
  // While the mode is away the player belongs to the mode that is current.
  if (fncbAttached() && mServices.bookPlayer.mbAudioFileLoaded) mServices.bookPlayer.fncbQuit();
  subPost("STOP");
  subPost("CLEARSCREEN");
  mCurrentText.reset();
  mUndo.reset();
  sPhraseCount.clear();
  sSearchString.clear();
  subPost("UPDATEINTERFACE");
  mlWaitingCounter = -1;
  bolBookLoaded = false;
  bolPlayingTitle = false;
  mBookmarks.clear();
  lNumberOfBookmarks = 0;
  mBookmarkFile.clear();
  msSavedFile.clear();
  mbAway = false;
  mbPositionChanged = false;
  subDiscardReader();
  mReader = fncNewReader();
}

void cBookBrowser::subCheckIfMultivolume() {
  msPreviousSetTitle = msSetTitle;
  mbPreviousMultivolume = mbMultivolume;
  const cDTBData& files = mReader->clsDTBData();
  if (files.lNumberOfDiscs == 1) {
    mbMultivolume = false;
    msSetTitle.clear();
  } else {
    mbMultivolume = true;
    msSetTitle = files.sTitle;
  }
}

bool cBookBrowser::fncbSameSetAsBefore() const {
  return mbMultivolume && mbPreviousMultivolume && msSetTitle == msPreviousSetTitle;
}

bool cBookBrowser::fncbTryRoot(const std::string& isMountPoint, bool ibolDiscInfo) {
  const auto has = [&](const char* name) {
    std::error_code ec;
    const auto real = fncResolvePathIgnoringCase(std::filesystem::path(isMountPoint) / name);
    return real && std::filesystem::is_regular_file(*real, ec);
  };
  if (has("ncc.html")) return fncLoadBook(isMountPoint);
  if (has("ncc.htm")) return fncLoadBook(isMountPoint, "ncc.htm");
  if (ibolDiscInfo && has("discinfo.html")) subPost("BOOKSHELF");
  return false;
}

bool cBookBrowser::fncSearchForBooks() {
  const std::vector<std::string> drives = mServices.disk.gsLastDrives;
  for (const std::string& drive : drives)
    if (fncbTryRoot(drive, false)) return true;
  return false;
}

bool cBookBrowser::fncSearchForNewBooks() {
  // Only drives that changed since the last look: a disc that stays in is not read twice a second.
  if (!mbDrivesChangedSinceSearch) return false;
  mbDrivesChangedSinceSearch = false;
  const std::vector<std::string> drives = mServices.disk.gsChangedDrives;
  for (const std::string& drive : drives)
    if (fncbTryRoot(drive, true)) return true;
  return false;
}

std::string cBookBrowser::fncMetaContent(std::string_view isName) {
  cFileData* ncc = mReader->clsDTBData().fncGetFileData({.enFileType = kFileTypeNcc});
  if (!ncc) return {};
  for (int32_t i = 1; i <= ncc->lNumElementData(); ++i) {
    const cElementData* e = ncc->pElementData(i);
    if (!e || !fncbIsNamed(*e, "meta")) continue;
    if (!fncEqualsIgnoringCase(fncNormaliseWhiteSpace(e->fncAttrContentWOQ("name")), isName))
      continue;
    std::string content(e->fncAttrContentWOQ("content"));
    mReader->fncReplaceEnteties(content);
    return fncNormaliseWhiteSpace(content);
  }
  return {};
}

// --- starting and resuming ---------------------------------------------------------------------

void cBookBrowser::subInitNewBookData() {
  if (!bolBookLoaded) return;
  enNavMode = kUnitPhrase;
  sNavModeText = mServices.prompts.Text("nav_phrase");
  if (mReader->lNumberOfTocItems() < 1) {
    subReportError(1, "Init new bookdata");
    return;
  }
  subAttach();
  if (bolPlayingTitle) {
    if (!mReader->fncbPlayTocItem(1)) {
      sErrorMsg = mReader->sErrorMsg;
      subReportError(mReader->lErrorNumber, mReader->sErrorLocation);
    }
  } else {
    // Without a title announcement reading starts at the saved place itself; for a book read
    // for the first time that is point 1, phrase 1.
    mReader->bolContinous = true;
    subResumeReading();
  }
  subRunDeferred();
}

void cBookBrowser::subSkipTitle() {
  if (!bolBookLoaded) return;
  subPausePlayer();
  if (!fncbAttached()) subAttach();
  mReader->bolContinous = true;
  bolPlayingTitle = false;
  subResumeReading();
}

void cBookBrowser::subResumeReading() {
  if (!mBookmarks.empty() && mBookmarks[0] && fncGotoBookmark(0)) return;
  int32_t point = 1;
  if (!mBookmarks.empty() && mBookmarks[0]) {
    const int32_t saved = mBookmarks[0]->lTocPosition;
    if (saved >= 1 && saved <= mReader->lNumberOfTocItems()) point = saved;
  }
  if (mReader->fncbPlayTocItem(point)) subPost("START");
  subRunDeferred();
}

void cBookBrowser::subContinueSet() {
  subAttach();
  mReader->bolContinous = true;
  bolPlayingTitle = false;
  subResumeReading();
  subPost("UPDATEINTERFACE");
}

void cBookBrowser::subPlay() {
  if (!bolBookLoaded) {
    subIndicator();
    return;
  }
  subRunDeferred();
  if (!fncbAttached()) {
    subContinue();
    return;
  }
  if (!fncbPlayerHasFile()) return;
  cAudioPlaybackSystem& player = mServices.bookPlayer;
  if (player.mlCurrentAudioState == cAudioPlaybackSystem::kPlaying) return;
  mbEndOfBookSaid = false;
  if (!bolFFW) {
    const double position = fncTimeCorrection(player.pdPosition());
    if (position >= 0 && position <= player.pdDuration()) player.pdPosition(position);
  }
  player.fncbPlay();
}

void cBookBrowser::subStartStop() {
  if (!bolBookLoaded) {
    subIndicator();
    return;
  }
  if (bolPlayingTitle) {
    subSkipTitle();
    return;
  }
  mServices.prompts.subclearQue();
  if (fncbAttached() &&
      mServices.bookPlayer.mlCurrentAudioState == cAudioPlaybackSystem::kPlaying) {
    subPost("STOP");
    mbPositionChanged = true;
  } else {
    subPost("START");
  }
}

void cBookBrowser::subEscape() {
  if (!bolBookLoaded) {
    subIndicator();
    return;
  }
  if (bolPlayingTitle) {
    subSkipTitle();
    return;
  }
  subPost("STOP");
  mbPositionChanged = true;
}

void cBookBrowser::subPrepareForModeChange() {
  if (!bolBookLoaded) return;
  if (bolPlayingTitle) subSkipTitle();
  subStopFFW(false);
  if (fncbAttached()) {
    cAudioPlaybackSystem& player = mServices.bookPlayer;
    msSavedFile = player.psFileName();
    mdSavedPosition = fncbPlayerHasFile() ? player.pdPosition() : 0.0;
    mdSavedMark = player.mbMarkSet ? player.mdMarkPosition : -1.0;
    player.psFileName("");
    mReader->ctlDXM(nullptr);
    mbAway = true;
  }
  subSaveBookmarks();
}

void cBookBrowser::subContinue() {
  if (!bolBookLoaded) return;
  const bool wasAway = mbAway;
  subAttach();
  cAudioPlaybackSystem& player = mServices.bookPlayer;
  if (!msSavedFile.empty()) {
    player.psFileName(msSavedFile);
    msSavedFile.clear();
    mServices.app.bolSpeedChangeAvailable = player.mbIsUsingVari;
    if (fncbPlayerHasFile()) {
      const double position = fncTimeCorrection(mdSavedPosition);
      if (position >= 0 && position <= player.pdDuration()) player.pdPosition(position);
      if (mdSavedMark >= 0) player.fncbSetMark(mdSavedMark);
      player.fncbPlay();
    }
  } else if (wasAway || !fncbPlayerHasFile()) {
    // The mode left before anything was played: start at the reading position.
    subResumeReading();
  }
  if (mCurrentText) subShowElement(*mCurrentText, true);
  subRunDeferred();
}

// --- views and the window ----------------------------------------------------------------------

std::string cBookBrowser::fncClassCaption() {
  std::string caption = mServices.prompts.Text("cap_reading") + " - ";
  if (!bolBookLoaded) return caption;
  std::string title = fncMetaContent("dc:title");
  if (title.empty()) title = fncMetaContent("ncc:title");
  return caption + title + " (" +
         mServices.prompts.Text(pBolNccMode ? "cap_nccview" : "cap_fulltextview") + ")";
}

std::string cBookBrowser::fncNccAddress(int32_t ilTocItem) {
  std::string address = msBookFolder + msNccFile;
  if (ilTocItem >= 1 && ilTocItem <= mReader->lNumberOfTocItems())
    address += "#" + mReader->pToc(ilTocItem)->sID;
  return address;
}

std::string cBookBrowser::fncTextAddress(const cElementData& iclsText) {
  const auto [file, fragment] = fncSplitFragment(iclsText.fncAttrContentWOQ("src"));
  std::string address = mReader->fncConvertPath(file);
  if (!fragment.empty()) address += "#" + fragment;
  return address;
}

void cBookBrowser::subShowCurrentPlace() {
  if (!bolBookLoaded) return;
  if (pBolNccMode) {
    mServices.window.subDoNavigate(fncNccAddress(mReader->lCurrentTocItem));
  } else if (mCurrentText) {
    mServices.window.subDoNavigate(fncTextAddress(*mCurrentText));
  }
}

void cBookBrowser::subChangeMode(std::optional<std::string> isView) {
  bolNccMode(isView ? fncEqualsIgnoringCase(*isView, "nccview") : !pBolNccMode);
  if (!bolBookLoaded) return;
  subShowCurrentPlace();
  subPost("APPLYSTYLE");
}

void cBookBrowser::subShowElement(const cElementData& iclsElement, bool ibolForce) {
  if (!bolBookLoaded) return;
  if (!ibolForce && mCurrentText &&
      fncEqualsIgnoringCase(mCurrentText->fncAttrContentWOQ("src"),
                            iclsElement.fncAttrContentWOQ("src")))
    return;
  if (fncbIsNamed(iclsElement, "text")) {
    mCurrentText = iclsElement;
    // The reader has made the point of this text current before announcing it.
    if (pBolNccMode)
      mServices.window.subDoNavigate(fncNccAddress(mReader->lCurrentTocItem));
    else
      mServices.window.clsNccReader_evNewMedia(*mReader, iclsElement);
  }
  mbAutomaticMovementDeferred = true;
}

// --- the reader's events -----------------------------------------------------------------------

void cBookBrowser::clsNccReader_evNewMedia(const cElementData& iclsElement) {
  // Raised in the middle of a step of the SMIL player: the view is updated now, but the
  // automatic-movement handling (which recounts and may end the title announcement, both calls
  // into the reader) waits until the reader has returned (subRunDeferred).
  subShowElement(iclsElement, false);
}

void cBookBrowser::clsNccReader_evTocPositionChanged(int32_t ilPosition) {
  if (mReader) mServices.window.clsNccReader_evTocPositionChanged(*mReader, ilPosition);
}

void cBookBrowser::clsNccReader_evNewPar() {
  if (mReader) mServices.window.clsNccReader_evNewPar(*mReader);
}

void cBookBrowser::clsNCCReader_evAutomaticMovement() {
  mbAutomaticMovementDeferred = false;
  subAutomaticMovement();
  if (mReader) mServices.window.clsNCCReader_evAutomaticMovement(*mReader);
}

void cBookBrowser::clsNccReader_evError() {
  if (!mReader) return;
  const int32_t number = mReader->lErrorNumber;
  const int32_t smilError = mReader->clsSmilPlayer().lErrorNumber;
  if (number == 1 && (smilError == 4 || smilError == 5) && mlOwnMoves > 0) return;
  if (number == 1 && mReader->fncbAtEndOfBook()) {
    // The end of the book arrives twice (the SMIL player's last par, then the end of stream).
    if (mbEndOfBookSaid) return;
    mbEndOfBookSaid = true;
    subPost("STOP");
    subSay({"bok_endofbook"});
    mbPositionChanged = true;
    return;
  }
  // A failed move: the mode answers it with the indicator itself.
  if (number == 3 || number == 16) return;
  sErrorMsg = mReader->sErrorMsg;
  subReportError(number, mReader->sErrorLocation);
  if (mlQuietErrors == 0) mServices.window.clsNccReader_evError(*mReader);
}

void cBookBrowser::clsNccReader_evEOS() {
  if (bolFFW) subFFWStep();
}

void cBookBrowser::subAutomaticMovement() {
  if (!bolBookLoaded || !mReader) return;
  mReader->subCountTocPosition();
  if (bolPlayingTitle && fncbAttached() && fncbPlayerHasFile() &&
      mServices.bookPlayer.pdPosition() > mReader->lOCS) {
    bolPlayingTitle = false;
    subSkipTitle();
  }
  int32_t current = 0, total = 0;
  mReader->subCalculatePosition("phrase", current, total);
  sPhraseCount = total > 0 ? std::to_string(current) + "/" + std::to_string(total) : std::string();
  mServices.window.fncUpdateUserInterface();
}

void cBookBrowser::subRunDeferred() {
  if (!mbAutomaticMovementDeferred) return;
  mbAutomaticMovementDeferred = false;
  subAutomaticMovement();
}

// --- the control tick --------------------------------------------------------------------------

void cBookBrowser::subControlTimer() {
  subRunDeferred();
  if (!bolBookLoaded) {
    if (!mbLoadedSinceStart && !mbStartSearchDone) {
      // Once: afterwards the mode waits for books like after an unload.
      mbStartSearchDone = true;
      std::string last = mServices.app.sLastBookRead;
      if (last.empty()) last = fncLoadLastBookRead(mServices.app.registry());
      if ((!last.empty() && fncLoadBook(last)) || fncSearchForBooks()) {
        subSay({"bok_loadingbook"});
        subPost("NEWBOOK");
      } else {
        subPost("BOOKSHELF");
      }
      return;
    }
    if (fncSearchForNewBooks()) {
      if (fncbSameSetAsBefore()) {
        subContinueSet();
      } else {
        subSay({"bok_loadingbook"});
        subPost("NEWBOOK");
      }
      return;
    }
    if (mlWaitingCounter == -1) {
      subSay({"bok_waiting4books"});
      mlWaitingCounter = 0;
    } else if (mlWaitingCounter < 5) {
      ++mlWaitingCounter;
    } else {
      subPost("WAITINGFORBOOKS");
      mlWaitingCounter = 0;
    }
    return;
  }

  const int32_t near = fncIsBookmarkNear();
  mServices.window.subSetBookmarkLabel(near >= 0 ? std::optional<int32_t>(near) : std::nullopt);
  if (!fncbAttached()) return;
  if (mServices.bookPlayer.mlCurrentAudioState != cAudioPlaybackSystem::kPlaying ||
      bolPlayingTitle) {
    dUndoTime = 0;
  } else {
    dUndoTime += 0.5;
    if (dUndoTime >= 30) {
      subSetUndoPosition();
      dUndoTime = 0;
      mbPositionChanged = false;
      subSaveBookmarks();
      subSetUnitToPhrase();
      subPost("UPDATEINTERFACE");
      return;
    }
  }
  if (mbPositionChanged) {
    mbPositionChanged = false;
    subSaveBookmarks();
  }
}

void cBookBrowser::subDrivesChanged() {
  mbDrivesChangedSinceSearch = true;
  if (!bolBookLoaded || msBookDrive.empty()) return;
  for (const std::string& changed : mServices.disk.gsChangedDrives) {
    if (fncEqualsIgnoringCase(changed, msBookDrive)) {
      subUnloadCurrentBook();
      return;
    }
  }
}

// --- links and dialogs -------------------------------------------------------------------------

void cBookBrowser::subClickedOn(const std::string& isHref, const std::string& isParentId) {
  (void)isParentId;
  if (!bolBookLoaded) {
    subIndicator();
    return;
  }
  std::string drive, folder, file, fragment;
  if (!mServices.disk.fncSplitPath(isHref, drive, folder, file, fragment,
                                   msBookFolder + msNccFile) ||
      !fncEqualsIgnoringCase(folder, msBookFolderKey) || file.empty()) {
    subIndicator();
    return;
  }
  if (bolPlayingTitle) {
    bolPlayingTitle = false;
    mReader->bolContinous = true;
  }
  if (!fncbAttached()) {
    subAttach();
    msSavedFile.clear();
  }
  subPausePlayer();
  subSetUndoPosition();
  mbPositionChanged = true;
  if (mCurrentText) {
    const auto [textFile, textFragment] = fncSplitFragment(mCurrentText->fncAttrContentWOQ("src"));
    if (fncEqualsIgnoringCase(std::filesystem::path(textFile).filename().string(), file) &&
        fncEqualsIgnoringCase(textFragment, fragment)) {
      subPost("START");
      return;
    }
  }
  ++mlQuietErrors;
  bool moved = !fragment.empty() && mReader->fncGotoPosition(file, fragment);
  --mlQuietErrors;
  if (!moved) {
    for (int32_t i = 1; i <= mReader->lNumberOfTocItems(); ++i) {
      const cTocItem& point = *mReader->pToc(i);
      if (!fncEqualsIgnoringCase(point.sSmilFile, file)) continue;
      if (!fragment.empty() && !fncEqualsIgnoringCase(point.sSmilID, fragment)) continue;
      ++mlQuietErrors;
      moved = mReader->fncbPlayTocItem(i);
      --mlQuietErrors;
      break;
    }
  }
  if (!moved) {
    fncUndo();
    subSay({"err_nccerr"});
  }
  subRunDeferred();
}

bool cBookBrowser::fncbPlayTocItemAndShow(int32_t ilTocItem) {
  if (!mReader->fncbPlayTocItem(ilTocItem)) return false;
  subRunDeferred();
  subAutomaticMovement();
  subShowCurrentPlace();
  subPost("START");
  return true;
}

void cBookBrowser::subGotoPage() {
  subGoToDialogResult([this] { return mServices.dialogs.fncShowGotoPage(*this); });
}

void cBookBrowser::subSearch() {
  subGoToDialogResult([this] { return mServices.dialogs.fncShowSearch(*this); });
}

void cBookBrowser::subGoToDialogResult(const std::function<int32_t()>& ifncShowDialog) {
  if (!bolBookLoaded) {
    subIndicator();
    return;
  }
  if (bolPlayingTitle) subSkipTitle();
  subPausePlayer();
  const int32_t point = ifncShowDialog();
  if (point < 1) {
    if (point == iDialogs::kNothing) {
      subIndicator();
      mServices.prompts.subPlayNextPrompt();
    }
    return;
  }
  if (!fncbAttached()) subAttach();
  subSetUndoPosition();
  mbPositionChanged = true;
  if (!fncbPlayTocItemAndShow(point)) subIndicator();
}

}  // namespace lyn
