#include "modes/cHelpBrowser.h"

#include <filesystem>

#include "audio/cAudioPlaybackSystem.h"
#include "modes/PlayerHelpers.h"
#include "engine/cNCCReader.h"
#include "modes/iMainWindow.h"
#include "prompts/cPromptHandler.h"
#include "shell/cApplicationState.h"

namespace lyn {

namespace {
constexpr const char* kHelpFolder = "help/";
constexpr const char* kHelpNcc = "helpncc.html";
}  // namespace

cHelpBrowser::cHelpBrowser(cModeServices& services)
    : iMode(services), mHelpReader(std::make_unique<cBookBrowser>(services)) {
  mHelpReader->bolRemembersLastBook = false;
}

cHelpBrowser::~cHelpBrowser() = default;

std::string cHelpBrowser::fncClassCaption() { return mServices.prompts.Text("cap_help"); }

void cHelpBrowser::subReportError(int32_t ilError, std::optional<std::string> isLocation) {
  iMode::subReportError(ilError, std::move(isLocation));
  cNCCReader* reader = mHelpReader->clsNccReader();
  if (reader && mServices.app.currentModeNumber == eModeNumber::Help)
    mServices.window.clsNccReader_evError(*reader);
}

void cHelpBrowser::subTakeStatus() {
  sNavModeText = mHelpReader->sNavModeText;
  sPhraseCount = mHelpReader->sPhraseCount;
  pBolNccMode = mHelpReader->pBolNccMode;
  lNumberOfBookmarks = mHelpReader->lNumberOfBookmarks;
}

void cHelpBrowser::subShowHelp() {
  cMessageQueue& queue = mServices.app.queue();
  if (!mbLoaded) {
    const std::string folder = mServices.app.programFolder() + kHelpFolder;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::path(folder) / kHelpNcc, ec) ||
        !mHelpReader->fncLoadBook(folder, std::string(kHelpNcc))) {
      mServices.prompts.subAddAudioPrompts(8, true, false, false, {"err_nohelpfile"});
      queue.subAddMessage("READ");
      return;
    }
    mHelpReader->bolNccMode(true);
    mbLoaded = true;
  }
  mServices.prompts.subAddAudioPrompts(10, true, false, true, {"CAP_HELP", "GEN_ESCTORETURN"});
  cNCCReader* reader = mHelpReader->clsNccReader();
  if (!reader || !mHelpReader->bolBookLoaded) {
    mServices.prompts.subAddAudioPrompts(10, false, false, false, {"err_nohelp"});
    queue.subAddMessage("READ");
    return;
  }
  // Every entry starts at the beginning: no title announcement, no resuming a saved place.
  mHelpReader->bolPlayingTitle = false;
  reader->bolContinous = true;
  reader->ctlDXM(&mServices.bookPlayer);
  mHelpReader->enNavMode = kUnitPhrase;
  mHelpReader->sNavModeText = mServices.prompts.Text("nav_phrase");
  reader->fncbPlayTocItem(1);
  subTakeStatus();
  queue.subAddMessage("UPDATEINTERFACE");
}

// --- passed on to the help reader ----------------------------------------------------------------

void cHelpBrowser::subClickedOn(const std::string& isHref, const std::string& isParentId) {
  mHelpReader->subClickedOn(isHref, isParentId);
  subTakeStatus();
}

void cHelpBrowser::subBrowseUnit(int32_t ilDirection, int32_t ilCount) {
  mHelpReader->subBrowseUnit(ilDirection, ilCount);
  subTakeStatus();
}

void cHelpBrowser::subChangeUnit(std::optional<int32_t> ilStep, std::optional<int32_t> ilUnit) {
  mHelpReader->subChangeUnit(ilStep, ilUnit);
  subTakeStatus();
  mServices.app.queue().subAddMessage("UPDATEINTERFACE");
}

void cHelpBrowser::subControlTimer() {
  if (!mbLoaded) return;  // the help reader must not look for books of its own
  mHelpReader->subControlTimer();
  subTakeStatus();
}

void cHelpBrowser::subPlay() {
  mHelpReader->subPlay();
  subTakeStatus();
}

void cHelpBrowser::subSearch() {
  mHelpReader->subSearch();
  subTakeStatus();
}

void cHelpBrowser::subDelete() {
  mHelpReader->subDelete();
  subTakeStatus();
}

void cHelpBrowser::subInsert() {
  mHelpReader->subInsert();
  subTakeStatus();
}

bool cHelpBrowser::fncUndo() {
  const bool undone = mHelpReader->fncUndo();
  subTakeStatus();
  return undone;
}

void cHelpBrowser::subStartStop() {
  mHelpReader->subStartStop();
  subTakeStatus();
}

bool cHelpBrowser::fncGotoBookmark(int32_t ilIndex) { return mHelpReader->fncGotoBookmark(ilIndex); }

// --- leaving ------------------------------------------------------------------------------------

void cHelpBrowser::subEscape() {
  subPauseBookPlayer(mServices.bookPlayer);
  mServices.app.queue().subAddMessage("READ");
}

void cHelpBrowser::subPrepareForModeChange() {
  // The reading mode takes the book player back: the manual must not hear its clips end.
  cNCCReader* reader = mHelpReader->clsNccReader();
  if (reader && reader->ctlDXM()) {
    subPauseBookPlayer(mServices.bookPlayer);
    reader->ctlDXM(nullptr);
  }
}

// --- the help reader's events, as for a book ----------------------------------------------------

void cHelpBrowser::clsNccReader_evError() {
  if (mServices.app.currentModeNumber == eModeNumber::Help) mHelpReader->clsNccReader_evError();
}

void cHelpBrowser::clsNCCReader_evAutomaticMovement() {
  mHelpReader->clsNCCReader_evAutomaticMovement();
  subTakeStatus();
}

void cHelpBrowser::clsNccReader_evNewPar() { mHelpReader->clsNccReader_evNewPar(); }

void cHelpBrowser::clsNccReader_evNewMedia(const cElementData& iclsElement) {
  mHelpReader->clsNccReader_evNewMedia(iclsElement);
}

void cHelpBrowser::clsNccReader_evTocPositionChanged(int32_t ilPosition) {
  mHelpReader->clsNccReader_evTocPositionChanged(ilPosition);
}

}  // namespace lyn
