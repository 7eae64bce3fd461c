#pragma once
// The bookshelf: the mode in which the user picks a book.
//
// The mode keeps the list of known books and writes it as a small talking book of its own in the
// per-user data folder: "booklist.html" (one navigation point per book), "booklist.smil" (per
// book the spoken words for book number n, then the book's own recording of its title) and
// "booklistcontent.html" (per book a link to its folder). A private NCC reader, the list reader,
// plays it, so the list is moved through with the keys of a book. Choosing an entry loads that
// book in the reading mode.
//
// Books are found quickly (the drives' roots, the last book read, "discinfo.html" at a drive's
// root and the books it links) and by searching every drive (subExtendedSearch). The list read
// back from the files reuses their fields: no NCC of a known book is loaded again. Books whose
// folder holds no NCC any more leave the list.
//
// The files are written whole or not at all, and read back as written whatever the titles and
// folder names hold (modes/GeneratedPages.h).
//
// Failures:
//   a book whose NCC does not load              -> not added (adding by hand says "err_nccerr")
//   missing or damaged saved list               -> the list is made from the books found
//   the list cannot be written or loaded        -> "WAITINGFORBOOKS"
//   a chosen book that does not load            -> "err_nccerr", the list plays on

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "disk/cFindFile.h"
#include "disk/iSearchOwner.h"
#include "engine/iNCCReaderListener.h"
#include "modes/cModeReaderEvents.h"
#include "modes/iBookOpener.h"
#include "modes/iMode.h"

namespace lyn {

class cBookBrowser;
class cNCCReader;

// One known book.
struct BookshelfEntry {
  std::string sFolder;          // holds the book's NCC; ends in "/"
  std::string sTitle;           // plain text (references resolved)
  std::string sTitleAudioFile;  // the clip that speaks the title: relative to sFolder, or absolute
  double dClipBegin = 0;        // seconds
  double dClipEnd = 0;
};

class cBookshelfBrowser final : public iMode, public iSearchOwner {
 public:
  // `readingMode` is read for the book that is open; `opener` loads a chosen book there. Both
  // are borrowed and outlive the mode.
  cBookshelfBrowser(cModeServices& services, iMode& readingMode, iBookOpener& opener);
  // The same with the program's reading mode, which is both.
  cBookshelfBrowser(cModeServices& services, cBookBrowser& readingMode);
  ~cBookshelfBrowser() override;

  int32_t fnclModeNumber() const override { return 3; }
  std::string fncClassCaption() override;
  void subReportError(int32_t ilError, std::optional<std::string> isLocation = {}) override;
  void subClickedOn(const std::string& isHref, const std::string& isParentId) override;
  void subEscape() override;
  void subBrowseUnit(int32_t ilDirection, int32_t ilCount) override;
  void subControlTimer() override;
  void subDrivesChanged() override;
  void subPlay() override;
  void subStartStop() override;
  void subSearch() override;
  void subPrepareForModeChange() override;
  void subInsert() override;
  void subDelete() override;
  bool fncUndo() override { return false; }
  void subShowBookList() override;
  void subExtendedSearch() override;

  // The book search's listener.
  void subSearchingPath(const std::string& folder) override;
  void subIncomingBook(const std::string& nccPath) override;

  // The list reader's events.
  void clsNccReader_evError() override;
  void clsNCCReader_evAutomaticMovement() override;
  void clsNccReader_evNewPar() override;
  void clsNccReader_evNewMedia(const cElementData& iclsElement) override;
  void clsNccReader_evTocPositionChanged(int32_t ilPosition) override;

  cNCCReader* clsNccReader() override { return mListReader.get(); }
  std::optional<int32_t> fncUsersSpeed() const override { return mlSavedSpeed; }

  // The known books, 1-based (element 0 unused), and their count.
  const std::vector<BookshelfEntry>& fncEntries() const { return mEntries; }
  int32_t lBookCount() const { return static_cast<int32_t>(mEntries.size()) - 1; }
  bool bolSearching() const { return mbSearching; }

  // Adds the book in `folder` (its NCC is loaded once to read the title and the title's clip).
  // False when its NCC does not load; true also when it was known already.
  bool fncbAddBookFromFolder(const std::string& folder);
  // Adds a record unless the same book (folder and title, ignoring case) is known.
  void subAddEntry(BookshelfEntry entry);
  // Writes the list with a fresh list reader and shows it, as after a change of the list.
  void subRebuildAndShow();

 private:
  bool fncbIsCurrentMode() const;
  void subNewListReader();
  void subQuickDiscovery();
  void subReadSavedList();
  void subPrune();
  bool fncbWriteList() const;
  void subShowList();
  int32_t fncEntryOfOpenBook() const;
  std::optional<int32_t> fncEntryOfLink(const std::string& isHref, const std::string& isParentId) const;
  void subPlayEntry(int32_t entry);
  void subRestoreSpeed();
  static std::string fncEntryKey(const std::string& folder, const std::string& title);

  std::unique_ptr<iBookOpener> mOwnedOpener;  // for the program's reading mode
  iMode& mReadingMode;
  iBookOpener& mOpener;
  std::vector<BookshelfEntry> mEntries = std::vector<BookshelfEntry>(1);
  std::unordered_set<std::string> mKnown;  // fncEntryKey of every entry
  std::string msBookNumberText;
  std::unique_ptr<cNCCReader> mListReader;
  cModeReaderEvents mReaderEvents{*this};
  std::optional<int32_t> mlSavedSpeed;
  bool mbSearching = false;
  std::unique_ptr<cFindFile> mSearch;
  std::string msSearchCaption;
  int32_t mlWaitingTicks = 0;
};

}  // namespace lyn
