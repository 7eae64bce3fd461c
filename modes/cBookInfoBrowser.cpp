#include "modes/cBookInfoBrowser.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <vector>

#include "audio/cAudioPlaybackSystem.h"
#include "modes/PlayerHelpers.h"
#include "audio/cVariControl.h"
#include "disk/mdlDiskModule.h"
#include "engine/cNCCReader.h"
#include "markup/cDTBData.h"
#include "markup/cElementContainer.h"
#include "markup/cFileData.h"
#include "modes/GeneratedPages.h"
#include "modes/iMainWindow.h"
#include "platform/files/TextCase.h"
#include "platform/storage/cAtomicFile.h"
#include "prompts/cPromptHandler.h"
#include "shell/ModuleServices.h"
#include "shell/cApplicationState.h"

namespace lyn {

namespace {

constexpr const char* kInfoPage = "info.html";
constexpr const char* kInfoSmil = "info.smil";

struct InfoItem {
  std::string sTag = "h2";
  std::string sId;
  std::string sClass;
  std::string sText;   // plain text; escaped when written
  std::string sAudio;  // the audio element lines
  bool bolRuleAfter = false;
};

std::string_view fncTrimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The leading digits of `text` as a whole number (0 when there are none).
int32_t fncWholeNumber(std::string_view text) {
  text = fncTrimmed(text);
  int32_t value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() ? value : 0;
}

bool fncbIsNumber(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

const cFileData* fncNccDocument(cNCCReader& reader) {
  if (reader.lNumberOfTocItems() < 1) return nullptr;
  const cTocItem* first = reader.pToc(1);
  if (!first || !first->clsElementContainer) return nullptr;
  const cElementContainer* node = first->clsElementContainer;
  while (node->oParent()) node = node->oParent();
  return node->clsFileData();
}

std::optional<std::string> fncMetaEither(const cFileData* ncc, std::string_view a, std::string_view b) {
  if (!ncc) return std::nullopt;
  if (auto value = pages::fncMetaContent(*ncc, a)) return value;
  return pages::fncMetaContent(*ncc, b);
}

std::string fncCaptionText(std::string caption, const cNCCReader& reader) {
  reader.fncReplaceEnteties(caption);
  return pages::fncUnescapeMarkup(caption);
}

}  // namespace

cBookInfoBrowser::cBookInfoBrowser(cModeServices& services, iMode& readingMode)
    : iMode(services), mReadingMode(readingMode) {}

cBookInfoBrowser::~cBookInfoBrowser() {
  if (mInfoReader) {
    mInfoReader->subRemoveListener(mReaderEvents);
    mInfoReader->oOwner = nullptr;
  }
}

bool cBookInfoBrowser::fncbIsCurrentMode() const {
  return mServices.app.currentModeNumber == eModeNumber::Information;
}

std::string cBookInfoBrowser::fncClassCaption() {
  if (!mInfoReader || mInfoReader->lNumberOfTocItems() < 1)
    return mServices.prompts.Text("cap_bookinfo");
  std::string caption = fncCaptionText(mInfoReader->pToc(1)->sCaption, *mInfoReader);
  if (mInfoReader->lNumberOfTocItems() >= 2)
    caption += " " + fncCaptionText(mInfoReader->pToc(2)->sCaption, *mInfoReader);
  return caption;
}

void cBookInfoBrowser::subReportError(int32_t ilError, std::optional<std::string> isLocation) {
  iMode::subReportError(ilError, std::move(isLocation));
  mServices.prompts.subAddAudioPrompts(10, false, false, false, {"sfx_indicator1"});
  mServices.app.queue().subAddMessage("STOP");
  if (mInfoReader && fncbIsCurrentMode()) mServices.window.clsNccReader_evError(*mInfoReader);
}

// --- the page ---------------------------------------------------------------------------------

bool cBookInfoBrowser::fncbWritePages() {
  cPromptHandler& prompts = mServices.prompts;
  const std::string program = mServices.app.programFolder();
  cNCCReader* book = mReadingMode.fncbBookLoaded() ? mReadingMode.clsNccReader() : nullptr;

  const auto promptAudio = [&](std::string_view key) -> std::string {
    if (!prompts.IsAudio) return {};
    const auto entry = prompts.fncRequestEntry(key);
    const auto* file = std::get_if<std::string>(&entry[0]);
    const auto* begin = std::get_if<double>(&entry[1]);
    const auto* end = std::get_if<double>(&entry[2]);
    if (!file || !begin || !end) return {};
    return pages::fncAudioElement(program + *file, *begin, *end);
  };
  const auto spoken = [&](const std::vector<PromptItem>& items) {
    std::string lines;
    for (const std::string& key : prompts.fncConvertToID(items)) lines += promptAudio(key);
    return lines;
  };
  const auto bookAudio = [&](int32_t point) -> std::string {
    if (!book) return {};
    const auto piece = pages::fncAudioPieceOfPoint(*book, point, 1.0, 15.0);
    return piece ? pages::fncAudioElement(piece->sPath, piece->dBegin, piece->dEnd) : std::string();
  };
  const auto label = [&](std::string_view key) { return prompts.Text(key); };
  // A number read from the book is spoken as a number when it is one, else as written.
  const auto numberItem = [](const std::string& text) -> PromptItem {
    if (fncbIsNumber(text)) return PromptItem(fncWholeNumber(text));
    return PromptItem(text);
  };

  std::vector<InfoItem> items;
  if (book) {
    items.push_back({"h2", "Intro", "infoIntro", label("inf_bookinfo"), spoken({"inf_bookinfo"})});
    if (book->lNumberOfTocItems() >= 1)
      items.push_back({"h1", "title", "infoTitle", fncCaptionText(book->pToc(1)->sCaption, *book),
                       bookAudio(1)});

    const cFileData* ncc = fncNccDocument(*book);
    std::string discs;
    if (auto set = fncMetaEither(ncc, "dc:setinfo", "ncc:setinfo");
        set && set->find(' ') != std::string::npos) {
      const std::string disc(fncTrimmed(std::string_view(*set).substr(0, set->find(' '))));
      discs = std::string(fncTrimmed(std::string_view(*set).substr(set->rfind(' ') + 1)));
      items.push_back({"h2", "currdisc", "infoCurrDisc", label("inf_currdisc") + " " + disc,
                       spoken({"inf_currdisc", numberItem(disc)})});
    }

    // The points that hold the reading position: from the current point back to the first.
    int32_t chapter = 0, heading = 0, page = 0;
    for (int32_t n = std::min(book->lCurrentTocItem, book->lNumberOfTocItems()); n >= 1; --n) {
      const std::string& cls = book->pToc(n)->sClass;
      if (!chapter && fncEqualsIgnoringCase(cls, "heading1")) chapter = n;
      if (!heading && cls.size() == 8 && fncEqualsIgnoringCase(cls.substr(0, 7), "heading") &&
          cls[7] >= '2' && cls[7] <= '6')
        heading = n;
      if (!page && fncEqualsIgnoringCase(cls, "page")) page = n;
    }
    const auto reference = [&](int32_t point, const char* id, const char* cls, const char* key) {
      if (point < 1) return;
      items.push_back({"h2", id, cls,
                       label(key) + " " + fncCaptionText(book->pToc(point)->sCaption, *book),
                       promptAudio(key) + bookAudio(point)});
    };
    reference(chapter, "currentchapter", "infoCurrChapter", "inf_currchapter");
    reference(heading, "currentheading", "infoCurrHeading", "inf_currheading");
    reference(page, "currentpage", "infoCurrPage", "inf_currpage");
    items.back().bolRuleAfter = true;

    if (!discs.empty())
      items.push_back({"h2", "nodiscs", "infoNumDiscs", label("inf_numdiscs") + " " + discs,
                       spoken({"inf_numdiscs", numberItem(discs)})});
    const auto count = [&](const char* id, const char* cls, const char* key, int32_t value) {
      items.push_back({"h2", id, cls, label(key) + " " + std::to_string(value), spoken({key, value})});
    };
    count("nochapters", "infoNumChapters", "inf_numchapters", book->lChapterCount);
    count("nopages", "infoNumPages", "inf_numpages", book->lPageCount);
    count("nobookmarks", "infoNumBookmarks", "inf_numbookmarks", mReadingMode.lNumberOfBookmarks);

    if (auto total = fncMetaEither(ncc, "dc:totaltime", "ncc:totaltime");
        total && total->find(':') != std::string::npos) {
      const std::string_view t = *total;
      const size_t first = t.find(':');
      const size_t second = t.find(':', first + 1);
      const int32_t h = fncWholeNumber(t.substr(0, first));
      const int32_t m = fncWholeNumber(t.substr(first + 1));
      std::string_view secondsText = second == std::string_view::npos ? std::string_view() : t.substr(second + 1);
      secondsText = secondsText.substr(0, secondsText.find_first_of(".,"));
      const int32_t s = fncWholeNumber(secondsText);
      items.push_back({"h2", "totaltime", "infoTotaltime",
                       label("inf_playbacktime") + " " + std::to_string(h) + ":" +
                           std::to_string(m) + ":" + std::to_string(s),
                       spoken({"inf_playbacktime", h, h < 2 ? "inf_hour" : "inf_hours", m,
                               m < 2 ? "inf_minute" : "inf_minutes"})});
    }
    items.back().bolRuleAfter = true;
  }
  items.push_back({"h2", "version", "infoVersion",
                   label("about_version") + " " + std::to_string(LYN_VERSION_MAJOR) + "." +
                       std::to_string(LYN_VERSION_MINOR),
                   spoken({"about_version", LYN_VERSION_MAJOR, "UC_46", LYN_VERSION_MINOR})});

  std::string html = pages::fncHtmlHead();
  std::string smil = pages::fncSmilHead();
  for (const InfoItem& item : items) {
    html += "    <" + item.sTag + " id=\"" + item.sId + "\" class=\"" + item.sClass +
            "\"><a href=\"" + kInfoSmil + "#" + item.sId + "\">" +
            pages::fncEscapeMarkup(item.sText) + "</a></" + item.sTag + ">\r\n";
    if (item.bolRuleAfter) html += "<hr>\r\n";
    smil += "      <par endsync=\"last\" id=\"" + item.sId + "\">\r\n";
    smil += "        <text src=\"" + std::string(kInfoPage) + "#" + item.sId + "\">\r\n";
    smil += "        <seq>\r\n" + item.sAudio + "        </seq>\r\n      </par>\r\n";
  }
  html += pages::fncHtmlTail();
  smil += pages::fncSmilTail();
  const std::filesystem::path folder(mServices.disk.gsUserDataPath);
  return fncWriteFileAtomically(folder / kInfoSmil, smil) &&
         fncWriteFileAtomically(folder / kInfoPage, html);
}

void cBookInfoBrowser::subShowInfo() {
  if (!mlSavedSpeed) mlSavedSpeed = mServices.speed.Speed();
  mServices.speed.subSetSpeed(5);
  mServices.prompts.subAddAudioPrompts(10, true, false, true, {"CAP_BOOKINFO", "GEN_ESCTORETURN"});

  if (mInfoReader) {
    mInfoReader->subRemoveListener(mReaderEvents);
    mInfoReader->oOwner = nullptr;
  }
  mInfoReader = std::make_unique<cNCCReader>(mServices.app.queue());
  mInfoReader->ctlDXM(&mServices.bookPlayer);
  mInfoReader->oOwner = this;
  mInfoReader->subAddListener(mReaderEvents);

  // The page loads when its points were built; a clip that does not play is reported when
  // it is reached.
  const std::string data = mServices.disk.gsUserDataPath;
  if (!fncbWritePages() ||
      (!mInfoReader->fncbLoadBook(data, kInfoPage) && mInfoReader->lNumberOfTocItems() < 1)) {
    subReportError(mInfoReader->lErrorNumber ? mInfoReader->lErrorNumber : 1, "Show info");
    return;
  }
  mServices.window.subDoNavigate(data + kInfoPage);
  subPlayItem(1);
}

void cBookInfoBrowser::subPlayItem(int32_t item) {
  if (!mInfoReader || mInfoReader->lNumberOfTocItems() < 1) return;
  if (!mInfoReader->ctlDXM()) mInfoReader->ctlDXM(&mServices.bookPlayer);
  mInfoReader->fncbPlayTocItem(std::clamp(item, 1, mInfoReader->lNumberOfTocItems()));
}

// --- the mode's operations ----------------------------------------------------------------------

void cBookInfoBrowser::subClickedOn(const std::string& isHref, const std::string& isParentId) {
  if (!mInfoReader) return;
  mServices.prompts.subclearQue();
  subPauseBookPlayer(mServices.bookPlayer);
  const size_t hash = isHref.find('#');
  const std::string id = hash == std::string::npos ? isParentId : isHref.substr(hash + 1);
  for (int32_t n = 1; n <= mInfoReader->lNumberOfTocItems(); ++n) {
    const cTocItem* point = mInfoReader->pToc(n);
    if (fncEqualsIgnoringCase(point->sSmilID, id) || fncEqualsIgnoringCase(point->sID, id)) {
      subPlayItem(n);
      return;
    }
  }
  subIndicator();
}

void cBookInfoBrowser::subBrowseUnit(int32_t ilDirection, int32_t ilCount) {
  if (!mInfoReader || mInfoReader->lNumberOfTocItems() < 1) {
    subIndicator();
    return;
  }
  if (!mInfoReader->ctlDXM()) mInfoReader->ctlDXM(&mServices.bookPlayer);
  if (!mInfoReader->fncNavigate(ilDirection < 0 ? -1 : 1, std::max(ilCount, 1),
                                {"heading1", "heading2"})) {
    mServices.prompts.subAddAudioPrompts(10, false, false, false, {"sfx_indicator3"});
    mServices.app.queue().subAddMessage("STARTSTOP");
  }
}

bool cBookInfoBrowser::fncUndo() {
  subIndicator();
  return false;
}

void cBookInfoBrowser::subDrivesChanged() {
  subPauseBookPlayer(mServices.bookPlayer);
  cNCCReader* book = mReadingMode.fncbBookLoaded() ? mReadingMode.clsNccReader() : nullptr;
  if (!book) return;
  std::string drive, folder, file, fragment;
  if (!mServices.disk.fncSplitPath(book->clsDTBData().sWorkPath, drive, folder, file, fragment))
    return;
  const auto& drives = mServices.disk.gsLastDrives;
  const bool present = std::any_of(drives.begin(), drives.end(), [&](const std::string& d) {
    return fncEqualsIgnoringCase(d, drive);
  });
  if (present) return;
  mReadingMode.subDrivesChanged();  // the reading mode unloads a book whose drive went
  mServices.app.queue().subAddMessage("STOP");
  mServices.app.queue().subAddMessage("READ");
}

void cBookInfoBrowser::subPlay() {
  if (!mInfoReader || mInfoReader->lNumberOfTocItems() < 1) return;
  if (!mInfoReader->ctlDXM()) {
    mInfoReader->ctlDXM(&mServices.bookPlayer);
    mInfoReader->fncPlayCurrent();  // arms the clip again and posts "START"
    return;
  }
  if (mServices.bookPlayer.mlCurrentAudioState != 1) mServices.bookPlayer.fncbPlay();
}

void cBookInfoBrowser::subSearch() {
  subIndicator();
  if (mInfoReader) subPlayItem(std::max(mInfoReader->lCurrentTocItem, 1));
}

void cBookInfoBrowser::subPrepareForModeChange() {
  if (mlSavedSpeed) {
    mServices.speed.subSetSpeed(*mlSavedSpeed);
    mlSavedSpeed.reset();
  }
  mServices.prompts.subclearQue();
  // The reading mode takes the book player back; the page must not hear its clips end.
  if (mInfoReader) mInfoReader->ctlDXM(nullptr);
}

void cBookInfoBrowser::subEscape() {
  subPauseBookPlayer(mServices.bookPlayer);
  mServices.app.queue().subAddMessage("READ");
}

void cBookInfoBrowser::subStartStop() {
  mServices.prompts.subclearQue();
  mServices.app.queue().subAddMessage("STOP");
  if (mInfoReader) subPlayItem(std::max(mInfoReader->lCurrentTocItem, 1));
}

// --- the info reader's events --------------------------------------------------------------------

void cBookInfoBrowser::clsNccReader_evError() {
  if (!mInfoReader) return;
  const int32_t error = mInfoReader->lErrorNumber;
  if (error == 1 && mInfoReader->clsSmilPlayer().lErrorNumber == 4) {
    mServices.app.queue().subAddMessage("STOP");  // the end of the page
    return;
  }
  if (error == 3 || error == 15 || error == 16) return;  // no further item: the caller answers
  subReportError(error, mInfoReader->sErrorLocation);
}

void cBookInfoBrowser::clsNCCReader_evAutomaticMovement() {
  if (mInfoReader && fncbIsCurrentMode())
    mServices.window.clsNCCReader_evAutomaticMovement(*mInfoReader);
}

void cBookInfoBrowser::clsNccReader_evNewPar() {
  if (mInfoReader && fncbIsCurrentMode()) mServices.window.clsNccReader_evNewPar(*mInfoReader);
}

void cBookInfoBrowser::clsNccReader_evNewMedia(const cElementData& iclsElement) {
  if (mInfoReader && fncbIsCurrentMode())
    mServices.window.clsNccReader_evNewMedia(*mInfoReader, iclsElement);
}

void cBookInfoBrowser::clsNccReader_evTocPositionChanged(int32_t ilPosition) {
  if (mInfoReader && fncbIsCurrentMode())
    mServices.window.clsNccReader_evTocPositionChanged(*mInfoReader, ilPosition);
}

}  // namespace lyn
