#include "modes/cBookshelfBrowser.h"

#include <algorithm>
#include <filesystem>
#include <unordered_map>

#include "audio/cAudioPlaybackSystem.h"
#include "modes/PlayerHelpers.h"
#include "audio/cVariControl.h"
#include "disk/mdlDiskModule.h"
#include "engine/cNCCReader.h"
#include "markup/cDTBData.h"
#include "modes/cBookBrowser.h"
#include "markup/cElementContainer.h"
#include "markup/cFileData.h"
#include "markup/cFileParser.h"
#include "modes/GeneratedPages.h"
#include "modes/iDialogs.h"
#include "modes/iMainWindow.h"
#include "platform/files/TextCase.h"
#include "platform/files/cPathResolver.h"
#include "platform/storage/cAtomicFile.h"
#include "prompts/cPromptHandler.h"
#include "shell/ModuleServices.h"
#include "shell/cApplicationState.h"
#include "shell/cSettingsTable.h"

namespace lyn {

namespace {

constexpr const char* kListFile = "booklist.html";
constexpr const char* kSmilFile = "booklist.smil";
constexpr const char* kContentFile = "booklistcontent.html";
// The caption grows by a dot per folder searched up to this length, then starts again.
constexpr size_t kCaptionLimit = 120;

// The real name of the book's NCC in `folder` ("ncc.html", else "ncc.htm", any case).
std::optional<std::string> fncNccFileIn(const std::string& folder) {
  for (const char* name : {"ncc.html", "ncc.htm"}) {
    const auto real = fncResolvePathIgnoringCase(std::filesystem::path(folder) / name);
    std::error_code ec;
    if (real && std::filesystem::is_regular_file(*real, ec)) return real->filename().string();
  }
  return std::nullopt;
}

std::optional<std::filesystem::path> fncExistingFile(const std::filesystem::path& path) {
  const auto real = fncResolvePathIgnoringCase(path);
  std::error_code ec;
  if (real && std::filesystem::is_regular_file(*real, ec)) return real;
  return std::nullopt;
}

// A document of the data folder, read and tokenized; nothing when it cannot be read.
std::unique_ptr<cFileData> fncLoadDocument(const std::string& folder, const std::string& name) {
  auto doc = std::make_unique<cFileData>(name, 0, folder);
  if (!doc->fncLoadFile()) return nullptr;
  cFileParser parser;
  if (!parser.fncParseFile(*doc)) return nullptr;
  return doc;
}

// The NCC document of a loaded book, found through its first point so that the book file set's
// cursor is left alone.
const cFileData* fncNccDocument(cNCCReader& reader) {
  if (reader.lNumberOfTocItems() >= 1) {
    if (const cTocItem* first = reader.pToc(1); first && first->clsElementContainer) {
      const cElementContainer* node = first->clsElementContainer;
      while (node->oParent()) node = node->oParent();
      if (node->clsFileData()) return node->clsFileData();
    }
  }
  return nullptr;
}

// The text between a start tag and the record that follows it, as written.
std::string_view fncTextAfter(const cFileData& doc, int32_t n) {
  const cElementData* tag = doc.pElementData(n);
  const cElementData* next = doc.pElementData(n + 1);
  if (!tag || tag->lElmEndPos < 0) return {};
  const size_t from = static_cast<size_t>(tag->lElmEndPos);
  const size_t to = next && next->lElmStartPos >= 0 ? static_cast<size_t>(next->lElmStartPos)
                                                    : doc.sData.size();
  if (from >= to || to > doc.sData.size()) return {};
  return std::string_view(doc.sData).substr(from, to - from);
}

// The title a book is listed under: "dc:title", else "ncc:title", else the first link's text
// without its "&"; references resolved; "(disc/discs)" added for a volume of a set.
std::string fncTitleOfBook(cNCCReader& reader) {
  const cFileData* ncc = fncNccDocument(reader);
  std::string title;
  if (ncc) {
    if (auto t = pages::fncMetaContent(*ncc, "dc:title")) {
      title = *t;
    } else if (auto t2 = pages::fncMetaContent(*ncc, "ncc:title")) {
      title = *t2;
    } else {
      for (int32_t n = 1; n <= ncc->lNumElementData(); ++n) {
        const cElementData* record = ncc->pElementData(n);
        if (record && record->bolStartTag && fncEqualsIgnoringCase(record->sElementName(), "a")) {
          title = std::string(fncTextAfter(*ncc, n));
          std::erase(title, '&');
          break;
        }
      }
    }
  }
  reader.fncReplaceEnteties(title);
  title = fncNormaliseWhiteSpace(pages::fncUnescapeMarkup(title));
  const cDTBData& set = reader.clsDTBData();
  if (set.bolMultivolume)
    title += " (" + std::to_string(set.lDiscNumber) + "/" + std::to_string(set.lNumberOfDiscs) + ")";
  return title;
}

bool fncbSameFolder(std::string_view a, std::string_view b) {
  while (a.size() > 1 && a.back() == '/') a.remove_suffix(1);
  while (b.size() > 1 && b.back() == '/') b.remove_suffix(1);
  return fncEqualsIgnoringCase(a, b);
}

// "book<n>" (any case) -> n.
std::optional<int32_t> fncBookNumberOf(std::string_view id) {
  if (id.size() < 5 || !fncEqualsIgnoringCase(id.substr(0, 4), "book")) return std::nullopt;
  int32_t n = 0;
  for (const char c : id.substr(4)) {
    if (c < '0' || c > '9' || n > 100000000) return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace

namespace {
class cReadingModeOpener final : public iBookOpener {
 public:
  explicit cReadingModeOpener(cBookBrowser& reading) : mReading(reading) {}
  bool fncLoadBook(const std::string& folder, const std::string& nccFile) override {
    return mReading.fncLoadBook(folder, nccFile.empty() ? std::nullopt : std::optional(nccFile));
  }

 private:
  cBookBrowser& mReading;
};
}  // namespace

cBookshelfBrowser::cBookshelfBrowser(cModeServices& services, iMode& readingMode,
                                     iBookOpener& opener)
    : iMode(services), mReadingMode(readingMode), mOpener(opener) {}

cBookshelfBrowser::cBookshelfBrowser(cModeServices& services, cBookBrowser& readingMode)
    : iMode(services),
      mOwnedOpener(std::make_unique<cReadingModeOpener>(readingMode)),
      mReadingMode(readingMode),
      mOpener(*mOwnedOpener) {}

cBookshelfBrowser::~cBookshelfBrowser() {
  if (mListReader) {
    mListReader->subRemoveListener(mReaderEvents);
    mListReader->oOwner = nullptr;
  }
}

std::string cBookshelfBrowser::fncClassCaption() { return mServices.prompts.Text("cap_bookshelf"); }

bool cBookshelfBrowser::fncbIsCurrentMode() const {
  return mServices.app.currentModeNumber == eModeNumber::Bookshelf;
}

void cBookshelfBrowser::subReportError(int32_t ilError, std::optional<std::string> isLocation) {
  iMode::subReportError(ilError, std::move(isLocation));
  if (mListReader && fncbIsCurrentMode()) mServices.window.clsNccReader_evError(*mListReader);
}

// --- the records --------------------------------------------------------------------------------

std::string cBookshelfBrowser::fncEntryKey(const std::string& folder, const std::string& title) {
  return fncFoldCase(fncWithTrailingSeparator(folder)) + '\n' + fncFoldCase(title);
}

void cBookshelfBrowser::subAddEntry(BookshelfEntry entry) {
  if (entry.sFolder.empty()) return;
  entry.sFolder = fncWithTrailingSeparator(std::move(entry.sFolder));
  if (!mKnown.insert(fncEntryKey(entry.sFolder, entry.sTitle)).second) return;
  mEntries.push_back(std::move(entry));
}

bool cBookshelfBrowser::fncbAddBookFromFolder(const std::string& isFolder) {
  const std::string folder = fncWithTrailingSeparator(isFolder);
  const auto nccFile = fncNccFileIn(folder);
  if (!nccFile) return false;
  cNCCReader reader(mServices.app.queue());
  // The reading mode could not open a book whose NCC or first clip fails: such a book is not listed.
  if (!reader.fncbLoadBook(folder, *nccFile)) return false;
  BookshelfEntry entry;
  entry.sFolder = folder;
  entry.sTitle = fncTitleOfBook(reader);
  if (const auto clip = pages::fncFirstAudioOfPoint(reader, 1)) {
    entry.sTitleAudioFile = clip->sPath.starts_with(folder) ? clip->sPath.substr(folder.size())
                                                             : clip->sPath;
    entry.dClipBegin = clip->dBegin;
    entry.dClipEnd = clip->dEnd < 0 ? clip->dBegin : clip->dEnd;
  }
  subAddEntry(std::move(entry));
  return true;
}

// --- finding books --------------------------------------------------------------------------------

void cBookshelfBrowser::subQuickDiscovery() {
  const std::vector<std::string> drives = mServices.disk.fncScanDrives(true, false);
  for (const std::string& drive : drives) fncbAddBookFromFolder(fncWithTrailingSeparator(drive));

  std::string last = mServices.app.sLastBookRead;
  if (last.empty()) last = fncLoadLastBookRead(mServices.app.registry());
  if (!last.empty()) fncbAddBookFromFolder(last);

  for (const std::string& drive : drives) {
    const std::string root = fncWithTrailingSeparator(drive);
    auto info = fncExistingFile(std::filesystem::path(root) / "discinfo.html");
    if (!info) info = fncExistingFile(std::filesystem::path(root) / "discinfo.htm");
    if (!info) continue;
    const auto doc = fncLoadDocument(root, info->filename().string());
    if (!doc) continue;
    for (int32_t n = 1; n <= doc->lNumElementData(); ++n) {
      const cElementData* record = doc->pElementData(n);
      if (!record || !record->bolStartTag || !fncEqualsIgnoringCase(record->sElementName(), "a"))
        continue;
      const std::string href = fncDecodePercentEscapes(record->fncAttrContentWOQ("href"));
      std::string d, folder, file, fragment;
      if (href.empty() ||
          !mServices.disk.fncSplitPath(href, d, folder, file, fragment, info->string()))
        continue;
      fncbAddBookFromFolder(folder);
    }
  }
}

void cBookshelfBrowser::subReadSavedList() {
  const std::string data = mServices.disk.gsUserDataPath;
  if (!fncExistingFile(std::filesystem::path(data) / kListFile)) return;
  const auto content = fncLoadDocument(data, kContentFile);
  const auto smil = fncLoadDocument(data, kSmilFile);
  if (!content) return;

  struct TitleClip {
    std::string sSrc;
    std::string sBegin;
    std::string sEnd;
  };
  std::unordered_map<std::string, TitleClip> clips;  // by folded par id
  if (smil) {
    std::string par;
    for (int32_t n = 1; n <= smil->lNumElementData(); ++n) {
      const cElementData* record = smil->pElementData(n);
      if (!record || !record->bolStartTag) continue;
      if (fncEqualsIgnoringCase(record->sElementName(), "par")) {
        par = fncFoldCase(record->fncAttrContentWOQ("id"));
      } else if (fncEqualsIgnoringCase(record->sElementName(), "audio") && !par.empty()) {
        const std::string_view id = record->fncAttrContentWOQ("id");
        if (id.size() >= 9 && fncEqualsIgnoringCase(id.substr(0, 9), "booktitle"))
          clips.try_emplace(par, TitleClip{std::string(record->fncAttrContentWOQ("src")),
                                           std::string(record->fncAttrContentWOQ("clip-begin")),
                                           std::string(record->fncAttrContentWOQ("clip-end"))});
      }
    }
  }

  for (int32_t n = 1; n <= content->lNumElementData(); ++n) {
    const cElementData* h1 = content->pElementData(n);
    if (!h1 || !h1->bolStartTag || !fncEqualsIgnoringCase(h1->sElementName(), "h1")) continue;
    const cElementData* a = content->pElementData(n + 1);
    if (!a || !a->bolStartTag || !fncEqualsIgnoringCase(a->sElementName(), "a")) continue;
    BookshelfEntry entry;
    entry.sFolder = pages::fncDecodeFolderLink(a->fncAttrContentWOQ("href"));
    if (entry.sFolder.empty() || entry.sFolder.front() != '/') continue;
    entry.sFolder = fncWithTrailingSeparator(std::move(entry.sFolder));
    entry.sTitle = pages::fncUnescapeMarkup(fncTextAfter(*content, n + 1));
    if (const auto it = clips.find(fncFoldCase(h1->fncAttrContentWOQ("id"))); it != clips.end()) {
      const std::string path = pages::fncAudioPathOfSrc(it->second.sSrc);
      entry.sTitleAudioFile =
          path.starts_with(entry.sFolder) ? path.substr(entry.sFolder.size()) : path;
      std::string begin = it->second.sBegin, end = it->second.sEnd;
      entry.dClipBegin = fncParseClockValue(begin);
      entry.dClipEnd = fncParseClockValue(end);
    }
    subAddEntry(std::move(entry));
  }
}

void cBookshelfBrowser::subPrune() {
  std::vector<BookshelfEntry> kept(1);
  mKnown.clear();
  for (size_t n = 1; n < mEntries.size(); ++n) {
    if (!fncNccFileIn(mEntries[n].sFolder)) continue;
    mKnown.insert(fncEntryKey(mEntries[n].sFolder, mEntries[n].sTitle));
    kept.push_back(std::move(mEntries[n]));
  }
  mEntries = std::move(kept);
}

// --- the three files ------------------------------------------------------------------------------

bool cBookshelfBrowser::fncbWriteList() const {
  const std::string data = mServices.disk.gsUserDataPath;
  const std::string program = mServices.app.programFolder();
  const cPromptHandler& prompts = mServices.prompts;

  const auto promptAudio = [&](std::string_view key, const std::string& id) -> std::string {
    const auto entry = prompts.fncRequestEntry(key);
    const auto* file = std::get_if<std::string>(&entry[0]);
    const auto* begin = std::get_if<double>(&entry[1]);
    const auto* end = std::get_if<double>(&entry[2]);
    if (!file || !begin || !end) return {};
    return pages::fncAudioElement(program + *file, *begin, *end, id);
  };

  std::string html = pages::fncHtmlHead();
  std::string smil = pages::fncSmilHead();
  std::string content = pages::fncHtmlHead();
  for (size_t n = 1; n < mEntries.size(); ++n) {
    const BookshelfEntry& e = mEntries[n];
    const std::string number = std::to_string(n);
    const std::string title = pages::fncEscapeMarkup(e.sTitle);
    html += "    <h1 class=\"BookshelfItem\" id=\"book" + number + "\"><a href=\"" + kSmilFile +
            "#book" + number + "\">" + title + "</a></h1>\r\n";
    content += "    <h1 class=\"BookshelfItem\" id=\"book" + number + "\"><a href=\"" +
               pages::fncEncodeFolderLink(e.sFolder) + "\">" + title + "</a></h1>\r\n";
    smil += "      <par endsync=\"last\" id=\"book" + number + "\">\r\n";
    smil += "        <text src=\"" + std::string(kContentFile) + "#book" + number + "\" id=\"text" +
            number + "\"/>\r\n";
    smil += "        <seq>\r\n";
    if (prompts.IsAudio) {
      smil += promptAudio("bok_booknumber", "tp1");
      const std::vector<std::string> keys = prompts.fncConvertToID({static_cast<int32_t>(n)});
      for (size_t k = 0; k < keys.size(); ++k) smil += promptAudio(keys[k], "tp" + std::to_string(k + 2));
    }
    if (!e.sTitleAudioFile.empty()) {
      const std::string path =
          e.sTitleAudioFile.front() == '/' ? e.sTitleAudioFile : e.sFolder + e.sTitleAudioFile;
      smil += pages::fncAudioElement(path, e.dClipBegin, e.dClipEnd, "booktitle" + number);
    }
    smil += "        </seq>\r\n      </par>\r\n";
  }
  html += pages::fncHtmlTail();
  smil += pages::fncSmilTail();
  content += pages::fncHtmlTail();

  // A file that holds the text already is left alone: showing an unchanged list costs no write
  // to the disk. booklist.html comes last: its presence makes the list be read back.
  const std::filesystem::path folder(data);
  const auto write = [&](const char* name, const std::string& text) {
    std::string old;
    if (fncReadWholeFile(folder / name, old) && old == text) return true;
    return fncWriteFileAtomically(folder / name, text);
  };
  return write(kSmilFile, smil) && write(kContentFile, content) && write(kListFile, html);
}

// --- showing and playing the list -------------------------------------------------------------------

void cBookshelfBrowser::subNewListReader() {
  if (mListReader) {
    mListReader->subRemoveListener(mReaderEvents);
    mListReader->oOwner = nullptr;
  }
  mListReader = std::make_unique<cNCCReader>(mServices.app.queue());
  mListReader->ctlDXM(&mServices.bookPlayer);
  mListReader->oOwner = this;
  mListReader->subAddListener(mReaderEvents);
  mListReader->bolStopAt = true;
  mListReader->bolContinous = false;
}

int32_t cBookshelfBrowser::fncEntryOfOpenBook() const {
  cNCCReader* book = mReadingMode.clsNccReader();
  if (!mReadingMode.fncbBookLoaded() || !book) return 1;
  const std::string folder = book->clsDTBData().sWorkPath;
  const std::string title = fncTitleOfBook(*book);
  for (size_t n = 1; n < mEntries.size(); ++n)
    if (fncbSameFolder(mEntries[n].sFolder, folder) &&
        fncEqualsIgnoringCase(mEntries[n].sTitle, title))
      return static_cast<int32_t>(n);
  return 1;
}

void cBookshelfBrowser::subPlayEntry(int32_t entry) {
  if (!mListReader) return;
  if (!mListReader->ctlDXM()) mListReader->ctlDXM(&mServices.bookPlayer);
  mListReader->fncbPlayTocItem(entry);
  sPhraseCount = std::to_string(entry) + "/" + std::to_string(lBookCount());
}

void cBookshelfBrowser::subShowList() {
  cMessageQueue& queue = mServices.app.queue();
  if (lBookCount() < 1) {
    // An empty list is written too, so that a deleted book does not come back from the files.
    fncbWriteList();
    sPhraseCount = "0";
    mServices.prompts.subAddAudioPrompts(10, true, false, true,
                                         {"bok_nobooksinlist", "bok_insertdisc", "gen_f1forhelp"});
    return;
  }
  // The list loads when its points were built; a title clip that does not play is reported when
  // it is reached and leaves the rest of the list usable.
  const std::string data = mServices.disk.gsUserDataPath;
  if (!fncbWriteList() ||
      (!mListReader->fncbLoadBook(data, kListFile) && mListReader->lNumberOfTocItems() < 1)) {
    queue.subAddMessage("WAITINGFORBOOKS");
    return;
  }
  const int32_t current = fncEntryOfOpenBook();
  sPhraseCount = std::to_string(current) + "/" + std::to_string(lBookCount());
  mServices.window.subRefreshWB();
  mServices.window.subDoNavigate(data + kContentFile + "#book" + std::to_string(current));
  queue.subAddMessage("UPDATEINTERFACE");
  queue.subAddMessage("APPLYSTYLE");
  mServices.prompts.subAddAudioPrompts(10, true, false, true, {"bok_booksinlist", lBookCount()});
  subPlayEntry(current);  // arms the entry and posts "START"
}

void cBookshelfBrowser::subRebuildAndShow() {
  subNewListReader();
  subShowList();
}

void cBookshelfBrowser::subShowBookList() {
  if (mbSearching) return;
  if (!mlSavedSpeed) mlSavedSpeed = mServices.speed.Speed();
  mServices.speed.subSetSpeed(5);
  mServices.prompts.subAddAudioPrompts(10, true, false, true, {"cap_bookshelf", "GEN_ESCTORETURN"});
  subNewListReader();
  msBookNumberText = mServices.prompts.Text("bok_booknumber");
  mEntries.resize(1);
  mKnown.clear();
  sPhraseCount = "0";
  subQuickDiscovery();
  subReadSavedList();
  subPrune();
  subShowList();
}

void cBookshelfBrowser::subDrivesChanged() {
  if (mbSearching) return;
  mServices.app.queue().subAddMessage("STOP");
  subPauseBookPlayer(mServices.bookPlayer);
  mServices.prompts.subclearQue();
  mServices.prompts.subAddAudioPrompts(10, true, false, true, {"cap_bookshelf", "GEN_ESCTORETURN"});
  subNewListReader();
  sPhraseCount = "0";
  subQuickDiscovery();
  subPrune();
  subShowList();
}

void cBookshelfBrowser::subBrowseUnit(int32_t ilDirection, int32_t ilCount) {
  const int32_t count = lBookCount();
  if (!mListReader || count < 1 || mListReader->lNumberOfTocItems() < 1) {
    subIndicator();
    return;
  }
  const int32_t target = mListReader->lCurrentTocItem + (ilDirection < 0 ? -1 : 1) * std::max(ilCount, 1);
  if (target < 1 || target > mListReader->lNumberOfTocItems()) {
    subIndicator();
    return;
  }
  mServices.app.queue().subAddMessage("STOP");
  subPauseBookPlayer(mServices.bookPlayer);
  subPlayEntry(target);
  mServices.app.queue().subAddMessage("UPDATEINTERFACE");
}

void cBookshelfBrowser::subControlTimer() {
  if (mListReader && mListReader->lNumberOfTocItems() >= 1) {
    mlWaitingTicks = 0;
    return;
  }
  if (++mlWaitingTicks >= 6) {
    mServices.app.queue().subAddMessage("WAITINGFORBOOKS");
    mlWaitingTicks = 0;
  }
}

void cBookshelfBrowser::subPlay() {
  if (!mListReader || mListReader->lNumberOfTocItems() < 1) return;
  if (!mListReader->ctlDXM()) {
    mListReader->ctlDXM(&mServices.bookPlayer);
    mListReader->fncPlayCurrent();  // arms the clip again and posts "START"
    return;
  }
  if (mServices.bookPlayer.mlCurrentAudioState != 1) mServices.bookPlayer.fncbPlay();
}

void cBookshelfBrowser::subStartStop() {
  if (!mListReader || lBookCount() < 1 || mListReader->lNumberOfTocItems() < 1) {
    subIndicator();
    return;
  }
  mServices.prompts.subclearQue();
  if (mServices.bookPlayer.mlCurrentAudioState == 1 && mListReader->ctlDXM())
    mServices.app.queue().subAddMessage("STOP");
  else
    subPlayEntry(std::max(mListReader->lCurrentTocItem, 1));
}

void cBookshelfBrowser::subSearch() {
  if (!mListReader || lBookCount() < 1 || mListReader->lNumberOfTocItems() < 1) {
    subIndicator();
    return;
  }
  subPauseBookPlayer(mServices.bookPlayer);
  sSearchString.clear();
  const int32_t found = mServices.dialogs.fncShowSearch(*this);
  if (found >= 1 && found <= mListReader->lNumberOfTocItems()) {
    subPlayEntry(found);
    mServices.window.subDoNavigate(mServices.disk.gsUserDataPath + kContentFile + "#book" +
                                   std::to_string(found));
    mServices.app.queue().subAddMessage("START");
  } else {
    subIndicator();
    mServices.prompts.subPlayNextPrompt();
  }
}

void cBookshelfBrowser::subRestoreSpeed() {
  if (!mlSavedSpeed) return;
  mServices.speed.subSetSpeed(*mlSavedSpeed);
  mlSavedSpeed.reset();
}

void cBookshelfBrowser::subPrepareForModeChange() {
  subRestoreSpeed();
  mServices.prompts.subclearQue();
  // The reading mode takes the book player back; the list must not hear its clips end.
  if (mListReader) mListReader->ctlDXM(nullptr);
}

void cBookshelfBrowser::subEscape() {
  if (mbSearching) {
    if (mSearch) mSearch->subAbortSearch();
    return;
  }
  subPauseBookPlayer(mServices.bookPlayer);
  mServices.app.queue().subAddMessage("READ");
}

// --- choosing, deleting, adding -------------------------------------------------------------------

std::optional<int32_t> cBookshelfBrowser::fncEntryOfLink(const std::string& isHref,
                                                         const std::string& isParentId) const {
  std::string drive, folder, file, fragment;
  // A link of the list's own pages ("booklist.smil#book2", also relative) names its entry.
  if (mServices.disk.fncSplitPath(isHref, drive, folder, file, fragment) &&
      (folder.empty() || fncbSameFolder(folder, mServices.disk.gsUserDataPath)) &&
      (fncEqualsIgnoringCase(file, kListFile) || fncEqualsIgnoringCase(file, kSmilFile) ||
       fncEqualsIgnoringCase(file, kContentFile))) {
    if (const auto n = fncBookNumberOf(fragment); n && *n >= 1 && *n <= lBookCount()) return n;
  }
  // The view hands the link with its escapes decoded, as UTF-8 (bytes that were no UTF-8 come
  // as Latin-1 characters), so a folder matches either as written or in that form.
  const auto names = [&](int32_t n) {
    const std::string& real = mEntries[static_cast<size_t>(n)].sFolder;
    return fncbSameFolder(isHref, real) ||
           fncbSameFolder(isHref, fncDecodePercentEscapes(pages::fncEncodeFolderLink(real)));
  };
  if (const auto n = fncBookNumberOf(isParentId); n && *n >= 1 && *n <= lBookCount() && names(*n))
    return n;
  for (int32_t n = 1; n <= lBookCount(); ++n)
    if (names(n)) return n;
  return std::nullopt;
}

void cBookshelfBrowser::subClickedOn(const std::string& isHref, const std::string& isParentId) {
  std::string drive, folder, file, fragment;
  if (!mServices.disk.fncSplitPath(isHref, drive, folder, file, fragment)) return;  // web links
  // The link arrives decoded once; the entry's own folder is taken whenever the link names one.
  if (const auto entry = fncEntryOfLink(isHref, isParentId))
    folder = mEntries[static_cast<size_t>(*entry)].sFolder;
  subPauseBookPlayer(mServices.bookPlayer);
  if (!mOpener.fncLoadBook(folder)) {
    mServices.prompts.subAddAudioPrompts(10, false, false, false, {"err_nccerr"});
    mServices.app.queue().subAddMessage("START");
    return;
  }
  mServices.prompts.subclearQue();
  subPrepareForModeChange();
  if (mListReader) mListReader->oOwner = nullptr;
  mServices.app.currentModeNumber = eModeNumber::Reading;
  mServices.app.queue().subclearQue();
  mServices.app.queue().subAddMessage("READ");
  mServices.app.queue().subAddMessage("NEWBOOKFROMBOOKSHELF");
}

void cBookshelfBrowser::subDelete() {
  mServices.prompts.subclearQue();
  if (!mListReader || lBookCount() < 1) {
    subIndicator();
    return;
  }
  const cPromptHandler& p = mServices.prompts;
  const std::string caption = p.Text("gen_delete") + " " + p.Text("bok_booknumber");
  const std::string text = caption + "?\n" + p.Text("gen_entertoconfirm");
  if (!mServices.dialogs.fncShowDialog(caption, text,
                                       {"gen_delete", "bok_booknumber", "gen_entertoconfirm"}))
    return;
  const int32_t current = std::clamp(mListReader->lCurrentTocItem, 1, lBookCount());
  const BookshelfEntry& gone = mEntries[static_cast<size_t>(current)];
  mKnown.erase(fncEntryKey(gone.sFolder, gone.sTitle));
  mEntries.erase(mEntries.begin() + current);
  subRebuildAndShow();
}

void cBookshelfBrowser::subInsert() {
  mServices.prompts.subclearQue();
  const std::string text = mServices.prompts.Text("bok_commondialog");
  if (!mServices.dialogs.fncShowDialog(text, text, {"bok_commondialog"})) return;
  const auto chosen = mServices.dialogs.fncShowFileOpen();
  if (!chosen || chosen->empty()) return;
  const std::string folder = std::filesystem::path(*chosen).parent_path().string();
  if (!fncbAddBookFromFolder(folder)) {
    mServices.prompts.subAddAudioPrompts(10, false, false, false, {"err_nccerr"});
    mServices.app.queue().subAddMessage("START");  // the list plays on
    return;
  }
  subRebuildAndShow();
}

// --- searching all drives ---------------------------------------------------------------------------

void cBookshelfBrowser::subExtendedSearch() {
  if (mbSearching) return;  // a key handled during the search must not start another
  mbSearching = true;
  mServices.prompts.subAddAudioPrompts(10, true, false, true,
                                       {"cap_bookshelf", "bok_searching4books", "gen_esctoabort"});
  subPauseBookPlayer(mServices.bookPlayer);
  if (mListReader) mListReader->ctlDXM(nullptr);
  mServices.window.subDoNavigate("about:blank");
  const std::string caption = std::string(kProgramVersion) + "  ---  " + fncClassCaption();
  msSearchCaption = caption;

  mSearch = std::make_unique<cFindFile>();
  mSearch->oSearchOwner = this;
  // The search leaves out network drives; the timer's drive list must not see that as a change.
  const std::vector<std::string> lastDrives = mServices.disk.gsLastDrives;
  const std::vector<std::string> changedDrives = mServices.disk.gsChangedDrives;
  const std::vector<std::string> drives = mServices.disk.fncScanDrives(false, false);
  mServices.disk.gsLastDrives = lastDrives;
  mServices.disk.gsChangedDrives = changedDrives;
  for (const std::string& drive : drives) {
    if (mSearch->mbAbort) break;
    mSearch->sDriveRoot = drive;
    const std::vector<std::string> found = mSearch->fncavntFindNccs(drive);
    for (size_t n = 1; n < found.size(); ++n)
      fncbAddBookFromFolder(std::filesystem::path(found[n]).parent_path().string());
  }
  mSearch.reset();
  mbSearching = false;
  mServices.window.subSetCaption(caption);
  subRebuildAndShow();
}

void cBookshelfBrowser::subSearchingPath(const std::string& folder) {
  (void)folder;
  if (msSearchCaption.size() < kCaptionLimit) {
    msSearchCaption += '.';
  } else {
    msSearchCaption = std::string(kProgramVersion) + "  ---  " +
                      mServices.prompts.Text("cap_bookshelf") + ": " +
                      mServices.prompts.Text("bok_searching4books");
  }
  mServices.window.subSetCaption(msSearchCaption);
  mServices.prompts.subAddAudioPrompts(5, false, false, true, {"sfx_waitingforbooks"});
  mServices.prompts.subPlayNextPrompt();
  mServices.window.subDoEvents();
}

void cBookshelfBrowser::subIncomingBook(const std::string& nccPath) {
  (void)nccPath;
  mServices.prompts.subAddAudioPrompts(10, true, true, true, {"sfx_newtitlefound"});
}

// --- the list reader's events ---------------------------------------------------------------------

void cBookshelfBrowser::clsNccReader_evError() {
  if (!mListReader) return;
  subReportError(mListReader->lErrorNumber, mListReader->sErrorLocation);
}

void cBookshelfBrowser::clsNCCReader_evAutomaticMovement() {
  if (!mListReader) return;
  // The reader stops after every clip; the clips of one entry (its number, then its title) play
  // on, and the list stops when the entry has been spoken.
  cSmilPlayer& player = mListReader->clsSmilPlayer();
  cSmilPlayer probe;
  player.subCopyMeTo(probe);
  const cElementContainer* par = player.clsCurrentPar;
  cElementData* next = probe.fncRetrieveNextMedia();
  while (next && !fncEqualsIgnoringCase(next->sElementName(), "audio") && probe.clsCurrentPar == par)
    next = probe.fncRetrieveNextMedia();
  if (next && par && probe.clsCurrentPar == par) mListReader->fncNavigate(1, 1, {"audio"});

  sPhraseCount = std::to_string(std::max(mListReader->lCurrentTocItem, 1)) + "/" +
                 std::to_string(lBookCount());
  if (fncbIsCurrentMode()) mServices.window.clsNCCReader_evAutomaticMovement(*mListReader);
}

void cBookshelfBrowser::clsNccReader_evNewPar() {
  if (mListReader && fncbIsCurrentMode()) mServices.window.clsNccReader_evNewPar(*mListReader);
}

void cBookshelfBrowser::clsNccReader_evNewMedia(const cElementData& iclsElement) {
  if (mListReader && fncbIsCurrentMode())
    mServices.window.clsNccReader_evNewMedia(*mListReader, iclsElement);
}

void cBookshelfBrowser::clsNccReader_evTocPositionChanged(int32_t ilPosition) {
  if (mListReader && fncbIsCurrentMode())
    mServices.window.clsNccReader_evTocPositionChanged(*mListReader, ilPosition);
}

}  // namespace lyn
