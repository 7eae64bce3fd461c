#pragma once
// The reading mode: loads a book and resumes it where it was left, plays it, moves through it by
// phrases, pages, headings, chapters and bookmarks, fast forwards and rewinds, keeps the user's
// bookmarks and one undo position, and saves the reading position while the book is heard.
//
// The mode owns the NCC reader of the loaded book (a new one per book) and borrows everything
// else through cModeServices. It listens to its reader: the text of each new phrase goes to the
// window, the end of every clip drives fast forward, the end of the book is announced.
//
// Saving. The bookmark file of the book (cBookmarkFile.h) is written
//   - after 30 seconds of uninterrupted listening (the undo position is set as well and the unit
//     returns to phrase),
//   - on the next control tick after a stop by the user, a jump, an undo or a change to the
//     bookmarks (the file only; unit and undo position stay),
//   - when the book is unloaded or the mode loses the focus with a book loaded.
// A kill of the process therefore loses at most 30 seconds of listening and never a jump. The
// reading position is never taken while the title of a new book is being announced: until
// reading has reached the saved place, that place stays what is written.
//
// Settings read through the application state's start settings: "ffwplaytime" (below 1 counts
// as 5), "ffwskiptime" (below 0 counts as 10), "varicomp" (below 1 counts as 5).
//
// Bookmark files that cannot be read are set aside as "<name>.damaged" before a new file is
// written in their place; one that can neither be read nor moved is left alone and this book's
// bookmarks are then not saved.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/iNCCReaderListener.h"
#include "markup/cElementData.h"
#include "modes/cBookmark.h"
#include "modes/cBookmarkFile.h"
#include "modes/iMode.h"
#include "prompts/PromptItem.h"

namespace lyn {

class cNCCReader;
class cSmilPlayer;

// Navigation units (enNavMode).
inline constexpr int32_t kUnitPhrase = 1;
inline constexpr int32_t kUnitPage = 2;
inline constexpr int32_t kUnitHeading = 3;
inline constexpr int32_t kUnitChapter = 4;
inline constexpr int32_t kUnitBookmark = 5;

class cBookBrowser : public iMode {
 public:
  explicit cBookBrowser(cModeServices& services);
  ~cBookBrowser() override;

  int32_t fnclModeNumber() const override { return 1; }

  // --- the mode interface ----------------------------------------------------------------------
  std::string fncClassCaption() override;
  void subReportError(int32_t ilError, std::optional<std::string> isLocation = {}) override;
  void subClickedOn(const std::string& isHref, const std::string& isParentId) override;
  void subEscape() override;
  void subBrowseUnit(int32_t ilDirection, int32_t ilCount) override;
  void subChangeUnit(std::optional<int32_t> ilStep, std::optional<int32_t> ilUnit = {}) override;
  void subControlTimer() override;
  void subDrivesChanged() override;
  void subPlay() override;
  void subStartStop() override;
  void subSearch() override;
  void subPrepareForModeChange() override;
  void subInsert() override;
  void subDelete() override;
  bool fncUndo() override;
  void subGotoPage() override;
  void subInitNewBookData() override;
  void subSkipTitle() override;
  void subBeginFFW(int32_t ilDirection) override;
  void subEndFFW() override;
  void subChangeMode(std::optional<std::string> isView = {}) override;
  bool fncGotoBookmark(int32_t ilIndex) override;

  void clsNccReader_evError() override;
  void clsNCCReader_evAutomaticMovement() override;
  void clsNccReader_evNewPar() override;
  void clsNccReader_evNewMedia(const cElementData& iclsElement) override;
  void clsNccReader_evTocPositionChanged(int32_t ilPosition) override;
  // The end of a clip, after the reader has handled it: the next fast-forward step.
  void clsNccReader_evEOS();

  cNCCReader* clsNccReader() override { return mReader.get(); }
  bool fncbBookLoaded() const override { return bolBookLoaded; }

  // --- books -------------------------------------------------------------------------------------
  // Loads the book in `isFolder` (its NCC `isNccFile`, else "ncc.html", else "ncc.htm"), after
  // unloading the book loaded. The folder becomes the last book read (in the settings at once),
  // also when the load fails. True when the book is loaded.
  bool fncLoadBook(const std::string& isFolder, std::optional<std::string> isNccFile = {});
  // Saves the position and bookmarks, closes the book player, clears the view.
  void subUnloadCurrentBook();
  // Tries the root of every drive of the last drive scan; true when a book was loaded.
  bool fncSearchForBooks();
  // Tries the roots of the drives that changed since the last search; a root holding only
  // "discinfo.html" posts "BOOKSHELF". True when a book was loaded.
  bool fncSearchForNewBooks();
  // Reattaches the book player after a mode change and resumes where the mode left it.
  void subContinue();

  // --- bookmarks and undo ------------------------------------------------------------------------
  void subSaveBookmarks();
  bool fncLoadBookmarks();
  void subSetUndoPosition();
  // The index of the first user bookmark in the stretch being heard, or -1.
  int32_t fncIsBookmarkNear();
  // One audio clip of the stretch being heard.
  struct cSpanClip {
    std::string sAudioFile;  // the src's file name
    double dBegin = 0;
    double dEnd = 0;
    std::string sSmilFile;
  };
  // The stretch being heard: the clips from M seconds before the position to M seconds after it,
  // M = 3 * (Speed + 2 * varicomp - 5) / varicomp - 1; the clips at both ends are cut at the
  // margin. Empty when the current par has no audio.
  std::vector<cSpanClip> fncCalculateSpan();
  // p two seconds back, not before the begin of the current par's audio clip.
  double fncTimeCorrection(double idPosition);

  // The bookmark file of the loaded book ("" without a book).
  const std::filesystem::path& fncBookmarkFilePath() const { return mBookmarkFile; }
  const BookmarkList& fncBookmarks() const { return mBookmarks; }
  const std::optional<cBookmark>& fncUndoPosition() const { return mUndo; }
  // Tests: told of every step of each bookmark file write.
  void subSetSaveObserver(AtomicWriteObserver observer) { mSaveObserver = std::move(observer); }

  // The NCC view flag: writing it also sets the window's two view menu check marks.
  bool bolNccMode() const { return pBolNccMode; }
  void bolNccMode(bool ibolValue);

  // --- public members ----------------------------------------------------------------------------
  int32_t enNavMode = kUnitPhrase;
  bool bolBookLoaded = false;
  int32_t lLastError = 0;
  double dUndoTime = 0;
  bool bolPlayingTitle = false;
  bool bolFFW = false;
  int32_t lFFWDirection = 0;
  // Whether a loaded book becomes the last book read. The help mode's own reading mode plays the
  // manual with this cleared, so the manual never takes the place of the user's book.
  bool bolRemembersLastBook = true;

 private:
  class cReaderEvents final : public iNCCReaderListener {
   public:
    explicit cReaderEvents(cBookBrowser& mode) : mMode(mode) {}
    void evNewMedia(const cElementData& e) override { mMode.clsNccReader_evNewMedia(e); }
    void evTocPositionChanged(int32_t n) override { mMode.clsNccReader_evTocPositionChanged(n); }
    void evEOS() override { mMode.clsNccReader_evEOS(); }

   private:
    cBookBrowser& mMode;
  };

  // Settings, made safe.
  double fncdVariComp() const;
  double fncdFfwPlay() const;
  double fncdFfwSkip() const;

  void subPost(const char* isName);
  void subSay(std::vector<PromptItem> items);
  void subDiscardReader();
  std::unique_ptr<cNCCReader> fncNewReader();
  void subAttach();
  bool fncbAttached() const;
  double fncdPlayerPosition();
  bool fncbPlayerHasFile() const;
  void subPausePlayer();
  bool fncbUnitAvailable(int32_t ilUnit) const;
  void subSetUnitToPhrase();

  // The automatic-movement handling: position recount, title check, phrase count, interface.
  void subAutomaticMovement();
  // Runs what a handler of evNewMedia had to leave for later (it may not call into the reader).
  void subRunDeferred();
  void subShowElement(const cElementData& iclsElement, bool ibolForce);
  void subShowNccPoint();
  void subShowCurrentPlace();
  std::string fncNccAddress(int32_t ilTocItem);
  std::string fncTextAddress(const cElementData& iclsText);
  std::string fncMetaContent(std::string_view isName);
  bool fncbPlayTocItemAndShow(int32_t ilTocItem);
  // The go-to-page and search dialogs: shows one and plays the point it gives.
  void subGoToDialogResult(const std::function<int32_t()>& ifncShowDialog);

  // Goes to element 0, the reading position; when it cannot be reached, plays its point (else
  // point 1) and posts "START".
  void subResumeReading();
  bool fncbGoto(const cBookmark& iclsPlace);
  bool fncbArmedClipHolds(const cBookmark& iclsPlace);
  // Finds the par of the place's SMIL file whose audio clip holds the saved position.
  bool fncbLocateByAudio(const cBookmark& iclsPlace);
  std::optional<cBookmark> fncCurrentPosition();
  void subStopFFW(bool ibolResume);
  void subFFWStep();
  void subPreviousPhrase();
  bool fncbNavigate(int32_t ilDirection, int32_t ilCount, int32_t ilUnit);
  bool fncbBookmarkStep(int32_t ilDirection);
  // The current par's audio element (its record) on `player`, or nothing.
  const cElementData* fncCurrentAudio(cSmilPlayer& player);
  void subCheckIfMultivolume();
  bool fncbSameSetAsBefore() const;
  bool fncbTryRoot(const std::string& isMountPoint, bool ibolDiscInfo);
  void subContinueSet();
  bool fncbWriteBookmarkFile();

  cReaderEvents mReaderEvents{*this};
  std::unique_ptr<cNCCReader> mReader;
  std::string msBookFolder;     // ends in "/"
  std::string msNccFile;        // the NCC's name as loaded
  std::string msBookDrive;      // the mount point that held the book when it was loaded
  std::string msBookFolderKey;  // the book folder as fncSplitPath gives it
  std::string msIdentifier;     // "dc:identifier" of a single-volume book
  std::optional<cElementData> mCurrentText;
  BookmarkList mBookmarks;
  std::optional<cBookmark> mUndo;
  std::filesystem::path mBookmarkFile;
  bool mbBookmarkFileUsable = true;
  AtomicWriteObserver mSaveObserver;
  bool mbPositionChanged = false;  // save at the next control tick
  bool mbEndOfBookSaid = false;

  // While the mode is away (subPrepareForModeChange).
  std::string msSavedFile;
  double mdSavedPosition = 0;
  double mdSavedMark = -1;
  bool mbAway = false;

  std::string msSetTitle, msPreviousSetTitle;
  bool mbMultivolume = false, mbPreviousMultivolume = false;
  int32_t mlWaitingCounter = -1;
  bool mbLoadedSinceStart = false;
  bool mbStartSearchDone = false;
  bool mbDrivesChangedSinceSearch = false;

  // Deferred from evNewMedia.
  bool mbAutomaticMovementDeferred = false;
  // A reader call whose failure the mode answers itself: its errors are recorded only.
  int32_t mlQuietErrors = 0;
  // A move of the mode's own: running off either end of the book is answered by the mode, not
  // announced as the end of the book.
  int32_t mlOwnMoves = 0;
};

}  // namespace lyn
