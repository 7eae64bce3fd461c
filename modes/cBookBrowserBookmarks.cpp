// The reading mode's bookmarks, its undo position and the bookmark step of the bookmark unit.

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <limits>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cVariControl.h"
#include "disk/mdlDiskModule.h"
#include "engine/cNCCReader.h"
#include "engine/cSmilPlayer.h"
#include "markup/cElementData.h"
#include "modes/cBookBrowser.h"
#include "platform/files/TextCase.h"
#include "prompts/cPromptHandler.h"

namespace lyn {

namespace {

// Walks of the span and of the bookmark step stop after this many media elements.
constexpr int32_t kLongestSpanWalk = 2000;

std::string fncFileName(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool fncbIsAudio(const cElementData& e) { return fncEqualsIgnoringCase(e.sElementName(), "audio"); }

}  // namespace

std::optional<cBookmark> cBookBrowser::fncCurrentPosition() {
  if (!mReader) return std::nullopt;
  const int32_t point = mReader->lCurrentTocItem;
  if (point < 1 || point > mReader->lNumberOfTocItems()) return std::nullopt;
  std::string file;
  double position = 0;
  if (fncbAttached()) {
    if (!fncbPlayerHasFile()) return std::nullopt;
    file = mServices.bookPlayer.psFileName();
    position = mServices.bookPlayer.pdPosition();
  } else if (mbAway && !msSavedFile.empty()) {
    file = msSavedFile;
    position = mdSavedPosition;
  } else {
    return std::nullopt;
  }
  // The player may hold another mode's file; only a file of this book is a place in it.
  std::string drive, folder, name, fragment;
  if (!mServices.disk.fncSplitPath(file, drive, folder, name, fragment) || name.empty() ||
      folder.size() < msBookFolderKey.size() ||
      !fncEqualsIgnoringCase(std::string_view(folder).substr(0, msBookFolderKey.size()),
                             msBookFolderKey))
    return std::nullopt;
  const cTocItem& item = *mReader->pToc(point);
  cBookmark place;
  place.lTocPosition = point;
  place.sSmilFile = fncFoldCase(item.sSmilFile);
  place.sSmilID = fncFoldCase(item.sSmilID);
  int32_t current = 0, total = 0;
  mReader->subCalculatePosition("phrase", current, total);
  place.lPhraseNumber = std::max(current, 1);
  place.dAudioPosition = fncTimeCorrection(position);
  place.sAudioFile = fncFoldCase(name);
  return place;
}

bool cBookBrowser::fncbArmedClipHolds(const cBookmark& iclsPlace) {
  const double position = iclsPlace.dAudioPosition;
  return fncbPlayerHasFile() && position >= mReader->lOCS && position < mReader->lOCE &&
         (iclsPlace.sAudioFile.empty() ||
          fncEqualsIgnoringCase(fncFileName(mServices.bookPlayer.psFileName()),
                                iclsPlace.sAudioFile));
}

bool cBookBrowser::fncbLocateByAudio(const cBookmark& iclsPlace) {
  if (iclsPlace.dAudioPosition < 0 || iclsPlace.sAudioFile.empty()) return false;
  cSmilPlayer walker;
  mReader->clsSmilPlayer().subCopyMeTo(walker);
  // The count grows while the file's placeholder is expanded.
  for (int32_t entry = 1; entry <= walker.lParListCount(); ++entry) {
    if (!fncEqualsIgnoringCase(walker.fncGetParSmilFile(entry), iclsPlace.sSmilFile)) continue;
    if (!walker.fncGotoParByNumber(entry) || !walker.fncSetParToFirst()) continue;
    for (const cElementData* media = walker.fncRetrieveNextMedia();
         media && walker.lCurrentParListItem == entry; media = walker.fncRetrieveNextMedia()) {
      if (!fncbIsAudio(*media) ||
          !fncEqualsIgnoringCase(fncFileName(media->fncAttrContentWOQ("src")),
                                 iclsPlace.sAudioFile))
        continue;
      const double begin = mReader->fncConvertTime(media->fncAttrContentWOQ("clip-begin"));
      const double end = media->fncAttributeExists("clip-end")
                             ? mReader->fncConvertTime(media->fncAttrContentWOQ("clip-end"))
                             : std::numeric_limits<double>::infinity();
      if (iclsPlace.dAudioPosition < begin || iclsPlace.dAudioPosition >= end) continue;
      walker.subCopyMeTo(mReader->clsSmilPlayer());
      mReader->subCountTocPosition();
      mReader->clsSmilPlayer_evNewMedia(*media);
      return mReader->fncPlayCurrent();
    }
  }
  return false;
}

bool cBookBrowser::fncbGoto(const cBookmark& iclsPlace) {
  ++mlQuietErrors;
  bool moved =
      mReader->fncGotoPosition(iclsPlace.sSmilFile, iclsPlace.sSmilID, iclsPlace.lPhraseNumber);
  // The phrase number counts the point's phrases; where the count misses the place (pars the
  // book skips, a book changed since) the clip that holds the saved audio position decides.
  if (iclsPlace.dAudioPosition >= 0 && (!moved || !fncbArmedClipHolds(iclsPlace)))
    moved = fncbLocateByAudio(iclsPlace) || moved;
  --mlQuietErrors;
  if (!moved) return false;
  // A position outside the clip now armed plays that clip from its start.
  if (iclsPlace.dAudioPosition >= 0 && fncbArmedClipHolds(iclsPlace))
    mServices.bookPlayer.pdPosition(iclsPlace.dAudioPosition);
  subRunDeferred();
  return true;
}

bool cBookBrowser::fncGotoBookmark(int32_t ilIndex) {
  if (!bolBookLoaded) {
    subIndicator();
    return false;
  }
  if (ilIndex < 0 || ilIndex > lNumberOfBookmarks || size_t(ilIndex) >= mBookmarks.size() ||
      !mBookmarks[size_t(ilIndex)])
    return false;
  if (!fncbAttached()) {
    subAttach();
    msSavedFile.clear();
  }
  if (!fncbGoto(*mBookmarks[size_t(ilIndex)])) return false;
  subPost("START");
  if (ilIndex > 0) mbPositionChanged = true;
  return true;
}

void cBookBrowser::subSetUndoPosition() {
  if (!bolBookLoaded || !fncbAttached()) return;
  if (auto place = fncCurrentPosition()) mUndo = std::move(place);
}

bool cBookBrowser::fncUndo() {
  if (!bolBookLoaded) {
    subIndicator();
    return false;
  }
  if (!fncbAttached()) {
    subAttach();
    msSavedFile.clear();
  }
  // Nothing to undo: reading goes on (the indicator answers).
  if (!mUndo) return false;
  subPausePlayer();
  const cBookmark target = *mUndo;
  subSetUndoPosition();  // the place being left: a second undo comes back here
  if (!fncbGoto(target)) {
    mUndo = target;
    return false;
  }
  subPost("START");
  mbPositionChanged = true;
  return true;
}

// --- the bookmark file -------------------------------------------------------------------------

bool cBookBrowser::fncLoadBookmarks() {
  mBookmarks.clear();
  lNumberOfBookmarks = 0;
  mBookmarkFile.clear();
  mbBookmarkFileUsable = false;
  if (!mReader || mReader->lNumberOfTocItems() < 1 || mServices.disk.gsUserDataPath.empty())
    return false;
  const std::string title = mReader->pToc(1)->sCaption;
  const std::filesystem::path folder = mServices.disk.gsUserDataPath;
  mBookmarkFile = folder / fncBookmarkFileName(title, msIdentifier, mbMultivolume);
  mbBookmarkFileUsable = true;
  const int32_t points = mReader->lNumberOfTocItems();

  cBookmarkFileContent content = fncReadBookmarkFile(mBookmarkFile, points);
  if (content.enState == eBookmarkFileState::Damaged) {
    std::string error;
    if (!fncSetBookmarkFileAside(mBookmarkFile, &error)) {
      // Neither readable nor movable: it is kept as it is, and nothing is written over it.
      std::cerr << "lyn-reader: " << content.sError << "; " << error
                << "; the bookmarks of this book are not saved\n";
      mbBookmarkFileUsable = false;
    } else {
      std::cerr << "lyn-reader: " << content.sError << "; set aside as .damaged\n";
    }
    return false;
  }
  if (content.enState == eBookmarkFileState::Missing && !msIdentifier.empty()) {
    // A file under the title alone may be this book's from before identifiers were kept; it is
    // taken only when it names no other book.
    content = fncReadBookmarkFile(folder / fncBookmarkFileName(title, {}, false), points);
    if (content.enState == eBookmarkFileState::Loaded && !content.entries[0].sOther.empty() &&
        content.entries[0].sOther != msIdentifier)
      content.enState = eBookmarkFileState::Missing;
  }
  if (content.enState != eBookmarkFileState::Loaded) return false;
  for (cBookmark& b : content.entries) mBookmarks.emplace_back(std::move(b));
  lNumberOfBookmarks = int32_t(mBookmarks.size()) - 1;
  return true;
}

bool cBookBrowser::fncbWriteBookmarkFile() {
  if (!mbBookmarkFileUsable || mBookmarkFile.empty() || mBookmarks.empty()) return false;
  std::string error;
  if (!fncWriteBookmarkFile(mBookmarkFile, mBookmarks, &error, mSaveObserver)) {
    std::cerr << "lyn-reader: the bookmarks are not saved: " << error << '\n';
    return false;
  }
  return true;
}

void cBookBrowser::subSaveBookmarks() {
  if (!bolBookLoaded || mBookmarks.empty()) return;
  if (mBookmarks.size() < size_t(lNumberOfBookmarks) + 1)
    mBookmarks.resize(size_t(lNumberOfBookmarks) + 1);
  // While the title is announced the saved place has not been reached yet and stays as it is.
  if (!bolPlayingTitle) {
    if (auto place = fncCurrentPosition()) {
      const cTocItem* item = mReader->pToc(place->lTocPosition);
      if (item && !item->sRel.empty()) {
        place->dAudioPosition = -1;
        place->lPhraseNumber = 1;
      }
      mBookmarks[0] = std::move(place);
    }
  }
  if (mBookmarks[0]) mBookmarks[0]->sOther = msIdentifier;
  fncbWriteBookmarkFile();
}

// --- user bookmarks ----------------------------------------------------------------------------

void cBookBrowser::subInsert() {
  if (!bolBookLoaded) {
    subIndicator();
    return;
  }
  std::optional<cBookmark> place = fncCurrentPosition();
  if (!place || fncIsBookmarkNear() >= 0) {
    subIndicator();
    return;
  }
  place->sOther.clear();
  size_t slot = 1;
  while (slot < mBookmarks.size() && mBookmarks[slot]) ++slot;
  if (slot >= mBookmarks.size()) mBookmarks.resize(slot + 1);
  mBookmarks[slot] = std::move(place);
  lNumberOfBookmarks = std::max(lNumberOfBookmarks, int32_t(slot));
  subSay({"bookm_insbookmark", int32_t(slot)});
  mbPositionChanged = true;
}

void cBookBrowser::subDelete() {
  if (!bolBookLoaded || lNumberOfBookmarks < 1) {
    subIndicator();
    return;
  }
  const int32_t near = fncIsBookmarkNear();
  if (near < 1) {
    subIndicator();
    return;
  }
  mBookmarks[size_t(near)].reset();
  while (mBookmarks.size() > 1 && !mBookmarks.back()) mBookmarks.pop_back();
  lNumberOfBookmarks = int32_t(mBookmarks.size()) - 1;
  if (lNumberOfBookmarks == 0 && enNavMode == kUnitBookmark) {
    subSay({"bookm_delbookmark", near, "nav_phrase"});
    subSetUnitToPhrase();
    subPost("UPDATEINTERFACE");
  } else {
    subSay({"bookm_delbookmark", near});
  }
  mbPositionChanged = true;
}

// --- the stretch being heard -------------------------------------------------------------------

std::vector<cBookBrowser::cSpanClip> cBookBrowser::fncCalculateSpan() {
  std::vector<cSpanClip> span;
  if (!bolBookLoaded || !mReader) return span;
  double position = 0;
  if (fncbAttached() && fncbPlayerHasFile())
    position = mServices.bookPlayer.pdPosition();
  else if (mbAway)
    position = mdSavedPosition;
  else
    return span;

  cSmilPlayer walker;
  mReader->clsSmilPlayer().subCopyMeTo(walker);
  const cElementData* audio = fncCurrentAudio(walker);
  if (!audio) return span;
  const double varicomp = fncdVariComp();
  const double margin =
      std::max(0.0, 3.0 * (mServices.speed.Speed() + 2.0 * varicomp - 5.0) / varicomp - 1.0);

  const auto clipOf = [&](const cElementData& a, cSmilPlayer& on) {
    cSpanClip clip;
    clip.sAudioFile = fncFileName(a.fncAttrContentWOQ("src"));
    clip.dBegin = mReader->fncConvertTime(a.fncAttrContentWOQ("clip-begin"));
    clip.dEnd = a.fncAttributeExists("clip-end")
                    ? mReader->fncConvertTime(a.fncAttrContentWOQ("clip-end"))
                    : std::numeric_limits<double>::infinity();
    clip.sSmilFile = on.fncGetParSmilFile(on.lCurrentParListItem);
    return clip;
  };

  cSpanClip here = clipOf(*audio, walker);
  position = std::clamp(position, here.dBegin, std::max(here.dBegin, here.dEnd));
  double before = margin - (position - here.dBegin);
  double after = margin - (here.dEnd - position);
  here.dBegin = std::max(here.dBegin, position - margin);
  here.dEnd = std::min(here.dEnd, position + margin);
  span.push_back(here);

  cSmilPlayer back;
  walker.subCopyMeTo(back);
  for (int32_t steps = 0; before > 0 && steps < kLongestSpanWalk; ++steps) {
    const cElementData* media = back.fncRetrievePreviousMedia();
    if (!media) break;
    if (!fncbIsAudio(*media)) continue;
    cSpanClip clip = clipOf(*media, back);
    const double length = clip.dEnd - clip.dBegin;
    if (std::isfinite(clip.dEnd)) clip.dBegin = std::max(clip.dBegin, clip.dEnd - before);
    before -= length;
    span.push_back(clip);
  }
  for (int32_t steps = 0; after > 0 && steps < kLongestSpanWalk; ++steps) {
    const cElementData* media = walker.fncRetrieveNextMedia();
    if (!media) break;
    if (!fncbIsAudio(*media)) continue;
    cSpanClip clip = clipOf(*media, walker);
    const double length = clip.dEnd - clip.dBegin;
    clip.dEnd = std::min(clip.dEnd, clip.dBegin + after);
    after -= length;
    span.push_back(clip);
  }
  return span;
}

int32_t cBookBrowser::fncIsBookmarkNear() {
  if (!bolBookLoaded || lNumberOfBookmarks < 1) return -1;
  const std::vector<cSpanClip> span = fncCalculateSpan();
  for (size_t i = 1; i < mBookmarks.size(); ++i) {
    if (!mBookmarks[i]) continue;
    const cBookmark& b = *mBookmarks[i];
    for (const cSpanClip& clip : span) {
      if (fncEqualsIgnoringCase(b.sSmilFile, clip.sSmilFile) &&
          fncEqualsIgnoringCase(b.sAudioFile, clip.sAudioFile) && clip.dBegin <= b.dAudioPosition &&
          b.dAudioPosition <= clip.dEnd)
        return int32_t(i);
    }
  }
  return -1;
}

bool cBookBrowser::fncbBookmarkStep(int32_t ilDirection) {
  int32_t users = 0;
  for (size_t i = 1; i < mBookmarks.size(); ++i)
    if (mBookmarks[i]) ++users;
  if (users == 0) return false;
  const int32_t near = fncIsBookmarkNear();
  if (users == 1 && near >= 0) return false;

  cSmilPlayer walker;
  mReader->clsSmilPlayer().subCopyMeTo(walker);
  const cElementData* audio = fncCurrentAudio(walker);
  const double position = fncdPlayerPosition();
  // The bookmark, other than the one being heard, whose place lies in `clip` and passes `keep`;
  // the first in the walking direction.
  const auto find = [&](const cElementData& a, const auto& keep) {
    const std::string smil = walker.fncGetParSmilFile(walker.lCurrentParListItem);
    const std::string file = fncFileName(a.fncAttrContentWOQ("src"));
    const double begin = mReader->fncConvertTime(a.fncAttrContentWOQ("clip-begin"));
    const double end = a.fncAttributeExists("clip-end")
                           ? mReader->fncConvertTime(a.fncAttrContentWOQ("clip-end"))
                           : std::numeric_limits<double>::infinity();
    int32_t best = -1;
    for (size_t i = 1; i < mBookmarks.size(); ++i) {
      if (!mBookmarks[i] || int32_t(i) == near) continue;
      const cBookmark& b = *mBookmarks[i];
      if (!fncEqualsIgnoringCase(b.sSmilFile, smil) || !fncEqualsIgnoringCase(b.sAudioFile, file) ||
          b.dAudioPosition < begin || b.dAudioPosition > end || !keep(b.dAudioPosition))
        continue;
      if (best < 0 ||
          (ilDirection > 0 ? b.dAudioPosition < mBookmarks[size_t(best)]->dAudioPosition
                           : b.dAudioPosition > mBookmarks[size_t(best)]->dAudioPosition))
        best = int32_t(i);
    }
    return best;
  };

  int32_t found = -1;
  if (audio) {
    found =
        find(*audio, [&](double at) { return ilDirection > 0 ? at > position : at < position; });
  }
  while (found < 0) {
    const cElementData* media =
        ilDirection > 0 ? walker.fncRetrieveNextMedia() : walker.fncRetrievePreviousMedia();
    if (!media) break;
    if (fncbIsAudio(*media)) found = find(*media, [](double) { return true; });
  }
  if (found < 0 || !fncGotoBookmark(found)) return false;
  subSay({"nav_bookmark", found});
  return true;
}

}  // namespace lyn
