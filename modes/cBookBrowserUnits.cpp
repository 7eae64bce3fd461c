// The reading mode's navigation units, the previous-phrase rule, fast forward and rewind, and
// the time correction applied when playback resumes.

#include <algorithm>
#include <array>
#include <filesystem>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cVariControl.h"
#include "engine/cNCCReader.h"
#include "engine/cSmilPlayer.h"
#include "markup/cElementData.h"
#include "modes/cBookBrowser.h"
#include "platform/files/TextCase.h"
#include "prompts/cPromptHandler.h"

namespace lyn {

namespace {

constexpr std::array<const char*, 6> kUnitKeys = {
    "", "nav_phrase", "nav_page", "nav_heading", "nav_chapter", "nav_bookmark"};

const std::vector<std::string>& fncUnitClasses(int32_t ilUnit) {
  static const std::vector<std::string> kAudio = {"audio"};
  static const std::vector<std::string> kPage = {"page"};
  static const std::vector<std::string> kHeading = {"heading1", "heading2", "heading3",
                                                    "heading4", "heading5", "heading6",
                                                    "sidebar",  "prodnote", "noteref"};
  static const std::vector<std::string> kChapter = {"heading1"};
  switch (ilUnit) {
    case kUnitPage:
      return kPage;
    case kUnitHeading:
      return kHeading;
    case kUnitChapter:
      return kChapter;
    default:
      return kAudio;
  }
}

}  // namespace

bool cBookBrowser::fncbUnitAvailable(int32_t ilUnit) const {
  switch (ilUnit) {
    case kUnitPhrase:
      return true;
    case kUnitPage:
      return mReader->lPageCount >= 1;
    // A book whose headings all lie below level 1 still has headings to move by.
    case kUnitHeading:
      return mReader->lChapterCount + mReader->lHeadingCount >= 1;
    case kUnitChapter:
      return mReader->lChapterCount >= 1;
    case kUnitBookmark:
      return lNumberOfBookmarks >= 1;
    default:
      return false;
  }
}

void cBookBrowser::subSetUnitToPhrase() {
  enNavMode = kUnitPhrase;
  sNavModeText = mServices.prompts.Text("nav_phrase");
}

void cBookBrowser::subChangeUnit(std::optional<int32_t> ilStep, std::optional<int32_t> ilUnit) {
  if (!bolBookLoaded) {
    subIndicator();
    return;
  }
  int32_t unit = enNavMode;
  if (ilStep) {
    const int32_t step = *ilStep >= 0 ? 1 : -1;
    // Phrase is always there, so five steps always find a unit.
    for (int32_t tries = 0; tries < 5; ++tries) {
      unit += step;
      if (unit > 5) unit = 1;
      if (unit < 1) unit = 5;
      if (fncbUnitAvailable(unit)) break;
    }
  } else if (ilUnit) {
    if (!fncbUnitAvailable(*ilUnit)) return;  // also any number outside 1..5
    unit = *ilUnit;
  } else {
    return;
  }
  enNavMode = unit;
  subSay({kUnitKeys[size_t(unit)]});
  sNavModeText = mServices.prompts.Text(kUnitKeys[size_t(unit)]);
}

const cElementData* cBookBrowser::fncCurrentAudio(cSmilPlayer& player) {
  if (!player.clsCurrentElementContainer) return nullptr;
  const cElementData* media = player.fncRetrieveCurrentMedia();
  return media && fncEqualsIgnoringCase(media->sElementName(), "audio") ? media : nullptr;
}

double cBookBrowser::fncTimeCorrection(double idPosition) {
  if (!mReader) return idPosition;
  const cElementData* audio = fncCurrentAudio(mReader->clsSmilPlayer());
  if (!audio) return idPosition;
  const double begin = mReader->fncConvertTime(audio->fncAttrContentWOQ("clip-begin"));
  return idPosition - 2.0 < begin ? begin : idPosition - 2.0;
}

bool cBookBrowser::fncbNavigate(int32_t ilDirection, int32_t ilCount, int32_t ilUnit) {
  ++mlOwnMoves;
  const bool moved = mReader->fncNavigate(ilDirection, ilCount, fncUnitClasses(ilUnit));
  --mlOwnMoves;
  return moved;
}

void cBookBrowser::subPreviousPhrase() {
  const auto back = [this] {
    if (!fncbNavigate(-1, 1, kUnitPhrase)) subIndicator();
  };
  const cElementData* audio = fncCurrentAudio(mReader->clsSmilPlayer());
  if (!audio || !fncbPlayerHasFile()) {
    back();
    return;
  }
  const double begin = mReader->fncConvertTime(audio->fncAttrContentWOQ("clip-begin"));
  const double elapsed = mServices.bookPlayer.pdPosition() - begin;
  const double varicomp = fncdVariComp();
  const double threshold = 2.0 * (mServices.speed.Speed() + 2.0 * varicomp - 5.0) / varicomp - 1.0;
  if (elapsed < threshold) {
    back();
  } else {
    mServices.bookPlayer.pdPosition(begin);
    subPost("START");
  }
}

void cBookBrowser::subBrowseUnit(int32_t ilDirection, int32_t ilCount) {
  if (!bolBookLoaded) {
    subIndicator();
    return;
  }
  const int32_t count = std::max(ilCount, 1);
  const int32_t direction = ilDirection >= 0 ? 1 : -1;
  subStopFFW(false);
  if (!fncbAttached()) {
    subAttach();
    msSavedFile.clear();
  }
  subSetUndoPosition();
  dUndoTime = 0;
  subPausePlayer();
  if (bolPlayingTitle) {
    subSkipTitle();
    return;
  }
  mbPositionChanged = true;
  switch (enNavMode) {
    case kUnitPhrase:
      if (direction != 1 && count <= 1) {
        subPreviousPhrase();
      } else if (!fncbNavigate(direction, count, kUnitPhrase)) {
        subIndicator();
      }
      break;
    case kUnitPage:
    case kUnitHeading:
    case kUnitChapter:
      if (!fncbNavigate(direction, count, enNavMode)) {
        subIndicator();
        subPost("start");
      }
      break;
    case kUnitBookmark:
      for (int32_t i = 0; i < count; ++i) {
        if (!fncbBookmarkStep(direction)) {
          subIndicator();
          subPost("start");
        }
      }
      break;
    default:
      break;
  }
  subRunDeferred();
  subAutomaticMovement();
}

// --- fast forward and rewind -------------------------------------------------------------------

void cBookBrowser::subBeginFFW(int32_t ilDirection) {
  if (!bolBookLoaded || bolFFW) return;
  if (bolPlayingTitle) {
    subSkipTitle();
    return;
  }
  if (!fncbAttached() || !fncbPlayerHasFile()) return;
  cAudioPlaybackSystem& player = mServices.bookPlayer;
  mReader->bolContinous = false;
  lFFWDirection = ilDirection >= 0 ? 1 : -1;
  player.fncbPause();
  mServices.speed.subInitSkimSpeed();
  bolFFW = true;
  mbPositionChanged = true;
  dUndoTime = 0;
  const double play = fncdFfwPlay();
  const double position = player.pdPosition();
  if (lFFWDirection > 0) {
    player.fncbSetMark(std::min(position + play, mReader->lOCE));
  } else {
    const double start = std::max(position - fncdFfwSkip() - play, mReader->lOCS);
    player.fncbSetMark(std::min(start + play, mReader->lOCE));
    player.pdPosition(start);
  }
  player.fncbPlay();
}

void cBookBrowser::subFFWStep() {
  if (!bolFFW || !fncbAttached() || !fncbPlayerHasFile()) return;
  cAudioPlaybackSystem& player = mServices.bookPlayer;
  const double play = fncdFfwPlay();
  const double skip = fncdFfwSkip();
  const double position = player.pdPosition();
  double from = position;
  const auto moveTo = [&](int32_t direction) {
    if (!fncbNavigate(direction, 1, kUnitPhrase)) {
      subIndicator();
      subEndFFW();
      return false;
    }
    // Opening another file applied the normal speed row; skimming goes on at the skim row.
    mServices.speed.subInitSkimSpeed();
    return true;
  };
  if (lFFWDirection > 0) {
    const double start = position + skip;
    if (start + play < mReader->lOCE) {
      player.pdPosition(start);
      from = start;
    } else {
      if (!moveTo(1)) return;
      from = mReader->lOCS;
    }
  } else {
    const double start = position - skip - play;
    if (start > mReader->lOCS) {
      player.pdPosition(start);
      from = start;
    } else {
      if (!moveTo(-1)) return;
      from = std::max(mReader->lOCE - skip, mReader->lOCS);
      player.pdPosition(from);
    }
  }
  player.fncbSetMark(std::min(from + play, mReader->lOCE));
  player.fncbPlay();
  subRunDeferred();
}

void cBookBrowser::subEndFFW() { subStopFFW(true); }

void cBookBrowser::subStopFFW(bool ibolResume) {
  if (!bolFFW) return;
  bolFFW = false;
  lFFWDirection = -lFFWDirection;
  mServices.speed.subDeInitSkimSpeed();
  if (fncbAttached() && fncbPlayerHasFile()) {
    cAudioPlaybackSystem& player = mServices.bookPlayer;
    player.fncbPause();
    player.fncbSetMark(mReader->lOCE);
    if (ibolResume) player.fncbPlay();
  }
  if (mReader) mReader->bolContinous = true;
  mbPositionChanged = true;
}

}  // namespace lyn
