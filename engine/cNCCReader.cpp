#include "engine/cNCCReader.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cPhraseAudioHandler.h"
#include "engine/CharacterReferences.h"
#include "engine/TreeWalk.h"
#include "markup/cDTBData.h"
#include "markup/cElementContainer.h"
#include "markup/cElementData.h"
#include "markup/cFileData.h"
#include "platform/drives/iDrives.h"
#include "platform/files/TextCase.h"
#include "platform/files/cPathResolver.h"
#include "platform/storage/cRegularFile.h"
#include "queue/cMessageQueue.h"
#include "shell/ModuleServices.h"
#include "shell/cApplicationState.h"

namespace lyn {

namespace {

constexpr std::array<const char*, 17> kErrorMessages = {
    "",
    "clsSmilPlayer error",
    "Position doesn't exist in audio",
    "Position doesn't exist in NCC",
    "Text not found in NCC",
    "Text not found in content",
    "Internal datahandling error",
    "DXM object not initialized",
    "Error in file or file not loaded",
    "Audiofile doens't exist or is corrupt",
    "TOC changed due to error",
    "HREF is void",
    "Invalid timevalue in audio",
    "Invalid NCC file",
    "DXM Error",
    "Beginning of book",
    "End of book",
};

std::string fncKey(std::string_view file, std::string_view fragment) {
  std::string key = fncFoldCase(file);
  key += '#';
  key += fncFoldCase(fragment);
  return key;
}

bool fncbIsAudio(const cElementData* media) {
  return media && fncEqualsIgnoringCase(media->sElementName(), "audio");
}

// The leading number of a rel value ("2" of "2 of 3"); nothing when it does not start with one.
std::optional<int32_t> fncVolumeOf(std::string_view rel) {
  rel = fncTrimAsciiSpace(rel);
  int64_t value = 0;
  size_t i = 0;
  for (; i < rel.size() && rel[i] >= '0' && rel[i] <= '9'; ++i) {
    value = std::min<int64_t>(value * 10 + (rel[i] - '0'), INT32_MAX);
  }
  if (i == 0) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace

cNCCReader::cNCCReader(cMessageQueue& queue) : mQueue(queue) {
  mSmilPlayer.subSetListener(&mSmilEvents);
}

cNCCReader::~cNCCReader() {
  ctlDXM(nullptr);
  mSmilPlayer.subSetListener(nullptr);
}

void cNCCReader::subAddListener(iNCCReaderListener& listener) {
  if (std::find(mListeners.begin(), mListeners.end(), &listener) == mListeners.end())
    mListeners.push_back(&listener);
}

void cNCCReader::subRemoveListener(iNCCReaderListener& listener) {
  mListeners.erase(std::remove(mListeners.begin(), mListeners.end(), &listener), mListeners.end());
}

template <typename F>
void cNCCReader::subRaise(F&& event) {
  const std::vector<iNCCReaderListener*> listeners = mListeners;
  for (iNCCReaderListener* listener : listeners) {
    if (std::find(mListeners.begin(), mListeners.end(), listener) != mListeners.end())
      event(*listener);
  }
}

cDTBData& cNCCReader::clsDTBData() {
  if (!mDTBData) mDTBData = std::make_unique<cDTBData>();
  return *mDTBData;
}

cTocItem* cNCCReader::clsCurrentTocItem() {
  if (lCurrentTocItem < 1 || lCurrentTocItem > lNumberOfTocItems()) return nullptr;
  return mToc[static_cast<size_t>(lCurrentTocItem - 1)].get();
}

void cNCCReader::ctlDXM(cAudioPlaybackSystem* iclsPlayer) {
  if (mAudio == iclsPlayer) return;
  if (mAudio) mAudio->subRemoveListener(mAudioEvents);
  mAudio = iclsPlayer;
  if (mAudio) mAudio->subAddListener(mAudioEvents);
}

void cNCCReader::subReportError(int32_t ilErrorNumber,
                                std::optional<std::string_view> isErrorLocation) {
  subReportError(static_cast<eReaderError>(ilErrorNumber), isErrorLocation);
}

void cNCCReader::subReportError(eReaderError ienError,
                                std::optional<std::string_view> isErrorLocation,
                                std::string isDetail) {
  const auto ilErrorNumber = static_cast<int32_t>(ienError);
  lErrorNumber = ilErrorNumber;
  if (isErrorLocation) sErrorLocation = std::string(*isErrorLocation);
  sErrorDetail = std::move(isDetail);
  if (ilErrorNumber >= 1 && ilErrorNumber <= 16)
    sErrorMsg = kErrorMessages[static_cast<size_t>(ilErrorNumber)];
  subRaise([](iNCCReaderListener& l) { l.evError(); });
  if (oOwner) oOwner->clsNccReader_evError();
}

cTocItem* cNCCReader::pToc(int32_t ilTocIndex) {
  if (ilTocIndex < 1 || ilTocIndex > lNumberOfTocItems()) {
    subReportError(eReaderError::NotInNcc, "Get TOC");
    return nullptr;
  }
  return mToc[static_cast<size_t>(ilTocIndex - 1)].get();
}

std::string cNCCReader::fncReplaceEnteties(std::string& sText) const {
  // The markup references come after the table, so "&amp;aring;" stays "&aring;".
  mEntities.fncReplace(sText);
  sText = fncDecodeCharacterReferences(sText);
  return sText;
}

std::string cNCCReader::fncWhyNot(const std::string& isPath, std::string_view isFallback) const {
  std::filesystem::path path = isPath;
  if (auto real = fncResolvePathIgnoringCase(path)) path = *real;
  std::string error;
  if (!fncOpenRegularFile(path, &error).valid()) return error;
  return isPath + ": " + std::string(isFallback);
}

// --- loading ---------------------------------------------------------------------------------

bool cNCCReader::fncbLoadBook(std::string_view vsNccPath, std::string_view vsNccFile) {
  cDTBData& files = clsDTBData();
  mSmilPlayer.clsDTBData = &files;
  files.sWorkPath = vsNccPath.empty() ? std::string() : fncWithTrailingSeparator(std::string(vsNccPath));
  mbAtEndOfBook = false;
  const auto failed = [&] {
    subReportError(eReaderError::SmilPlayer, "Load book",
                   fncWhyNot(files.sWorkPath + std::string(vsNccFile),
                             "cannot be loaded (too large, or no markup)"));
    return false;
  };
  if (!files.fncInsertFile(vsNccFile, kFileTypeNcc, {.bolParsing = true})) return failed();
  cFileData* ncc = files.fncGetFileData({.enFileType = kFileTypeNcc});
  if (!ncc) return failed();
  fncReplaceEnteties(files.sTitle);
  if (!fncbFormatAccepted(*ncc)) {
    subReportError(eReaderError::InvalidNcc, "Parse par",
                   files.sWorkPath + std::string(vsNccFile) + ": no \"daisy 2\" format meta");
    return false;
  }
  ncc->fncParseElementHierarchy();
  subGenerateNavpoints(*ncc);
  return fncbFirstAudioPlays();
}

bool cNCCReader::fncbFormatAccepted(cFileData& ncc) {
  for (cElementData* meta = ncc.fncGetElementData(std::string_view("meta")); meta;
       meta = ncc.fncGetNextElementData({"meta"})) {
    const std::string_view content = fncTrimAsciiSpace(meta->fncAttrContentWOQ("content"));
    const std::string name = fncFoldCase(fncTrimAsciiSpace(meta->fncAttrContentWOQ("name")));
    if (fncFoldCase(content.substr(0, 7)) == "daisy 2" &&
        (name == "dc:format" || name == "ncc:format"))
      return true;
  }
  return false;
}

void cNCCReader::subGenerateNavpoints(cFileData& ncc) {
  static constexpr std::string_view kLocation = "Generate navpoints";
  cElementContainer* root = ncc.clsElementContainer();
  cElementContainer* body = root ? fncFindBelow(root, "body") : nullptr;
  if (body) body->subResetAllElements(true);
  std::string lastRegistered;
  for (int32_t i = 1; body && i <= body->lElementsOwned(); ++i) {
    cElementContainer* child = body->pElementContainer(i);
    const std::string name = fncFoldCase(child->sName());
    const bool heading = name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6';
    if (!heading && name != "span" && name != "div") continue;
    const cElementData* record = ncc.pElementData(child->lStartTagNumber);
    cElementContainer* link = fncFindBelow(child, "a");
    const cElementData* linkRecord = link ? ncc.pElementData(link->lStartTagNumber) : nullptr;
    if (!record || !linkRecord) {
      subReportError(eReaderError::FileNotLoaded, kLocation);
      continue;
    }
    auto item = std::make_unique<cTocItem>();
    item->clsElementContainer = child;

    // The caption grows run by run, cleaned after each, so a space ending a run is lost. Each
    // run has its references replaced by itself, so none is decoded twice.
    for (int32_t r = 1; r <= link->lTextsOwned() && item->sCaption.size() < kMaxCaptionBytes; ++r) {
      std::string run(ncc.fncTextDataContent(link->pTextData(r)));
      fncReplaceEnteties(run);
      item->sCaption = fncNormaliseWhiteSpace(item->sCaption + run);
    }

    const std::string href = fncFoldCase(linkRecord->fncAttrContentWOQ("href"));
    const size_t firstHash = href.find('#');
    const size_t lastHash = href.rfind('#');
    const std::string file(fncTrimAsciiSpace(std::string_view(href).substr(0, firstHash)));
    const std::string fragment =
        firstHash == std::string::npos ? std::string()
                                       : std::string(fncTrimAsciiSpace(std::string_view(href).substr(lastHash + 1)));
    // Every SMIL file gets a placeholder in NCC order; a link without a file registers nothing.
    if (!file.empty() && file != lastRegistered) {
      mSmilPlayer.fncInsertFile(file, false);
      lastRegistered = file;
    }

    const std::string cls = fncFoldCase(fncTrimAsciiSpace(record->fncAttrContentWOQ("class")));
    int32_t* counter = nullptr;
    if (heading) {
      item->sClass = "heading" + name.substr(1);
      item->sSubClass = cls;
      counter = name == "h1" ? &lChapterCount : &lHeadingCount;
    } else if (name == "span") {
      if (cls == "sidebar") {
        item->sClass = "sidebar";
      } else if (cls == "optional-prodnote") {
        item->sClass = "prodnote";
      } else if (cls == "noteref") {
        item->sClass = "noteref";
      } else if (cls == "pagenormal" || cls == "page-normal") {
        item->sClass = "page";
        item->sSubClass = "pagenormal";
      } else if (cls == "pagespecial" || cls == "page-special") {
        item->sClass = "page";
        item->sSubClass = "pagespecial";
      } else if (cls == "pagefront" || cls == "page-front") {
        item->sClass = "page";
        item->sSubClass = "pagefront";
      } else {
        continue;
      }
      if (item->sClass == "page") counter = &lPageCount;
    } else if (cls == "group") {
      item->sSubClass = "group";
    } else {
      continue;
    }

    item->sRel = std::string(fncTrimAsciiSpace(linkRecord->fncAttrContentWOQ("rel")));
    item->sID = std::string(fncTrimAsciiSpace(record->fncAttrContentWOQ("id")));
    item->sSmilFile = file;
    item->sSmilID = fragment;
    if (item->sSmilFile.empty()) {
      subReportError(eReaderError::VoidHref, kLocation);
      continue;
    }
    if (counter) ++*counter;
    mToc.push_back(std::move(item));
  }
  lCurrentTocItem = 1;
  subIndexNavpoints();
}

void cNCCReader::subIndexNavpoints() {
  mTocByLink.clear();
  mTocByTarget.clear();
  cFileData* ncc = mDTBData ? mDTBData->fncGetFileData({.enFileType = kFileTypeNcc}) : nullptr;
  for (int32_t n = 1; n <= lNumberOfTocItems(); ++n) {
    const cTocItem& item = *mToc[static_cast<size_t>(n - 1)];
    mTocByTarget.emplace(fncKey(item.sSmilFile, item.sSmilID), n);
    cElementContainer* link = fncFindBelow(item.clsElementContainer, "a");
    const cElementData* record = (link && ncc) ? ncc->pElementData(link->lStartTagNumber) : nullptr;
    if (!record) continue;
    const std::string_view href = record->fncAttrContentWOQ("href");
    const size_t hash = href.find('#');
    if (hash == std::string_view::npos) continue;
    mTocByLink.emplace(fncKey(fncTrimAsciiSpace(href.substr(0, hash)), fncTrimAsciiSpace(href.substr(hash + 1))), n);
  }
}

cElementData* cNCCReader::fncNextAudio(cSmilPlayer& player, bool bolTakeCurrent) {
  cElementData* media = bolTakeCurrent ? player.fncRetrieveCurrentMedia() : nullptr;
  if (!media) media = player.fncRetrieveNextMedia();
  while (media && !fncbIsAudio(media)) media = player.fncRetrieveNextMedia();
  return media;
}

bool cNCCReader::fncbFirstAudioPlays() {
  if (mToc.empty()) return false;
  // A private copy, so that the real player's position stays untouched.
  cSmilPlayer probe;
  mSmilPlayer.subCopyMeTo(probe);
  const cTocItem& first = *mToc.front();
  if (!probe.fncGotoElementContainerByFileAndID(first.sSmilFile, first.sSmilID)) return false;
  const cElementData* audio = fncNextAudio(probe, true);
  if (!audio) return false;
  const std::string path = fncConvertPath(audio->fncAttrContentWOQ("src"));
  return !path.empty() && fncbCanPlayAudioFile(path);
}

// --- paths and times -------------------------------------------------------------------------

std::string cNCCReader::fncBookDrive() {
  const std::string& folder = clsDTBData().sWorkPath;
  std::error_code ec;
  const std::string book = fncWithoutTrailingSeparator(
      std::filesystem::absolute(folder.empty() ? "." : folder, ec).lexically_normal().string());
  std::string drive = oDrives ? oDrives->fncDriveOfPath(book) : std::string();
  return fncWithTrailingSeparator(drive.empty() ? "/" : drive);
}

std::string cNCCReader::fncComposePath(std::string_view isValue) {
  std::string value(isValue);
  // A file URL names a path of this machine: "file:///x" and "file://localhost/x" give "/x".
  if (fncStartsWithIgnoringAsciiCase(value, "file:")) {
    value.erase(0, 5);
    if (value.rfind("//", 0) == 0) {
      const size_t slash = value.find('/', 2);
      value = slash == std::string::npos ? std::string() : value.substr(slash);
    }
    if (value.empty()) return {};
  }
  // Only a leading backslash means the book's drive: a book made on a system with drive letters.
  const bool bookDrive = !value.empty() && value.front() == '\\';
  std::replace(value.begin(), value.end(), '\\', '/');
  if (bookDrive) {
    const size_t name = value.find_first_not_of('/');
    return fncBookDrive() + (name == std::string::npos ? std::string() : value.substr(name));
  }
  if (!value.empty() && value.front() == '/') return value;
  const size_t first = value.find('/');
  // A drive letter ("C:/") is kept as written; everything else lies below the book folder.
  if (first != std::string::npos && value[1] == ':') return value;
  return clsDTBData().sWorkPath + value;
}

std::string cNCCReader::fncConvertPath(std::string_view isValue) {
  if (fncStartsWithIgnoringAsciiCase(isValue, "http:") || fncStartsWithIgnoringAsciiCase(isValue, "ftp:"))
    return {};
  if (!mLastSrc.empty() && isValue == mLastSrc) return mLastPath;
  cPathResolver& resolver = clsDTBData().fncPathResolver();
  std::string path = fncComposePath(isValue);
  if (auto real = resolver.fncResolve(path)) {
    path = real->string();
  } else if (isValue.find_first_of("%&") != std::string_view::npos) {
    // Links as books write them, escaped in the attribute: decoded once, never twice.
    if (auto decoded = resolver.fncResolve(fncComposePath(fncDecodeLinkEscapes(isValue))))
      path = decoded->string();
  }
  mLastSrc = std::string(isValue);
  mLastPath = path;
  return path;
}

double cNCCReader::fncConvertTime(std::string_view isValue) const {
  std::string value(isValue);
  return fncParseClockValue(value);
}

// --- playback --------------------------------------------------------------------------------

void cNCCReader::subPause() {
  if (mAudio) mAudio->fncbPause();
}

bool cNCCReader::fncPlayCurrent() {
  static constexpr std::string_view kLocation = "Play current";
  const cElementData* audio = fncNextAudio(mSmilPlayer, true);
  if (!audio) return false;
  if (!mAudio) {
    subReportError(eReaderError::NoPlaybackObject, kLocation);
    return false;
  }
  const std::string_view src = audio->fncAttrContentWOQ("src");
  const std::string path = fncConvertPath(src);
  const bool sameFile = !path.empty() && mAudio->psFileName() == path && mAudio->mbAudioFileLoaded;
  if (!path.empty() && !sameFile) {
    mOpeningPath = path;
    mAudio->psFileName(path);
    mOpeningPath.clear();
  }
  if (path.empty() || mAudio->psFileName() != path || !mAudio->mbAudioFileLoaded) {
    maFailedAudio.push_back(path);
    subReportError(eReaderError::NoPlaybackObject, kLocation,
                   path.empty() ? "no audio file that plays in \"" + std::string(src) + "\""
                                : fncWhyNot(path, "cannot be decoded as audio"));
    return false;
  }
  bolIsUsingVari = mAudio->mbIsUsingVari;
  if (oApplicationState) oApplicationState->bolSpeedChangeAvailable = bolIsUsingVari;

  // A missing clip-begin is the start of the file, a missing clip-end its end.
  const std::string_view beginText = audio->fncAttrContentWOQ("clip-begin");
  const std::string_view endText = audio->fncAttrContentWOQ("clip-end");
  const bool hasEnd = !fncTrimAsciiSpace(endText).empty();
  const double duration = mAudio->pdDuration();
  double begin = fncTrimAsciiSpace(beginText).empty() ? 0.0 : fncConvertTime(beginText);
  double end = hasEnd ? fncConvertTime(endText) : duration;
  if (hasEnd && begin > end) {
    subReportError(eReaderError::InvalidTime, kLocation);
    end = begin;
  }
  if (begin > duration) {
    subReportError(eReaderError::NotInAudio, "Play Current");
    begin = duration;
  }

  if (bolStopAt) {
    mAudio->fncbStopAt(end);
  } else if (!hasEnd) {
    // No mark: the end of the file ends the clip.
    mAudio->subClearMark();
  } else if (!mAudio->fncbSetMark(end)) {
    subReportError(eReaderError::NotInAudio, "Play Current");
    mAudio->fncbSetMark(duration);
  }

  mQueue.subAddMessage("START");

  // Consecutive clips of one file play on without a seek, so without a gap.
  const double position = mAudio->pdPosition();
  const bool consecutive = sameFile && begin == lOCE && begin - position <= 0.1;
  if (!consecutive) mAudio->pdPosition(begin);
  lOCS = begin;
  lOCE = end;
  mbAtEndOfBook = false;
  return true;
}

void cNCCReader::subAnnounceCurrentPar() {
  cElementContainer* par = mSmilPlayer.clsCurrentPar;
  if (!par) return;
  if (const cElementData* record = cSmilPlayer::fncRecordOf(par)) clsSmilPlayer_evNewMedia(*record);
  for (int32_t i = 1; i <= par->lElementsOwned(); ++i) {
    cElementContainer* child = par->pElementContainer(i);
    if (!cSmilPlayer::fncbIsMediaName(child->sName())) continue;
    if (const cElementData* record = cSmilPlayer::fncRecordOf(child)) clsSmilPlayer_evNewMedia(*record);
  }
}

bool cNCCReader::fncbStepPhrases(bool bolForward, int32_t ilNumber) {
  static constexpr std::string_view kLocation = "Navigate";
  const cSmilPlayer::cCursor start = mSmilPlayer.fncCursor();
  const int32_t startPoint = lCurrentTocItem;
  std::optional<cSmilPlayer::cCursor> reached;  // the last clip reached on the way
  for (int32_t step = 0; step < ilNumber; ++step) {
    const auto stepMedia = [&] {
      return bolForward ? mSmilPlayer.fncRetrieveNextMedia() : mSmilPlayer.fncRetrievePreviousMedia();
    };
    const cElementData* media = stepMedia();
    while (media && !fncbIsAudio(media)) media = stepMedia();
    if (media) {
      reached = mSmilPlayer.fncCursor();
      continue;
    }
    if (bolForward) {
      // Too few phrases left: nothing moves, and the view is told where the reader stands.
      mSmilPlayer.subRestoreCursor(start);
      subAnnounceCurrentPar();
      lCurrentTocItem = startPoint;
      subPause();
      subReportError(eReaderError::EndOfBook, kLocation);
      return false;
    }
    // Before the first phrase: the first phrase is current and armed, and playing waits.
    mSmilPlayer.subRestoreCursor(reached.value_or(start));
    subAnnounceCurrentPar();
    if (!reached) lCurrentTocItem = startPoint;
    fncPlayCurrent();
    subPause();
    subReportError(eReaderError::BeginningOfBook, kLocation);
    return false;
  }
  return true;
}

bool cNCCReader::fncbStepPoints(int32_t ilDirection, int32_t ilNumber,
                                const std::vector<std::string>& units) {
  static constexpr std::string_view kLocation = "Navigate";
  const cSmilPlayer::cCursor start = mSmilPlayer.fncCursor();
  const int32_t startPoint = lCurrentTocItem;
  // A move that cannot be made whole is not made at all: the point, the cursor and the armed
  // clip stay, so playing on goes on where it was.
  const auto giveUp = [&](eReaderError error) {
    mSmilPlayer.subRestoreCursor(start);
    lCurrentTocItem = startPoint;
    subReportError(error, kLocation);
    return false;
  };
  for (int32_t step = 0; step < ilNumber; ++step) {
    int32_t k = lCurrentTocItem;
    for (;;) {
      k += ilDirection;
      if (k < 1 || k > lNumberOfTocItems()) return giveUp(eReaderError::NotInNcc);
      cTocItem& item = *mToc[static_cast<size_t>(k - 1)];
      if (!item.bolNavigable) continue;
      const bool wanted = std::any_of(units.begin(), units.end(), [&](const std::string& unit) {
        return fncEqualsIgnoringCase(item.sClass, unit);
      });
      if (!wanted) continue;
      if (mSmilPlayer.fncGotoElementContainerByFileAndID(item.sSmilFile, item.sSmilID)) break;
      // A point whose place does not exist is passed over from now on; a refused par ends here.
      if (mSmilPlayer.lErrorNumber != static_cast<int32_t>(eSmilError::FileOrData))
        return giveUp(eReaderError::SmilPlayer);
      subReportError(eReaderError::SmilPlayer, kLocation);
      item.bolNavigable = false;
    }
    lCurrentTocItem = k;
  }
  return true;
}

bool cNCCReader::fncNavigate(int32_t lDirection, int32_t ilNumber,
                             const std::vector<std::string>& units) {
  aLastUnits = units;
  const bool forward = lDirection >= 0;
  const bool phrases = std::any_of(units.begin(), units.end(), [](const std::string& unit) {
    return fncEqualsIgnoringCase(unit, "audio");
  });
  const bool moved = phrases ? fncbStepPhrases(forward, ilNumber)
                             : fncbStepPoints(forward ? 1 : -1, ilNumber, units);
  return moved && fncPlayCurrent();
}

bool cNCCReader::fncbPlayTocItem(int32_t ilTocItem) {
  cTocItem* item = pToc(ilTocItem);
  if (!item) return false;
  if (!mSmilPlayer.fncGotoElementContainerByFileAndID(item->sSmilFile, item->sSmilID)) {
    subReportError(eReaderError::SmilPlayer, "Play tocitem");
    return false;
  }
  lCurrentTocItem = ilTocItem;
  return fncPlayCurrent();
}

bool cNCCReader::fncGotoPosition(std::string_view isFile, std::string_view isID,
                                 int32_t ilPhraseNumber) {
  if (!mSmilPlayer.fncGotoElementContainerByFileAndID(isFile, isID)) return false;
  cElementData* media = mSmilPlayer.fncRetrieveCurrentMedia();
  if (!media) media = mSmilPlayer.fncRetrieveNextMedia();
  if (!media) return false;
  if (ilPhraseNumber > 1) {
    // Counted on a copy; the player takes the place of the last clip reached.
    cSmilPlayer probe;
    mSmilPlayer.subCopyMeTo(probe);
    cSmilPlayer reached;
    bool any = false;
    for (int32_t phrase = 1; phrase <= ilPhraseNumber; ++phrase) {
      if (!fncNextAudio(probe, phrase == 1)) break;
      probe.subCopyMeTo(reached);
      any = true;
    }
    if (any) {
      reached.subCopyMeTo(mSmilPlayer);
      media = mSmilPlayer.fncRetrieveCurrentMedia();
      if (!media) return false;
    }
  }
  subCountTocPosition();
  clsSmilPlayer_evNewMedia(*media);
  return fncPlayCurrent();
}

void cNCCReader::subCountTocPosition() {
  const cElementContainer* node = mSmilPlayer.clsCurrentElementContainer;
  cFileData* doc = cSmilPlayer::fncDocumentOf(node);
  if (!doc) return;
  const cElementData* media = doc->pElementData(node->lStartTagNumber);
  if (!media) return;
  int32_t at = node->lStartTagNumber;
  const std::string file = mSmilPlayer.fncGetParSmilFile(mSmilPlayer.lCurrentParListItem);
  const std::string fileKey = fncFoldCase(file.empty() ? doc->sFileName : file) + "#";
  for (; at >= 1; --at) {
    const std::string_view id = doc->pElementData(at)->fncAttrContentWOQ("id");
    if (id.empty()) continue;
    const auto found = mTocByTarget.find(fileKey + fncFoldCase(id));
    if (found == mTocByTarget.end()) continue;
    if (mToc[static_cast<size_t>(found->second - 1)]->sRel.empty()) lCurrentTocItem = found->second;
    return;
  }
}

void cNCCReader::subCalculatePosition(std::string_view isType, int32_t& ilCurrentPosition,
                                      int32_t& ilNumberofPositions) {
  ilCurrentPosition = 0;
  ilNumberofPositions = 0;
  if (lCurrentTocItem < 1 || lCurrentTocItem > lNumberOfTocItems()) return;
  const bool event = fncEqualsIgnoringCase(isType, "event");
  int32_t from = lCurrentTocItem;
  if (event) {
    static constexpr std::array<std::string_view, 5> kMinor = {"page", "noteref", "sidebar",
                                                               "prodnote", "pagenumber"};
    while (from > 1 && std::any_of(kMinor.begin(), kMinor.end(), [&](std::string_view c) {
             return fncEqualsIgnoringCase(mToc[static_cast<size_t>(from - 1)]->sClass, c);
           }))
      --from;
  }
  const cTocItem& start = *mToc[static_cast<size_t>(from - 1)];
  std::vector<std::string> toID;
  std::string toFile;
  if (lCurrentTocItem < lNumberOfTocItems()) {
    const cTocItem& next = *mToc[static_cast<size_t>(lCurrentTocItem)];
    toID.push_back(next.sSmilID);
    toFile = next.sSmilFile;
  }
  int32_t texts = 0, audios = 0, currentText = 0, currentAudio = 0;
  mSmilPlayer.subCountTextAndAudio(texts, audios, currentText, currentAudio, start.sSmilID,
                                   start.sSmilFile, toID, toFile);
  if (event) {
    ilCurrentPosition = currentText + currentAudio;
    ilNumberofPositions = texts + audios;
  } else {
    ilCurrentPosition = currentAudio;
    ilNumberofPositions = audios;
  }
}

// --- events ----------------------------------------------------------------------------------

void cNCCReader::clsSmilPlayer_evNewMedia(const cElementData& iclsElement) {
  const std::string_view name = iclsElement.sElementName();
  if (fncEqualsIgnoringCase(name, "par") || fncEqualsIgnoringCase(name, "text")) {
    const std::string key =
        fncKey(mSmilPlayer.fncGetParSmilFile(mSmilPlayer.lCurrentParListItem),
               iclsElement.fncAttrContentWOQ("id"));
    const auto found = mTocByLink.find(key);
    if (found != mTocByLink.end()) {
      const int32_t index = found->second;
      subRaise([index](iNCCReaderListener& l) { l.evTocPositionChanged(index); });
      lCurrentTocItem = index;
    }
  }
  if (cSmilPlayer::fncbIsMediaName(name))
    subRaise([&iclsElement](iNCCReaderListener& l) { l.evNewMedia(iclsElement); });
}

void cNCCReader::clsSmilPlayer_evNewPar() {
  subRaise([](iNCCReaderListener& l) { l.evNewPar(); });
  if (oOwner) oOwner->clsNccReader_evNewPar();
}

void cNCCReader::clsSmilPlayer_evError() {
  static constexpr std::string_view kLocation = "Smilplayer error";
  const auto number = static_cast<eSmilError>(mSmilPlayer.lErrorNumber);
  const std::string& where = mSmilPlayer.sErrorLocation;
  switch (number) {
    case eSmilError::FileOrData:
      if (where != "Par parser") return;
      subReportError(eReaderError::SmilPlayer, kLocation,
                     fncWhyNot(clsDTBData().sWorkPath + mSmilPlayer.sErrorFile,
                               "no SMIL file with a seq of pars"));
      subDeleteUnusedNavpoints();
      return;
    case eSmilError::SystemRequired:
      if (where == "Next par" || where == "Previous par") return;
      subReportError(eReaderError::SmilPlayer, kLocation);
      return;
    case eSmilError::LastPar:
    case eSmilError::FirstPar:
      if (number == eSmilError::LastPar && where == "Next par") {
        mbAtEndOfBook = true;
        subPause();
      } else if (number == eSmilError::FirstPar && where == "Previous par") {
        subPause();
      }
      subReportError(eReaderError::SmilPlayer, kLocation);
      return;
    default:
      subReportError(eReaderError::SmilPlayer, kLocation);
      return;
  }
}

void cNCCReader::subDeleteUnusedNavpoints() {
  for (const auto& item : mToc)
    if (!mSmilPlayer.fncbHasParsOf(item->sSmilFile)) item->bolNavigable = false;
  subReportError(eReaderError::TocChanged, "Delete unused navpoints");
}

void cNCCReader::ctlDXM_evError() {
  if (!mAudio) return;
  const int32_t number = mAudio->mlErrorNumber;
  const eReaderError error = number == 1   ? eReaderError::AudioFile
                             : number == 7 ? eReaderError::NotInAudio
                                           : eReaderError::PlaybackObject;
  subReportError(error, "ctlDXM_evError",
                 mOpeningPath.empty() ? std::string()
                                      : fncWhyNot(mOpeningPath, "cannot be decoded as audio"));
}

int32_t cNCCReader::fnclWaitingForVolume() {
  const cTocItem* current = clsCurrentTocItem();
  if (!current || current->sRel.empty()) return 0;
  const std::optional<int32_t> volume = fncVolumeOf(current->sRel);
  return volume && *volume != clsDTBData().lDiscNumber ? *volume : 0;
}

void cNCCReader::CtlDxm_evEndOfStream() {
  const auto moved = [this] {
    subRaise([](iNCCReaderListener& l) { l.evAutomaticMovement(); });
    if (oOwner) oOwner->clsNCCReader_evAutomaticMovement();
    subRaise([](iNCCReaderListener& l) { l.evEOS(); });
  };
  if (!bolContinous) {
    subPause();
    moved();
    return;
  }
  // A point on another volume of the set stops playback until that volume is in.
  if (fnclWaitingForVolume() != 0) {
    subPause();
    return;
  }
  // A clip whose audio does not play has been reported by fncPlayCurrent; playing goes on with
  // the next clip. Each file is tried once in a run of such clips, and every turn moves on by
  // one clip, so the run ends at the latest with the book.
  maFailedAudio.clear();
  while (const cElementData* audio = fncNextAudio(mSmilPlayer, false)) {
    const std::string path = fncConvertPath(audio->fncAttrContentWOQ("src"));
    if (std::find(maFailedAudio.begin(), maFailedAudio.end(), path) != maFailedAudio.end()) continue;
    if (fncPlayCurrent()) {
      maFailedAudio.clear();
      moved();
      return;
    }
    if (!mAudio) return;
  }
  maFailedAudio.clear();
  subReportError(eReaderError::SmilPlayer, "End of stream");
}

}  // namespace lyn
