#pragma once
// The mode interface: what the dispatcher, the main window and the dialogs call on the current
// mode. Exactly one of four modes is current (1 reading, 2 help, 3 bookshelf, 4 information);
// every mode offers every operation, and each default here is what a mode does with an operation
// that has no meaning for it, so a mode writes only what it does.
//
// All calls arrive on the one user-interface thread. A mode never owns the window, the dialogs,
// the players or the prompt handler: it borrows them through cModeServices, which must outlive it.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/iNCCReaderOwner.h"
#include "modes/cModeServices.h"

namespace lyn {

class cElementData;
class cNCCReader;

class iMode : public iNCCReaderOwner {
 public:
  explicit iMode(cModeServices& services) : mServices(services) {}
  ~iMode() override = default;
  iMode(const iMode&) = delete;
  iMode& operator=(const iMode&) = delete;

  // The mode's number (1 reading, 2 help, 3 bookshelf, 4 information).
  virtual int32_t fnclModeNumber() const = 0;

  // --- every mode ------------------------------------------------------------------------------
  // Text for the window title, after "LYN Reader 1.1  ---  ".
  virtual std::string fncClassCaption() = 0;
  // Records an error: lErrorNumber, sErrorLocation when given. Nothing is spoken.
  virtual void subReportError(int32_t ilError, std::optional<std::string> isLocation = {});
  // The user activated a link in the view: its href (percent escapes decoded) and the id of the
  // link's parent element.
  virtual void subClickedOn(const std::string& isHref, const std::string& isParentId) {
    (void)isHref, (void)isParentId;
    subIndicator();
  }
  virtual void subEscape() { subIndicator(); }
  // Next (+1) or previous (-1) unit, ilCount >= 1 times.
  virtual void subBrowseUnit(int32_t ilDirection, int32_t ilCount) {
    (void)ilDirection, (void)ilCount;
    subIndicator();
  }
  // Chooses the navigation unit: a step of +1/-1, or a unit number without a step.
  virtual void subChangeUnit(std::optional<int32_t> ilStep, std::optional<int32_t> ilUnit = {}) {
    (void)ilStep, (void)ilUnit;
    subIndicator();
  }
  // On every "CONTROLTIMER" (twice a second).
  virtual void subControlTimer() {}
  // The set of drives changed; the changed mount points are in the disk module's last scan.
  virtual void subDrivesChanged() {}
  // On "START" once the prompts let it through: start or resume playback.
  virtual void subPlay() {}
  virtual void subStartStop() { subIndicator(); }
  virtual void subSearch() { subIndicator(); }
  // The mode is about to lose the focus: stop and keep what it needs to resume.
  virtual void subPrepareForModeChange() {}
  virtual void subInsert() { subIndicator(); }
  virtual void subDelete() { subIndicator(); }
  // Undoes the last jump; false when nothing was undone.
  virtual bool fncUndo() { return false; }

  // --- owned by one or two modes; the others answer with the indicator or nothing -------------
  // Reading mode.
  virtual void subGotoPage() { subIndicator(); }
  virtual void subInitNewBookData() {}
  virtual void subSkipTitle() {}
  virtual void subBeginFFW(int32_t ilDirection) { (void)ilDirection; }
  virtual void subEndFFW() {}
  virtual void subChangeMode(std::optional<std::string> isView = {}) { (void)isView; }
  // Reading and help modes, used by the search dialog ("#n").
  virtual bool fncGotoBookmark(int32_t ilIndex) {
    (void)ilIndex;
    return false;
  }
  // Bookshelf mode.
  virtual void subShowBookList() {}
  virtual void subExtendedSearch() { subIndicator(); }
  // Information mode.
  virtual void subShowInfo() {}
  // Help mode.
  virtual void subShowHelp() {}

  // --- the mode's NCC reader's events (also called by name by the reader on its owner) ---------
  void clsNccReader_evError() override {}
  void clsNCCReader_evAutomaticMovement() override {}
  void clsNccReader_evNewPar() override {}
  virtual void clsNccReader_evNewMedia(const cElementData& iclsElement) { (void)iclsElement; }
  virtual void clsNccReader_evTocPositionChanged(int32_t ilPosition) { (void)ilPosition; }

  // --- read by name on the current mode ---------------------------------------------------------
  // The mode's NCC reader; nothing for a mode that has none yet.
  virtual cNCCReader* clsNccReader() { return nullptr; }
  // Whether a book is loaded (the reading mode's bolBookLoaded; false elsewhere).
  virtual bool fncbBookLoaded() const { return false; }
  // The user's speed step while this mode plays at a speed of its own (the generated pages);
  // nothing while the step in force is the user's.
  virtual std::optional<int32_t> fncUsersSpeed() const { return std::nullopt; }
  bool pBolNccMode = true;
  std::string sNavModeText;
  std::string sPhraseCount;
  int32_t lErrorNumber = 0;
  std::string sErrorMsg;
  std::string sErrorLocation;
  std::string sSearchString;
  int32_t lNumberOfBookmarks = 0;

 protected:
  // "sfx_indicator3": the command has no meaning here, or found nothing.
  void subIndicator();

  cModeServices& mServices;
};


}  // namespace lyn
