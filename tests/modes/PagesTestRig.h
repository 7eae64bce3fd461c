#pragma once
// The services a mode borrows, made for tests: a real prompt handler with a prompt file of its
// own, the book and prompt players on fake controls that run on test time, the speed control, the
// disk module on fake drives, and recording fakes of the main window and the dialogs. Books are
// written by the tests (NCC, SMIL, tone WAV files).

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "TempFolder.h"
#include "audio/cVariControl.h"
#include "disk/cFakeDrives.h"
#include "disk/mdlDiskModule.h"
#include "engine/cNCCReader.h"
#include "markup/cDTBData.h"
#include "modes/cModeServices.h"
#include "modes/iBookOpener.h"
#include "modes/iDialogs.h"
#include "modes/iMainWindow.h"
#include "modes/iMode.h"
#include "platform/storage/cAtomicFile.h"
#include "prompts/PromptFileHeader.h"
#include "prompts/cPromptHandler.h"
#include "shell/cApplicationState.h"

namespace lyn::testing {

// Records what the modes tell the window.
class cRecordingWindow final : public iMainWindow {
 public:
  void subDoNavigate(const std::string& isAddress) override { addresses.push_back(isAddress); }
  void fncUpdateUserInterface() override {}
  void subApplyStyleSheetToCurrentDocument() override {}
  void subAfterEventHandler() override {}
  void subSetFocusInHTMLDocument(std::optional<std::string>) override {}
  void subSetCaption(const std::string& isCaption) override { captions.push_back(isCaption); }
  void subRefreshWB() override {}
  void subUpdateWB() override {}
  void subQuitWB() override {}
  void subRefresh() override {}
  void subDoEvents() override {
    if (onEvents) onEvents();
  }
  void subSetBookmarkLabel(std::optional<int32_t>) override {}
  void subSetViewChecks(bool) override {}
  void subSetEnabled(eSwitchable, bool) override {}
  bool fncbEnabled(eSwitchable) const override { return true; }
  void subShowStartPicture(bool) override {}
  bool fncbStartPictureShown() const override { return true; }
  void subFocusView() override {}
  bool fncbMinimised() const override { return false; }
  void subRestore() override {}
  void clsNccReader_evNewMedia(cNCCReader&, const cElementData& e) override {
    media.push_back(std::string(e.sElementName()) + ":" + std::string(e.fncAttrContentWOQ("src")));
  }
  void clsNccReader_evNewPar(cNCCReader&) override {}
  void clsNccReader_evTocPositionChanged(cNCCReader&, int32_t n) override { positions.push_back(n); }
  void clsNCCReader_evAutomaticMovement(cNCCReader&) override {}
  void clsNccReader_evError(cNCCReader& reader) override {
    errors.push_back(std::to_string(reader.lErrorNumber) + " " + reader.sErrorLocation);
  }

  std::vector<std::string> addresses, captions, media, errors;
  std::vector<int32_t> positions;
  std::function<void()> onEvents;
};

// Answers the dialogs as the test says and records the yes/no questions.
class cRecordingDialogs final : public iDialogs {
 public:
  int32_t fncShowSearch(iMode&) override { return searchResult; }
  int32_t fncShowGotoPage(iMode&) override { return kNothing; }
  bool fncShowDialog(const std::string& isCaption, const std::string& isText,
                     const std::vector<std::string>& isPromptKeys) override {
    questions.push_back(isCaption + "|" + isText);
    spokenKeys = isPromptKeys;
    return answer;
  }
  void subShowAbout() override {}
  std::optional<std::string> fncShowFileOpen() override { return fileChosen; }

  int32_t searchResult = kNothing;
  bool answer = true;
  std::optional<std::string> fileChosen;
  std::vector<std::string> questions;
  std::vector<std::string> spokenKeys;
};

// Stands in for the reading mode: a book loaded into a reader of its own.
class cFakeReadingMode final : public iMode, public iBookOpener {
 public:
  explicit cFakeReadingMode(cModeServices& services) : iMode(services) {}
  int32_t fnclModeNumber() const override { return 1; }
  std::string fncClassCaption() override { return "reading"; }
  bool fncLoadBook(const std::string& folder, const std::string& nccFile) override {
    loads.push_back(folder);
    mServices.app.sLastBookRead = folder;
    mReader = std::make_unique<cNCCReader>(mServices.app.queue());
    mLoaded = mReader->fncbLoadBook(folder, nccFile.empty() ? "ncc.html" : nccFile);
    return mLoaded;
  }
  void subDrivesChanged() override {
    ++drivesChanged;
    mLoaded = false;
  }
  cNCCReader* clsNccReader() override { return mReader.get(); }
  bool fncbBookLoaded() const override { return mLoaded; }

  std::vector<std::string> loads;
  int drivesChanged = 0;

 private:
  std::unique_ptr<cNCCReader> mReader;
  bool mLoaded = false;
};

// One prompt entry per key the modes speak; each clip begins at a second of its own, so a clip
// written into a page tells its key.
inline std::vector<PromptEntry> fncModePromptEntries() {
  const std::vector<std::pair<std::string, std::string>> keys = {
      {"bok_booknumber", "Book number"}, {"cap_bookshelf", "Bookshelf"},
      {"gen_esctoreturn", "Escape to return"}, {"bok_booksinlist", "Books in list"},
      {"bok_nobooksinlist", "No books"}, {"bok_insertdisc", "Insert a disc"},
      {"gen_f1forhelp", "F1 for help"}, {"sfx_indicator3", ""}, {"sfx_indicator1", ""},
      {"err_nccerr", "Error in book"}, {"gen_delete", "Delete"},
      {"gen_entertoconfirm", "Press enter to confirm"}, {"bok_commondialog", "Open a book?"},
      {"bok_searching4books", "Searching for books"}, {"gen_esctoabort", "Escape to abort"},
      {"sfx_waitingforbooks", ""}, {"sfx_newtitlefound", ""}, {"cap_bookinfo", "Book information"},
      {"inf_bookinfo", "Book information"}, {"inf_currdisc", "Current disc"},
      {"inf_currchapter", "Current chapter"}, {"inf_currheading", "Current heading"},
      {"inf_currpage", "Current page"}, {"inf_numdiscs", "Number of discs"},
      {"inf_numchapters", "Number of chapters"}, {"inf_numpages", "Number of pages"},
      {"inf_numbookmarks", "Number of bookmarks"}, {"inf_playbacktime", "Playing time"},
      {"inf_hour", "hour"}, {"inf_hours", "hours"}, {"inf_minute", "minute"},
      {"inf_minutes", "minutes"}, {"about_version", "Version"}, {"cap_help", "Help"},
      {"err_nohelpfile", "No help file"}, {"err_nohelp", "No help"}, {"nav_phrase", "Phrase"},
      {"dig_10", "10"}, {"dig_11", "11"}, {"dig_12", "12"}, {"dig_20", "20"}, {"dig_30", "30"},
      {"dig_100", "hundred"}, {"dig_1000", "thousand"}};
  std::vector<PromptEntry> entries;
  double at = 1;
  for (const auto& [key, text] : keys) {
    entries.push_back({key, text, at, at + 0.5});
    at += 1;
  }
  for (int digit = 0; digit <= 9; ++digit) {
    entries.push_back({"uc_" + std::to_string(48 + digit), std::to_string(digit), at, at + 0.5});
    at += 1;
  }
  entries.push_back({"uc_46", ".", at, at + 0.5});
  return entries;
}

class cPagesTestRig {
 public:
  explicit cPagesTestRig(bool withPromptAudio = true)
      : promptAudio(std::make_shared<cFakeAudioControl::cState>()),
        bookAudio(std::make_shared<cFakeAudioControl::cState>()),
        promptPlayer(std::make_unique<cFakeAudioControl>(promptAudio)),
        bookPlayer(std::make_unique<cFakeAudioControl>(bookAudio)),
        app(std::make_unique<cRegistry>(), program.path().string()),
        prompts(app.queue(), program.path().string(), data.path().string()),
        speed(app.registry()),
        disk(app.registry(), drives),
        services{app, prompts, bookPlayer, speed, disk, window, dialogs},
        reading(services) {
    PromptFileHeader h;
    h.sAudioFile = "prompts.wav";
    h.sLanguage = "English";
    h.sFormatVersion = "1.1";
    h.sVersion = "1.3";
    h.sSecondText = "none";
    h.entries = fncModePromptEntries();
    h.lLastEntry = int32_t(h.entries.size()) - 1;
    fncWriteFileAtomically(program / "prompts.bin", fncEncodePromptFile(h));
    if (withPromptAudio) fncWriteToneWav(program / "prompts.wav", 80, 4000);
    prompts.subSetPlayers(&promptPlayer, &bookPlayer);
    prompts.fncbLoadPromptFile("prompts.bin");
    disk.gsUserDataPath = data.path().string() + "/";
    speed.subSetBookPlayer(&bookPlayer);
  }

  std::string programFolder() const { return program.path().string() + "/"; }
  std::string dataFolder() const { return data.path().string() + "/"; }

  // A fake drive mounted at `root` / name (made as a folder).
  std::string addDrive(const std::string& name, eDriveType type = eDriveType::Removable) {
    const std::string mount = (drivesRoot / name).string();
    std::filesystem::create_directories(mount);
    drives.add(mount, type);
    return mount;
  }

  // A book of `points` headings in `folder`, each point one par with a clip of `clip` seconds
  // of its own WAV; the title point's clip is the first.
  static void writeBook(const std::filesystem::path& folder, const std::string& titleMarkup,
                        int points = 3, double clip = 2.0, const std::string& extraHead = {}) {
    std::vector<NccPoint> nccPoints;
    std::vector<SmilPar> pars;
    for (int n = 1; n <= points; ++n) {
      nccPoints.push_back(NccPoint().href("a.smil#p" + std::to_string(n)).text("Point " + std::to_string(n)));
      pars.emplace_back("p" + std::to_string(n), "a.wav", fncNpt((n - 1) * clip), fncNpt(n * clip));
    }
    fncWriteText(folder / "ncc.html",
                 fncNcc(nccPoints, "<meta name=\"dc:format\" content=\"Daisy 2.02\" />\n"
                                   "<meta name=\"dc:title\" content=\"" + titleMarkup + "\" />\n" +
                                   extraHead));
    fncWriteText(folder / "a.smil", fncSmil(pars));
    fncWriteToneWav(folder / "a.wav", points * clip, 4000);
  }

  // Takes the posted messages as the dispatcher would, as far as the modes need it:
  // "PLAYNEXTPROMPT" advances the prompts, "START" plays the current mode. Keeps the names.
  void pump(iMode* current) {
    for (int round = 0; round < 100 && app.queue().hasNext(); ++round) {
      while (app.queue().hasNext()) {
        const auto m = app.queue().fncgetNextMessageQueueItem();
        posted.push_back(m->fncgetMessageName());
        if (m->fncgetMessageName() == "PLAYNEXTPROMPT") prompts.subPlayNextPrompt();
        else if (m->fncgetMessageName() == "START" && current) current->subPlay();
        else if (m->fncgetMessageName() == "STOP") bookPlayer.fncbPause();
      }
      app.queue().subclearQue();
    }
  }
  // Runs `ms` of test time in 10-ms steps.
  void run(iMode* current, int32_t ms) {
    for (int32_t t = 0; t < ms; t += 10) {
      pump(current);
      cFakeAudioControl::subAdvance(*promptAudio, 10);
      cFakeAudioControl::subAdvance(*bookAudio, 10);
      promptPlayer.subDoYourEvents();
      bookPlayer.subDoYourEvents();
    }
    pump(current);
  }
  size_t count(const std::string& name) const {
    return size_t(std::count(posted.begin(), posted.end(), name));
  }
  // The keys of every batch in the prompt queue, in order.
  std::vector<std::string> queuedKeys() const {
    std::vector<std::string> keys;
    for (int32_t b = 1; b <= prompts.fncQueueCount(); ++b)
      for (const std::string& id : prompts.fncBatch(b).ids) keys.push_back(id);
    return keys;
  }
  // The prompt key whose clip begins at `seconds` ("" when none does).
  std::string keyAt(double seconds) const {
    for (const PromptEntry& e : prompts.fncRecord().entries)
      if (std::abs(e.dClipBegin - seconds) < 1e-9) return e.sKey;
    return {};
  }
  double beginOf(const std::string& key) const {
    for (const PromptEntry& e : prompts.fncRecord().entries)
      if (e.sKey == key) return e.dClipBegin;
    return -1;
  }
  std::string readData(const std::string& name) const {
    std::string bytes;
    fncReadWholeFile(data / name, bytes);
    return bytes;
  }

  TempFolder program, data, drivesFolder;
  std::filesystem::path drivesRoot = drivesFolder.path();
  std::shared_ptr<cFakeAudioControl::cState> promptAudio, bookAudio;
  cAudioPlaybackSystem promptPlayer, bookPlayer;
  cApplicationState app;
  cPromptHandler prompts;
  cVariControl speed;
  lyn::test::cFakeDrives drives;
  mdlDiskModule disk;
  cRecordingWindow window;
  cRecordingDialogs dialogs;
  cModeServices services;
  cFakeReadingMode reading;
  std::vector<std::string> posted;
};

}  // namespace lyn::testing
