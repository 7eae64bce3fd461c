#pragma once
// The SMIL player: the book's SMIL 1.0 files as one ordered list of pars (the par list), with a
// cursor on the current media element ("text", "audio", "img", "animation", "video",
// "textstream") inside the current par.
//
// SMIL files enter the list as placeholders (fncInsertFile) and are expanded into their pars the
// first time the cursor needs them: the pars of the file's first seq, or, for a seq without any
// par, one par made around the whole seq. Pars whose "system-required" value names a switch that
// is off (bolSysReq_*) are skipped. The player works on a book file set that it borrows
// (clsDTBData, shared with the NCC reader); the tree nodes it hands out belong to that set.
//
// Errors (subReportError; lErrorNumber, sErrorMsg; raised as evError; the operation then returns
// false or nothing):
//   1 "File not found or data error"   a SMIL file is missing, unreadable or has no seq (its
//                                       entry leaves the list; "Par parser"); an id not found
//                                       ("Goto by file and id")
//   2 "ID not found"                   not raised here
//   3 "System-Required value not set"  a par refused by its system-required test ("Goto par",
//                                       "Next par", "Previous par", "Goto by file and id")
//   4 "Last parlistitem"               no entry after the current one ("Next par"), or a number
//                                       above the count ("Goto par")
//   5 "First parlistitem"              no entry before the current one ("Previous par"), or a
//                                       number below 1 ("Goto par")
//   6 "Internal datahandling error"    a node whose document or record is missing ("Check for
//                                       id", "Par parser", "System-required test")
//   7 "Data not initialized"           no current node ("Retrieve current", "Retrieve next",
//                                       "Retrieve Previous"), no current entry ("Set par"), no file
//                                       set ("Count text and audio", "Par parser")
//   8 "Smil file not valid"            not raised here
//
// Counting (subCountTextAndAudio) passes over refused pars as the media steps do, so a count
// and a step of the same number of phrases meet on the same clip.
//
// A SMIL file that fails to expand loses its entry; stepping on skips to the entry after it, so
// continuous play passes over a broken file (each failure is still reported).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/cParList.h"
#include "engine/iSmilPlayerListener.h"

namespace lyn {

class cDTBData;
class cElementContainer;
class cElementData;
class cFileData;

// The numbers of the error table above.
enum class eSmilError : int32_t {
  FileOrData = 1,
  IdNotFound = 2,
  SystemRequired = 3,
  LastPar = 4,
  FirstPar = 5,
  InternalData = 6,
  NotInitialized = 7,
  InvalidSmil = 8,
};

// One entry of the par list as fncRetrieveParItem gives it.
struct cParItem {
  std::string sSmilFile;
  cElementContainer* clsPar = nullptr;  // nothing while the file is not expanded
};

class cSmilPlayer {
 public:
  cSmilPlayer();
  ~cSmilPlayer();
  cSmilPlayer(const cSmilPlayer&) = delete;
  cSmilPlayer& operator=(const cSmilPlayer&) = delete;

  // The listener is borrowed; nothing (the default) sends the events nowhere.
  void subSetListener(iSmilPlayerListener* listener) { mListener = listener; }

  cDTBData* clsDTBData = nullptr;  // borrowed; SMIL files are loaded into it as kind 3
  int32_t lCurrentParListItem = 0;  // 1-based; 0 before any movement
  cElementContainer* clsCurrentElementContainer = nullptr;  // a media node, or the par itself
  cElementContainer* clsCurrentPar = nullptr;
  bool bolSysReq_Sidebar = false;   // "sidebar-on"
  bool bolSysReq_ProdNote = false;  // "prodnote-on"
  bool bolSysReq_FootNote = false;  // "footnote-on"
  bool bolSysReq_PgNum = false;     // "pagenumber-on"
  std::string sErrorMsg;
  int32_t lErrorNumber = 0;
  std::string sErrorLocation;
  // While evError is raised: the SMIL file (as registered) that failed to expand; "" otherwise.
  std::string sErrorFile;

  int32_t lParListCount() const { return mList->lCount(); }

  // Appends a placeholder for the file; with ibolParse it is expanded at once. Always true.
  bool fncInsertFile(std::string_view isSmilFile, bool ibolParse);
  // Entry n (1..lParListCount), or nothing.
  std::optional<cParItem> fncRetrieveParItem(int32_t ilParListItem) const;
  // The SMIL file name of entry n; "" outside the list.
  std::string fncGetParSmilFile(int32_t ilParListItem) const;
  // Whether any entry (expanded or not) belongs to this file, ignoring case.
  bool fncbHasParsOf(std::string_view isSmilFile) const;

  // Makes entry n current (expanding it), its par the current node, and announces it. False for
  // a number outside the list, a file that fails to expand, or a par refused by its
  // system-required test (the cursor then stays on it).
  bool fncGotoParByNumber(int32_t ilParNumber);
  // Makes current the first node, in the pars of the file's first registration, whose id equals
  // isID ignoring case. False (error 1) when there is none, (error 3) when its par is refused.
  bool fncGotoElementContainerByFileAndID(std::string_view isFile, std::string_view isID);
  // The current entry's par becomes the current node, so that the next media step gives its
  // first media (fncSetParToFirst) or the previous step its last (fncSetParToLast).
  bool fncSetParToFirst();
  bool fncSetParToLast();

  // The current node's record when it is a media element; nothing for a par or another
  // container.
  cElementData* fncRetrieveCurrentMedia();
  // Steps to the next / previous media element, across nested containers, pars and files.
  // Nothing at the end / beginning of the book (error 4 / 5).
  cElementData* fncRetrieveNextMedia();
  cElementData* fncRetrievePreviousMedia();

  // Counts the "text" and "audio" elements from the node with id isFromID in isFromFile up to
  // (not including) the node with id isToID[0] in isToFile, or to the end of the book when the
  // walk never meets it; the current counts are those reached at the current node.
  void subCountTextAndAudio(int32_t& ilTextCount, int32_t& ilAudioCount, int32_t& ilCurrentText,
                            int32_t& ilCurrentAudio, std::string_view isFromID,
                            std::string_view isFromFile, const std::vector<std::string>& isToID,
                            std::string_view isToFile);

  // Where the cursor stands, to come back to after a move that is given up.
  struct cCursor {
    cElementContainer* clsPar = nullptr;
    cElementContainer* clsNode = nullptr;
    int32_t lEntry = 0;
  };
  cCursor fncCursor() const;
  // Puts the cursor back without announcing anything; the entry is found again when files were
  // expanded or dropped meanwhile.
  void subRestoreCursor(const cCursor& iCursor);

  // Copies the file set, the par list, the cursor, the four switches and the error fields into
  // another player, whose cursor then moves on its own. The copy keeps its own listener.
  void subCopyMeTo(cSmilPlayer& iclsCopy) const;
  // Appends one entry (a placeholder when iclsPar is nothing).
  void subPasteParlistItem(std::string_view isSmilFile, cElementContainer* iclsPar);

  void subReportError(int32_t ilErrorNumber, std::optional<std::string_view> isErrorLocation = {});
  void subReportError(eSmilError ienError, std::optional<std::string_view> isErrorLocation = {}) {
    subReportError(static_cast<int32_t>(ienError), isErrorLocation);
  }

  // The document whose tree holds the node; the record of the node's start tag.
  static cFileData* fncDocumentOf(const cElementContainer* node);
  static cElementData* fncRecordOf(const cElementContainer* node);
  static bool fncbIsMediaName(std::string_view name);

 private:
  enum class eDirection { Forward, Backward };

  cParList& fncMutableList();
  bool fncbExpand(int32_t n);
  bool fncbCollectPars(cFileData& doc, std::vector<cElementContainer*>& pars, bool& bolHasSeq);
  bool fncbRewriteSeqAsPar(cFileData*& doc, cElementContainer* seq);
  cFileData* fncFindDocument(std::string_view isSmilFile) const;
  std::string fncFileNameOnDisk(const std::string& isSmilFile) const;
  bool fncbAllowed(cElementContainer* par);
  void subAnnounce(cElementContainer* node);
  void subMakeCurrent(int32_t n);
  bool fncbStepPar(eDirection direction);
  cElementData* fncStepMedia(eDirection direction, const char* location);
  void subSyncEntryWithPar();

  std::shared_ptr<cParList> mList;
  iSmilPlayerListener* mListener = nullptr;
};

}  // namespace lyn
