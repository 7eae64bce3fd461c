#pragma once
// The help mode: plays the user manual, a talking book that ships with the program
// ("help/helpncc.html" in the program folder), with a reading mode of its own, the help reader,
// so the manual is read with exactly the keys of a book.
//
// The manual is loaded on the first entry and stays loaded; every entry starts it at its first
// navigation point. The help reader never makes the manual the last book read, and leaving help
// detaches it from the book player, so the user's book resumes where it was.
//
// Failures:
//   no manual, or one that does not load   -> "err_nohelpfile", back to reading ("READ")

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "modes/cBookBrowser.h"
#include "modes/iMode.h"

namespace lyn {

class cHelpBrowser final : public iMode {
 public:
  explicit cHelpBrowser(cModeServices& services);
  ~cHelpBrowser() override;

  int32_t fnclModeNumber() const override { return 2; }
  std::string fncClassCaption() override;
  void subReportError(int32_t ilError, std::optional<std::string> isLocation = {}) override;
  void subShowHelp() override;

  // Passed on to the help reader.
  void subClickedOn(const std::string& isHref, const std::string& isParentId) override;
  void subBrowseUnit(int32_t ilDirection, int32_t ilCount) override;
  void subChangeUnit(std::optional<int32_t> ilStep, std::optional<int32_t> ilUnit = {}) override;
  void subControlTimer() override;
  void subPlay() override;
  void subSearch() override;
  void subDelete() override;
  void subInsert() override;
  bool fncUndo() override;
  void subStartStop() override;
  bool fncGotoBookmark(int32_t ilIndex) override;

  void subEscape() override;
  void subPrepareForModeChange() override;

  void clsNccReader_evError() override;
  void clsNCCReader_evAutomaticMovement() override;
  void clsNccReader_evNewPar() override;
  void clsNccReader_evNewMedia(const cElementData& iclsElement) override;
  void clsNccReader_evTocPositionChanged(int32_t ilPosition) override;

  cNCCReader* clsNccReader() override { return mHelpReader->clsNccReader(); }

  // The help reader (tests, status).
  cBookBrowser& fncHelpReader() { return *mHelpReader; }
  bool bolLoaded() const { return mbLoaded; }

 private:
  void subTakeStatus();

  std::unique_ptr<cBookBrowser> mHelpReader;
  bool mbLoaded = false;
};

}  // namespace lyn
