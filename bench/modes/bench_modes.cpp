// The bookshelf with many known books.
//
// BM_ShowBookList: a bookshelf made anew (as after a start of the program) shows a saved list of
// LYN_BENCH_BOOKS books (default 1000): the drives are scanned, the saved list is read back, every
// book's folder is checked, the three files are written again and the list reader loads them and
// arms the first entry ("START" posted). No book's NCC is loaded. The target is 200 ms.
//
// The books, a prompt set and the saved list are made once in LYN_BENCH_WORK_DIR/shelf-<n>.
//
// BM_ExtendedSearch searches a drive of 1,110 folders holding 10 books and shows what it found,
// with the book's NCCs loaded and the finds announced; BM_FindNccs is the bare book search of the
// same drive, for comparison.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cPhraseAudioHandler.h"
#include "audio/cVariControl.h"
#include "disk/cFindFile.h"
#include "disk/mdlDiskModule.h"
#include "modes/cBookBrowser.h"
#include "modes/cBookshelfBrowser.h"
#include "modes/iDialogs.h"
#include "modes/iMainWindow.h"
#include "platform/audio/AudioSinks.h"
#include "platform/audio/cVirtualClock.h"
#include "platform/storage/cAtomicFile.h"
#include "prompts/PromptFileHeader.h"
#include "prompts/cPromptHandler.h"
#include "shell/cApplicationState.h"

namespace {

using namespace lyn;
namespace fs = std::filesystem;

int fncBookCount() {
  const char* text = std::getenv("LYN_BENCH_BOOKS");
  const int n = text && *text ? std::atoi(text) : 1000;
  return n > 0 ? n : 1000;
}

void subWrite(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

void subWriteWav(const fs::path& path, double seconds) {
  const uint32_t rate = 8000;
  const auto frames = static_cast<uint32_t>(seconds * rate);
  std::string data(frames * 2, '\0');
  for (uint32_t i = 0; i < frames; ++i) {
    const auto s = static_cast<int16_t>(8000 * std::sin(i * 0.3));
    data[2 * i] = static_cast<char>(s & 0xFF);
    data[2 * i + 1] = static_cast<char>((s >> 8) & 0xFF);
  }
  const auto u32 = [](uint32_t v) {
    return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
  };
  const auto u16 = [](uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; };
  subWrite(path, "RIFF" + u32(36 + uint32_t(data.size())) + "WAVEfmt " + u32(16) + u16(1) + u16(1) +
                     u32(rate) + u32(rate * 2) + u16(2) + u16(16) + "data" + u32(uint32_t(data.size())) +
                     data);
}

void subWriteBook(const fs::path& folder, int n) {
  const std::string title = "Book number " + std::to_string(n) + " &amp; friends";
  subWrite(folder / "ncc.html",
           "<html><head><meta name=\"dc:format\" content=\"Daisy 2.02\"/>"
           "<meta name=\"dc:title\" content=\"" + title + "\"/></head><body>"
           "<h1 id=\"h1\"><a href=\"a.smil#p1\">" + title + "</a></h1></body></html>\n");
  subWrite(folder / "a.smil",
           "<smil><body><seq><par endsync=\"last\" id=\"p1\"><text src=\"t.html#x\"/>"
           "<audio src=\"a.wav\" clip-begin=\"npt=0.000s\" clip-end=\"npt=0.500s\"/></par></seq></body></smil>\n");
  subWriteWav(folder / "a.wav", 0.5);
}

class cNullWindow final : public iMainWindow {
 public:
  void subDoNavigate(const std::string&) override {}
  void fncUpdateUserInterface() override {}
  void subApplyStyleSheetToCurrentDocument() override {}
  void subAfterEventHandler() override {}
  void subSetFocusInHTMLDocument(std::optional<std::string>) override {}
  void subSetCaption(const std::string&) override {}
  void subRefreshWB() override {}
  void subUpdateWB() override {}
  void subQuitWB() override {}
  void subRefresh() override {}
  void subSetBookmarkLabel(std::optional<int32_t>) override {}
  void subSetViewChecks(bool) override {}
  void subSetEnabled(eSwitchable, bool) override {}
  bool fncbEnabled(eSwitchable) const override { return true; }
  void subShowStartPicture(bool) override {}
  bool fncbStartPictureShown() const override { return true; }
  void subFocusView() override {}
  bool fncbMinimised() const override { return false; }
  void subRestore() override {}
  void clsNccReader_evNewMedia(cNCCReader&, const cElementData&) override {}
  void clsNccReader_evNewPar(cNCCReader&) override {}
  void clsNccReader_evTocPositionChanged(cNCCReader&, int32_t) override {}
  void clsNCCReader_evAutomaticMovement(cNCCReader&) override {}
  void clsNccReader_evError(cNCCReader&) override {}
};

class cNullDialogs final : public iDialogs {
 public:
  int32_t fncShowSearch(iMode&) override { return kNothing; }
  int32_t fncShowGotoPage(iMode&) override { return kNothing; }
  bool fncShowDialog(const std::string&, const std::string&, const std::vector<std::string>&) override {
    return false;
  }
  void subShowAbout() override {}
  std::optional<std::string> fncShowFileOpen() override { return std::nullopt; }
};

// The books live below an ordinary folder: the drive list of the machine is not looked at.
class cNoDrives final : public iDrives {
 public:
  bool fncbUpdate() override { return false; }
  const std::vector<cDrive>& fncDrives() const override { return mDrives; }
  std::string fncDriveOfPath(std::string_view) const override { return "/"; }
  std::optional<uint64_t> fncFreeSpace(const std::string&) const override { return std::nullopt; }
  void subAdd(const std::string& mountPoint) {
    cDrive d;
    d.sMountPoint = mountPoint;
    d.enDriveType = eDriveType::Fixed;
    d.bolIsReady = true;
    mDrives.push_back(d);
  }

 private:
  std::vector<cDrive> mDrives;
};

struct cProgram {
  explicit cProgram(const fs::path& work)
      : program(work / "program"),
        app(std::make_unique<cRegistry>(), program.string()),
        bookPlayer(std::make_unique<cPhraseAudioHandler>(
            eAudioRole::Book, fncMakeAudioSink({AudioChoice::eKind::Null, {}}, "", &clock))),
        promptPlayer(std::make_unique<cPhraseAudioHandler>(
            eAudioRole::Prompt, fncMakeAudioSink({AudioChoice::eKind::Null, {}}, "", &clock))),
        prompts(app.queue(), program.string(), (work / "data").string()),
        speed(app.registry()),
        disk(app.registry(), drives),
        services{app, prompts, bookPlayer, speed, disk, window, dialogs},
        reading(services) {
    prompts.subSetPlayers(&promptPlayer, &bookPlayer);
    prompts.fncbLoadPromptFile("prompts.bin");
    disk.gsUserDataPath = (work / "data").string() + "/";
    app.currentModeNumber = eModeNumber::Bookshelf;
  }

  fs::path program;
  cVirtualClock clock;
  cApplicationState app;
  cAudioPlaybackSystem bookPlayer, promptPlayer;
  cPromptHandler prompts;
  cVariControl speed;
  cNoDrives drives;
  mdlDiskModule disk;
  cNullWindow window;
  cNullDialogs dialogs;
  cModeServices services;
  cBookBrowser reading;
};

fs::path fncPrepare(int books) {
  const fs::path work = fs::path(LYN_BENCH_WORK_DIR) / ("shelf-" + std::to_string(books));
  if (fs::exists(work / "data" / "booklist.html")) return work;
  PromptFileHeader h;
  h.sAudioFile = "prompts.wav";
  h.sLanguage = "English";
  h.sFormatVersion = "1.1";
  h.sVersion = "1.3";
  h.sSecondText = "none";
  double at = 0;
  for (const char* key : {"bok_booknumber", "bok_booksinlist", "cap_bookshelf", "gen_esctoreturn",
                          "dig_100", "dig_1000", "dig_10", "dig_20", "dig_30", "dig_40", "dig_50",
                          "dig_60", "dig_70", "dig_80", "dig_90"})
    h.entries.push_back({key, key, at, at + 0.4}), at += 0.5;
  for (int d = 0; d <= 9; ++d) h.entries.push_back({"uc_" + std::to_string(48 + d), "", at, at + 0.4}), at += 0.5;
  h.lLastEntry = int32_t(h.entries.size()) - 1;
  fs::create_directories(work / "program");
  fs::create_directories(work / "data");
  fncWriteFileAtomically(work / "program" / "prompts.bin", fncEncodePromptFile(h));
  subWriteWav(work / "program" / "prompts.wav", at + 1);
  cProgram p(work);
  cBookshelfBrowser shelf(p.services, p.reading);
  for (int n = 1; n <= books; ++n) {
    const fs::path folder = work / "books" / ("b" + std::to_string(n / 100)) / ("book " + std::to_string(n));
    subWriteBook(folder, n);
    shelf.fncbAddBookFromFolder(folder.string());
  }
  shelf.subRebuildAndShow();
  return work;
}

void BM_ShowBookList(benchmark::State& state) {
  const int books = fncBookCount();
  const fs::path work = fncPrepare(books);
  cProgram p(work);
  int32_t listed = 0;
  for (auto _ : state) {
    cBookshelfBrowser shelf(p.services, p.reading);
    shelf.subShowBookList();
    listed = shelf.lBookCount();
    state.PauseTiming();
    p.prompts.subclearQue();
    p.app.queue().subclearQue();
    state.ResumeTiming();
  }
  if (listed != books) state.SkipWithError("the saved list did not come back whole");
  state.counters["books"] = listed;
}
BENCHMARK(BM_ShowBookList)->Unit(benchmark::kMillisecond);

// Ten folders of ten folders of ten, each with two small files; a book in every hundredth.
fs::path fncPrepareTree() {
  const fs::path tree = fs::path(LYN_BENCH_WORK_DIR) / "tree";
  if (fs::exists(tree / "done")) return tree;
  int folder = 0;
  for (int a = 0; a < 10; ++a)
    for (int b = 0; b < 10; ++b)
      for (int c = 0; c < 10; ++c) {
        const fs::path here = tree / ("a" + std::to_string(a)) / ("b" + std::to_string(b)) / ("c" + std::to_string(c));
        subWrite(here / "notes.txt", "x");
        subWrite(here / "cover.jpg", "x");
        if (++folder % 100 == 0) subWriteBook(here, folder);
      }
  subWrite(tree / "done", "");
  return tree;
}

void BM_ExtendedSearch(benchmark::State& state) {
  const fs::path work = fncPrepare(fncBookCount());
  const fs::path tree = fncPrepareTree();
  cProgram p(work);
  p.drives.subAdd(tree.string());
  // A data folder of its own: the saved list of BM_ShowBookList stays as it is.
  p.disk.gsUserDataPath = (work / "search-data").string() + "/";
  fs::create_directories(work / "search-data");
  int32_t found = 0;
  for (auto _ : state) {
    cBookshelfBrowser shelf(p.services, p.reading);
    shelf.subExtendedSearch();
    found = shelf.lBookCount();
    state.PauseTiming();
    p.prompts.subclearQue();
    p.app.queue().subclearQue();
    state.ResumeTiming();
  }
  state.counters["books"] = found;
}
BENCHMARK(BM_ExtendedSearch)->Unit(benchmark::kMillisecond);

void BM_FindNccs(benchmark::State& state) {
  const fs::path tree = fncPrepareTree();
  size_t found = 0;
  for (auto _ : state) {
    cFindFile search;
    found = search.fncavntFindNccs(tree.string()).size() - 1;
  }
  state.counters["books"] = double(found);
}
BENCHMARK(BM_FindNccs)->Unit(benchmark::kMillisecond);

}  // namespace
