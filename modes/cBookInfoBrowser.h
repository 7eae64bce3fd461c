#pragma once
// The book information page: the mode that tells the user about the open book.
//
// Each time the mode is entered it writes "info.html" and "info.smil" to the per-user data folder
// (a small talking book: the title, where the reading position is, how large the book is, its
// playing time, the program's version) and plays them with its own NCC reader, the info reader,
// so the items are moved through with the ordinary keys. Each item is spoken from the prompt
// clips of its label and numbers, followed for the title, chapter, heading and page by a piece of
// the book's own recording of that text (at least one second, at most fifteen).
//
// The texts written are escaped (modes/GeneratedPages.h); the files are written whole or not at
// all. Items whose source is missing are left out; a prompt key the prompt file lacks leaves its
// item shown but only partly spoken.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "modes/cModeReaderEvents.h"
#include "modes/iMode.h"

namespace lyn {

class cNCCReader;

class cBookInfoBrowser final : public iMode {
 public:
  // `readingMode` holds the open book; borrowed, it outlives this mode.
  cBookInfoBrowser(cModeServices& services, iMode& readingMode);
  ~cBookInfoBrowser() override;

  int32_t fnclModeNumber() const override { return 4; }
  std::string fncClassCaption() override;
  void subReportError(int32_t ilError, std::optional<std::string> isLocation = {}) override;
  void subShowInfo() override;
  void subClickedOn(const std::string& isHref, const std::string& isParentId) override;
  void subBrowseUnit(int32_t ilDirection, int32_t ilCount) override;
  bool fncUndo() override;
  void subDrivesChanged() override;
  void subPlay() override;
  void subSearch() override;
  void subPrepareForModeChange() override;
  void subEscape() override;
  void subStartStop() override;

  void clsNccReader_evError() override;
  void clsNCCReader_evAutomaticMovement() override;
  void clsNccReader_evNewPar() override;
  void clsNccReader_evNewMedia(const cElementData& iclsElement) override;
  void clsNccReader_evTocPositionChanged(int32_t ilPosition) override;

  cNCCReader* clsNccReader() override { return mInfoReader.get(); }
  std::optional<int32_t> fncUsersSpeed() const override { return mlSavedSpeed; }

  // Writes info.html and info.smil for the open book; false when they could not be written.
  bool fncbWritePages();

 private:
  bool fncbIsCurrentMode() const;
  void subPlayItem(int32_t item);

  iMode& mReadingMode;
  std::unique_ptr<cNCCReader> mInfoReader;
  cModeReaderEvents mReaderEvents{*this};
  std::optional<int32_t> mlSavedSpeed;
};

}  // namespace lyn
