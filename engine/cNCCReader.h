#pragma once
// The NCC reader: the book engine that a mode drives. It loads a book's NCC, derives the
// navigation points (cTocItem) from it, registers the book's SMIL files with its SMIL player,
// moves through the book by phrases and by classes of points, plays the current clip on the
// book's playback object, and continues from clip to clip when a clip ends.
//
// Borrowed: the message queue ("START" is posted there when a clip is armed; the mode starts the
// playback object when the queue is processed) and the playback object (ctlDXM, lent by whoever
// owns it; the reader listens to it while it is attached). Owned: the book file set
// (clsDTBData, shared with the SMIL player), the SMIL player and the navigation points.
//
// Lists are 1-based. File names and ids are matched ignoring case; the points are indexed by
// their links at load, so keeping the current point in step costs no walk over the points.
//
// Error table (subReportError; lErrorNumber, sErrorMsg, sErrorLocation; raised as evError, and
// clsNccReader_evError on the owner):
//   1 "clsSmilPlayer error"                    the NCC cannot be loaded ("Load book"); the SMIL
//                                              player failed ("Smilplayer error"); a point's
//                                              place cannot be reached ("Navigate", "Play
//                                              tocitem"); no clip after this one ("End of stream")
//   2 "Position doesn't exist in audio"         a clip end past the file's end, or a begin past
//                                              it ("Play Current"); audio error 7
//   3 "Position doesn't exist in NCC"           a point number outside the list ("Get TOC"); no
//                                              further point of the classes asked ("Navigate")
//   4-6                                         not raised
//   7 "DXM object not initialized"              no playback object, or its file is not the clip's
//                                              ("Play current")
//   8 "Error in file or file not loaded"        a navigation element without a link
//                                              ("Generate navpoints")
//   9 "Audiofile doens't exist or is corrupt"   audio error 1 ("ctlDXM_evError")
//  10 "TOC changed due to error"                points marked as leading nowhere after a SMIL
//                                              file failed ("Delete unused navpoints")
//  11 "HREF is void"                            a link without a file part ("Generate navpoints")
//  12 "Invalid timevalue in audio"              a clip that begins after it ends ("Play current")
//  13 "Invalid NCC file"                        no "daisy 2" format meta ("Parse par")
//  14 "DXM Error"                               any other audio error ("ctlDXM_evError")
//  15 "Beginning of book"                       previous phrase before the first ("Navigate")
//  16 "End of book"                             next phrase after the last ("Navigate")
// Every failure leaves the reader usable. A navigation is done whole or not at all: one that
// runs out leaves the point, the SMIL cursor and the armed clip as they were (previous phrase
// before the first lands on the first phrase). The end of the book arrives as error 1 with the
// SMIL player's error 4; fncbAtEndOfBook says so plainly. sErrorDetail names the file and the
// system's reason where one is known.
//
// In continuous play a clip whose audio does not play (missing, unreadable, undecodable) is
// reported once and passed over: playing goes on with the next clip whose audio plays.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "audio/iAudioPlaybackListener.h"
#include "engine/cEntityTable.h"
#include "engine/cSmilPlayer.h"
#include "engine/cTocItem.h"
#include "engine/iNCCReaderListener.h"
#include "engine/iNCCReaderOwner.h"
#include "engine/iSmilPlayerListener.h"

namespace lyn {

class cApplicationState;
class cAudioPlaybackSystem;
class cDTBData;
class cElementData;
class cFileData;
class cMessageQueue;
class iDrives;

// The numbers of the error table above.
enum class eReaderError : int32_t {
  SmilPlayer = 1,
  NotInAudio = 2,
  NotInNcc = 3,
  TextNotInNcc = 4,
  TextNotInContent = 5,
  InternalData = 6,
  NoPlaybackObject = 7,
  FileNotLoaded = 8,
  AudioFile = 9,
  TocChanged = 10,
  VoidHref = 11,
  InvalidTime = 12,
  InvalidNcc = 13,
  PlaybackObject = 14,
  BeginningOfBook = 15,
  EndOfBook = 16,
};

class cNCCReader {
 public:
  // Captions are built from at most this many bytes of link text.
  static constexpr size_t kMaxCaptionBytes = 4096;

  explicit cNCCReader(cMessageQueue& queue);
  ~cNCCReader();
  cNCCReader(const cNCCReader&) = delete;
  cNCCReader& operator=(const cNCCReader&) = delete;

  // Listeners are borrowed; each must leave before it is destroyed.
  void subAddListener(iNCCReaderListener& listener);
  void subRemoveListener(iNCCReaderListener& listener);
  iNCCReaderOwner* oOwner = nullptr;  // borrowed; may be nothing
  // Borrowed, set by the owner; may be nothing. The application state receives the speed-change
  // flag after every clip is opened; the drives name the book's drive for a src that begins with
  // "\" (without them that is the root folder).
  cApplicationState* oApplicationState = nullptr;
  const iDrives* oDrives = nullptr;

  // The book file set, created on first use.
  cDTBData& clsDTBData();
  cSmilPlayer& clsSmilPlayer() { return mSmilPlayer; }

  int32_t lCurrentTocItem = 0;
  int32_t lNumberOfTocItems() const { return static_cast<int32_t>(mToc.size()); }
  // The current point; nothing when lCurrentTocItem is outside the list (no report).
  cTocItem* clsCurrentTocItem();
  int32_t lPageCount = 0;     // page points
  int32_t lHeadingCount = 0;  // heading points of levels 2 to 6
  int32_t lChapterCount = 0;  // level-1 heading points
  bool bolStopAt = false;     // arm a stop point instead of a mark at the clip end
  std::string sErrorMsg;
  int32_t lErrorNumber = 0;
  std::string sErrorLocation;
  std::string sErrorDetail;   // the file and the system's reason of the last error; "" if none
  bool bolContinous = true;   // go on by itself from clip to clip
  double lOCS = 0;            // begin of the clip last started, seconds
  double lOCE = 0;            // its end
  bool bolIsUsingVari = false;  // the playback object's speed stage was in use for the clip
  std::vector<std::string> aLastUnits;  // the units of the last fncNavigate

  // The playback object; nothing detaches it. The reader listens to it while attached.
  void ctlDXM(cAudioPlaybackSystem* iclsPlayer);
  cAudioPlaybackSystem* ctlDXM() const { return mAudio; }

  // --- loading ---------------------------------------------------------------------------------
  // Loads the NCC `vsNccFile` of the folder `vsNccPath`. True when the NCC was accepted, its
  // points were built and the first point's first audio clip opens and decodes.
  bool fncbLoadBook(std::string_view vsNccPath, std::string_view vsNccFile);
  // Point n; outside 1..lNumberOfTocItems error 3 at "Get TOC" and nothing.
  cTocItem* pToc(int32_t ilTocIndex);
  // Replaces the entity references of the table, in place, and returns the result.
  std::string fncReplaceEnteties(std::string& sText) const;
  void subReportError(int32_t ilErrorNumber, std::optional<std::string_view> isErrorLocation = {});
  void subReportError(eReaderError ienError, std::optional<std::string_view> isErrorLocation = {},
                      std::string isDetail = {});
  // True once the book has played to its end (the SMIL player found no par after the last); a
  // clip armed since makes it false again.
  bool fncbAtEndOfBook() const { return mbAtEndOfBook; }
  // The volume of a multi-volume set on which the current point lies when that is not this
  // volume (playback then stops until it is in); 0 otherwise.
  int32_t fnclWaitingForVolume();

  // --- navigation and playback -------------------------------------------------------------------
  // Moves ilNumber units forward (lDirection 1) or back (-1) and plays. "audio" (any case)
  // means phrases; other names are point classes ("heading2", "page", ...). Points known to lead
  // nowhere are passed over.
  bool fncNavigate(int32_t lDirection, int32_t ilNumber, const std::vector<std::string>& units);
  // Arms the current (or next) audio clip and posts "START".
  bool fncPlayCurrent();
  // Goes to point n and plays.
  bool fncbPlayTocItem(int32_t ilTocItem);
  // Goes to the element with that id in that SMIL file and plays; with ilPhraseNumber n > 1,
  // plays the n-th audio clip counted from there (the phrase count of subCalculatePosition).
  bool fncGotoPosition(std::string_view isFile, std::string_view isID, int32_t ilPhraseNumber = 0);
  // Makes current the point that contains the current media.
  void subCountTocPosition();
  // The phrase report: type "phrase" (or any but "event") counts audio clips of the current
  // point; "event" counts texts and clips from the nearest point at or before the current one
  // that is not a page, note reference, sidebar or producer's note.
  void subCalculatePosition(std::string_view isType, int32_t& ilCurrentPosition,
                            int32_t& ilNumberofPositions);
  // A clip's src as a path: "http:"/"ftp:" give ""; "/..." and "file://..." are paths as they
  // stand; a leading "\" (a book made on another system) is taken from the book's drive
  // (oDrives); "\" and "/" both separate; a bare name, "./", "../" or a relative folder are
  // taken from the book folder. The result is resolved ignoring case when it exists; when it
  // does not and the src holds percent escapes or character references, they are decoded
  // (once) and the decoded name is taken when that one exists.
  std::string fncConvertPath(std::string_view isValue);
  // A clip time in seconds: every SMIL 1.0 clock form after the "npt=" prefix.
  double fncConvertTime(std::string_view isValue) const;

  // --- event handlers (called by the SMIL player and the playback object) -----------------------
  void clsSmilPlayer_evNewMedia(const cElementData& iclsElement);
  void clsSmilPlayer_evNewPar();
  void clsSmilPlayer_evError();
  void ctlDXM_evError();
  void CtlDxm_evEndOfStream();
  // Marks the points whose SMIL file has no entry left in the par list; reports error 10.
  void subDeleteUnusedNavpoints();

 private:
  class cSmilEvents final : public iSmilPlayerListener {
   public:
    explicit cSmilEvents(cNCCReader& reader) : mReader(reader) {}
    void evError() override { mReader.clsSmilPlayer_evError(); }
    void evNewMedia(const cElementData& e) override { mReader.clsSmilPlayer_evNewMedia(e); }
    void evNewPar() override { mReader.clsSmilPlayer_evNewPar(); }

   private:
    cNCCReader& mReader;
  };
  class cAudioEvents final : public iAudioPlaybackListener {
   public:
    explicit cAudioEvents(cNCCReader& reader) : mReader(reader) {}
    void evEndofStream() override { mReader.CtlDxm_evEndOfStream(); }
    void evError() override { mReader.ctlDXM_evError(); }

   private:
    cNCCReader& mReader;
  };

  template <typename F>
  void subRaise(F&& event);
  bool fncbFormatAccepted(cFileData& ncc);
  void subGenerateNavpoints(cFileData& ncc);
  void subIndexNavpoints();
  bool fncbFirstAudioPlays();
  cElementData* fncNextAudio(cSmilPlayer& player, bool bolTakeCurrent);
  bool fncbStepPhrases(bool bolForward, int32_t ilNumber);
  bool fncbStepPoints(int32_t ilDirection, int32_t ilNumber, const std::vector<std::string>& units);
  void subAnnounceCurrentPar();
  void subPause();
  std::string fncComposePath(std::string_view isValue);
  std::string fncBookDrive();
  std::string fncWhyNot(const std::string& isPath, std::string_view isFallback) const;

  cMessageQueue& mQueue;
  cSmilEvents mSmilEvents{*this};
  cAudioEvents mAudioEvents{*this};
  std::unique_ptr<cDTBData> mDTBData;
  cSmilPlayer mSmilPlayer;
  cEntityTable mEntities;
  cAudioPlaybackSystem* mAudio = nullptr;
  std::vector<iNCCReaderListener*> mListeners;
  std::vector<std::unique_ptr<cTocItem>> mToc;
  // Folded "file#fragment" -> first point: by the link split at its first "#" (the place a par
  // or text announces), and by sSmilFile "#" sSmilID (the place a point names).
  std::unordered_map<std::string, int32_t> mTocByLink;
  std::unordered_map<std::string, int32_t> mTocByTarget;
  std::string mLastSrc;  // the last src resolved, and its path
  std::string mLastPath;
  std::string mOpeningPath;  // the audio file being opened, named in the errors it raises
  std::vector<std::string> maFailedAudio;  // files that did not play in this run of skips
  bool mbAtEndOfBook = false;
};

}  // namespace lyn
