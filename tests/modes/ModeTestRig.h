#pragma once
// The reading mode in a program of its own: the real engine and players on null sinks and one
// virtual clock, a real prompt handler with a prompt file the rig writes, the speed tables, a
// disk module on fake drives, recording fakes of the main window and the dialogs, and a small
// dispatcher that does what the program's does with the messages the mode posts.
//
// Books are written by the tests (fncMakeBook): one tone WAV per SMIL file, every par one clip.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "audio/cAudioPlaybackSystem.h"
#include "audio/cPhraseAudioHandler.h"
#include "audio/cPlaybackSpeedLink.h"
#include "audio/cPositionCheckTimer.h"
#include "audio/cVariControl.h"
#include "disk/mdlDiskModule.h"
#include "engine/cNCCReader.h"
#include "markup/cFileData.h"
#include "modes/cBookBrowser.h"
#include "modes/iDialogs.h"
#include "modes/iMainWindow.h"
#include "platform/audio/cNullSink.h"
#include "platform/audio/cVirtualClock.h"
#include "platform/storage/cAtomicFile.h"
#include "prompts/PromptFileHeader.h"
#include "prompts/cPromptHandler.h"
#include "shell/cApplicationState.h"
#include "tests/disk/cFakeDrives.h"

namespace lyn::testing {

// --- books -------------------------------------------------------------------------------------

// One par of a test book; a par with a tag is a navigation point ("h1", "span" with class
// "page-normal", ...).
struct BookPar {
  std::string tag;
  std::string cls;
  std::string sysreq;
  std::string rel;  // a point on another volume
};
inline BookPar Phrase() { return {}; }
inline BookPar Heading(int level = 1) { return {"h" + std::to_string(level), "", "", ""}; }
inline BookPar Page(std::string sysreq = {}) {
  return {"span", "page-normal", std::move(sysreq), ""};
}

struct BookPlan {
  std::string title = "Test book";
  std::string identifier = "test-book-1";
  double clipSeconds = 6.0;
  std::vector<std::vector<BookPar>> files;  // the pars of each SMIL file, in order
  // Multi-volume sets: "ncc:setinfo" "k of n" when set; the title names the set.
  std::string setInfo;
};

// Writes the book; SMIL files "s1.smil".., audio "s1.wav".., content "content.html". Par j of
// file k has the id "p<j>" and plays [clip * (j-1), clip * j) of its file.
inline void fncMakeBook(const std::filesystem::path& folder, const BookPlan& plan) {
  std::vector<NccPoint> points;
  int pointNumber = 0;
  for (size_t k = 0; k < plan.files.size(); ++k) {
    const std::string smil = "s" + std::to_string(k + 1) + ".smil";
    const std::string wav = "s" + std::to_string(k + 1) + ".wav";
    std::vector<SmilPar> pars;
    for (size_t j = 0; j < plan.files[k].size(); ++j) {
      const BookPar& p = plan.files[k][j];
      const std::string id = "p" + std::to_string(j + 1);
      pars.emplace_back(id, wav, fncNpt(plan.clipSeconds * double(j)),
                        fncNpt(plan.clipSeconds * double(j + 1)), p.sysreq);
      if (!p.tag.empty()) {
        ++pointNumber;
        points.push_back(
            NccPoint()
                .tag(p.tag)
                .cls(p.cls)
                .href(smil + "#" + id)
                .rel(p.rel)
                .text(pointNumber == 1 ? plan.title : "Point " + std::to_string(pointNumber)));
      }
    }
    fncWriteText(folder / smil, fncSmil(pars));
    fncWriteToneWav(folder / wav, plan.clipSeconds * double(pars.size()), 8000,
                    300 + 50 * double(k));
  }
  std::string head =
      "<meta name=\"dc:format\" content=\"Daisy 2.02\" />\n"
      "<meta name=\"dc:title\" content=\"" +
      plan.title + "\" />\n";
  if (!plan.identifier.empty())
    head += "<meta name=\"dc:identifier\" content=\"" + plan.identifier + "\" />\n";
  if (!plan.setInfo.empty())
    head += "<meta name=\"ncc:setInfo\" content=\"" + plan.setInfo + "\" />\n";
  fncWriteText(folder / "ncc.html", fncNcc(points, head));
  fncWriteText(folder / "content.html", "<html><body><p id=\"x\">text</p></body></html>\n");
}

// A plain book: three SMIL files of four pars; points: the title (s1 p1), a chapter (s1 p3),
// page 1 (s2 p1), a section (s2 p3), a chapter (s3 p1), page 2 (s3 p3).
inline BookPlan fncPlainBook() {
  BookPlan plan;
  plan.files = {{Heading(1), Phrase(), Heading(1), Phrase()},
                {Page(), Phrase(), Heading(2), Phrase()},
                {Heading(1), Phrase(), Page(), Phrase()}};
  return plan;
}

// --- fakes -------------------------------------------------------------------------------------

class cRecordingWindow final : public iMainWindow {
 public:
  void subDoNavigate(const std::string& a) override { log("navigate " + a); }
  void fncUpdateUserInterface() override { ++updates; }
  void subApplyStyleSheetToCurrentDocument() override { log("style"); }
  void subAfterEventHandler() override {}
  void subSetFocusInHTMLDocument(std::optional<std::string> id) override {
    log("focus " + id.value_or(""));
  }
  void subSetCaption(const std::string& c) override { log("caption " + c); }
  void subRefreshWB() override {}
  void subUpdateWB() override { log("updatewb"); }
  void subQuitWB() override {}
  void subRefresh() override {}
  void subSetBookmarkLabel(std::optional<int32_t> n) override { bookmarkLabel = n; }
  void subSetViewChecks(bool ncc) override { nccChecked = ncc; }
  void subSetEnabled(eSwitchable, bool) override {}
  bool fncbEnabled(eSwitchable) const override { return true; }
  void subShowStartPicture(bool) override {}
  bool fncbStartPictureShown() const override { return true; }
  void subFocusView() override {}
  bool fncbMinimised() const override { return false; }
  void subRestore() override {}
  void clsNccReader_evNewMedia(cNCCReader&, const cElementData& e) override {
    log("text " + std::string(e.fncAttrContentWOQ("src")));
  }
  void clsNccReader_evNewPar(cNCCReader&) override {}
  void clsNccReader_evTocPositionChanged(cNCCReader&, int32_t) override {}
  void clsNCCReader_evAutomaticMovement(cNCCReader&) override {}
  void clsNccReader_evError(cNCCReader& reader) override {
    log("error " + std::to_string(reader.lErrorNumber));
  }

  bool fncbLogged(const std::string& line) const {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  void log(std::string line) { lines.push_back(std::move(line)); }

  std::vector<std::string> lines;
  int updates = 0;
  std::optional<int32_t> bookmarkLabel;
  std::optional<bool> nccChecked;
};

class cScriptedDialogs final : public iDialogs {
 public:
  int32_t fncShowSearch(iMode& mode) override {
    searchedWith = mode.sSearchString;
    return answer;
  }
  int32_t fncShowGotoPage(iMode&) override { return answer; }
  bool fncShowDialog(const std::string&, const std::string&,
                     const std::vector<std::string>&) override {
    return true;
  }
  void subShowAbout() override {}
  std::optional<std::string> fncShowFileOpen() override { return std::nullopt; }

  int32_t answer = iDialogs::kNothing;
  std::string searchedWith;
};

// --- the rig -----------------------------------------------------------------------------------

// The prompt keys the rig's prompt file knows; each speaks 0.3 s.
inline const std::vector<std::string>& fncRigPromptKeys() {
  static const std::vector<std::string> keys = {"sfx_indicator3",
                                                "nav_phrase",
                                                "nav_page",
                                                "nav_heading",
                                                "nav_chapter",
                                                "nav_bookmark",
                                                "bok_loadingbook",
                                                "bok_waiting4books",
                                                "bok_endofbook",
                                                "bookm_insbookmark",
                                                "bookm_delbookmark",
                                                "err_nccerr",
                                                "cap_reading",
                                                "cap_nccview",
                                                "cap_fulltextview",
                                                "uc_49",
                                                "uc_50",
                                                "uc_51",
                                                "dig_1"};
  return keys;
}

class cModeRig final : public iMessageDispatcher {
 public:
  // With `skimAtRecordedSpeed` fast forward plays its chunks at the recorded speed, so that its
  // positions are easy to follow.
  explicit cModeRig(bool skimAtRecordedSpeed = false)
      : app(std::make_unique<cRegistry>(), (root / "program").string()),
        vari(fncPrepareSpeedTable(app.registry(), skimAtRecordedSpeed)),
        speedLink(app, vari),
        bookPlayer(std::make_unique<cPhraseAudioHandler>(eAudioRole::Book,
                                                         std::make_unique<cNullSink>(&clock)),
                   &speedLink),
        promptPlayer(std::make_unique<cPhraseAudioHandler>(eAudioRole::Prompt,
                                                           std::make_unique<cNullSink>(&clock))),
        timer(&clock),
        disk(app.registry(), drives) {
    std::filesystem::create_directories(root / "program");
    std::filesystem::create_directories(root / "user");
    subWritePromptFile();
    prompts = std::make_unique<cPromptHandler>(app.queue(), (root / "program").string(),
                                               (root / "user").string());
    prompts->subSetPlayers(&promptPlayer, &bookPlayer);
    prompts->fncbLoadPromptFile("prompts.bin");
    vari.subSetBookPlayer(&bookPlayer);
    bookPlayer.plVolume(10);
    timer.subAttach(bookPlayer);
    timer.subAttach(promptPlayer);
    disk.gsUserDataPath = (root / "user").string() + "/";
    app.queue().subSetDispatcher(this);
    services = std::make_unique<cModeServices>(
        cModeServices{app, *prompts, bookPlayer, vari, disk, window, dialogs});
    mode = std::make_unique<cBookBrowser>(*services);
  }
  ~cModeRig() override {
    mode.reset();
    app.queue().subSetDispatcher(nullptr);
  }

  std::filesystem::path book(const std::string& name = "book") const { return root / name; }
  std::filesystem::path make(const BookPlan& plan = fncPlainBook(),
                             const std::string& name = "book") {
    fncMakeBook(book(name), plan);
    return book(name);
  }

  // The disc in drive `name` leaves: its mount point goes from the table and its files are gone.
  void eject(const std::string& name) {
    drives.remove(book(name).string());
    std::filesystem::rename(book(name), root / (name + ".out"));
  }
  void insert(const std::string& name, eDriveType type = eDriveType::CdRom) {
    if (!std::filesystem::exists(book(name)))
      std::filesystem::rename(root / (name + ".out"), book(name));
    drives.add(book(name).string(), type);
  }

  // Loads a book and starts it the way the program does ("NEWBOOK").
  bool open(const std::filesystem::path& folder) {
    if (!mode->fncLoadBook(folder.string())) return false;
    app.queue().subAddMessage("NEWBOOK");
    pump();
    return true;
  }

  // The dispatcher's part for the messages the mode posts; the queue runs the loop, and posts
  // a "START" that had to wait again after the pump.
  bool fncbDispatch(cMessage& message) override {
    cMessageQueue& queue = app.queue();
    std::string name = message.fncgetMessageName();
    std::transform(name.begin(), name.end(), name.begin(), ::toupper);
    posted.push_back(name);
    if (name == "START") {
      const bool user = std::holds_alternative<std::string>(message.fncArg1());
      if (!prompts->fncMutePrompts(user)) return true;
      prompts->subclearQue();
      mode->subPlay();
    } else if (name == "STOP") {
      if (bookPlayer.mbAudioFileLoaded) bookPlayer.fncbPause();
    } else if (name == "PLAYNEXTPROMPT") {
      prompts->subPlayNextPrompt();
    } else if (name == "NEWBOOK") {
      mode->subInitNewBookData();
    } else if (name == "NEXTUNIT" || name == "PREVIOUSUNIT") {
      mode->subBrowseUnit(name == "NEXTUNIT" ? 1 : -1, 1);
      queue.subAddMessage("UPDATEINTERFACE");
      queue.subAddMessage("START", std::string("userinvoke"));
    }
    return false;
  }
  void pump() { app.queue().subProcessQue(); }

  // One control tick as the dispatcher runs it on "CONTROLTIMER".
  void controlTick() {
    if (disk.fncbCheckDrivesChanged()) mode->subDrivesChanged();
    mode->subControlTimer();
    pump();
  }
  // Runs `seconds` of program time: 10-ms ticks, a control tick every half second.
  void run(double seconds) {
    const int ticks = int(seconds * 100 + 0.5);
    for (int t = 0; t < ticks; ++t) {
      pump();
      timer.subTick();
      pump();
      if (++mlTicks % 50 == 0) controlTick();
    }
  }
  // Runs until `done` holds, at most `seconds`; true when it held.
  bool runUntil(const std::function<bool()>& done, double seconds = 60) {
    for (int t = 0; t < int(seconds * 100); ++t) {
      if (done()) return true;
      run(0.01);
    }
    return done();
  }

  // The prompt keys now queued, in order.
  std::vector<std::string> queuedPrompts() const {
    std::vector<std::string> keys;
    for (int32_t b = 1; b <= prompts->fncQueueCount(); ++b)
      for (const std::string& id : prompts->fncBatch(b).ids) keys.push_back(id);
    return keys;
  }
  bool queued(const std::string& key) const {
    const auto keys = queuedPrompts();
    return std::find(keys.begin(), keys.end(), key) != keys.end();
  }
  // Lets every queued prompt be spoken (the book resumes when it was playing).
  void speak() {
    runUntil([&] { return prompts->fncQueueCount() == 0; }, 30);
  }
  size_t postedCount(const std::string& name) const {
    return size_t(std::count(posted.begin(), posted.end(), name));
  }

  cNCCReader& reader() { return *mode->clsNccReader(); }
  bool playing() const { return bookPlayer.mlCurrentAudioState == cAudioPlaybackSystem::kPlaying; }
  double position() { return bookPlayer.pdPosition(); }
  std::string audioFile() const {
    return std::filesystem::path(bookPlayer.psFileName()).filename().string();
  }
  // The current par's id ("p3") and file ("s2.smil").
  std::string place() {
    cSmilPlayer& smil = reader().clsSmilPlayer();
    const auto item = smil.fncRetrieveParItem(smil.lCurrentParListItem);
    if (!item || !item->clsPar) return "";
    cFileData* doc = cSmilPlayer::fncDocumentOf(item->clsPar);
    const cElementData* par = cSmilPlayer::fncRecordOf(item->clsPar);
    return (doc ? doc->sFileName : std::string("?")) + "#" +
           std::string(par ? par->fncAttrContentWOQ("id") : "");
  }

  TempFolder root;
  cVirtualClock clock;
  cApplicationState app;
  cVariControl vari;
  cPlaybackSpeedLink speedLink;
  cAudioPlaybackSystem bookPlayer;
  cAudioPlaybackSystem promptPlayer;
  cPositionCheckTimer timer;
  test::cFakeDrives drives;
  mdlDiskModule disk;
  std::unique_ptr<cPromptHandler> prompts;
  cRecordingWindow window;
  cScriptedDialogs dialogs;
  std::unique_ptr<cModeServices> services;
  std::unique_ptr<cBookBrowser> mode;
  std::vector<std::string> posted;

 private:
  static cRegistry& fncPrepareSpeedTable(cRegistry& registry, bool skimAtRecordedSpeed) {
    if (!skimAtRecordedSpeed) return registry;
    const char* key = "software\\LYN_Reader";
    registry.subWriteValue("Vari\\Items", 15, eRegistryRoot::CurrentUser, key);
    for (int step = 0; step <= 15; ++step)
      registry.subWriteValue("Vari\\Speed" + std::to_string(step),
                             cVariControl::fncDefaultRowText(false, step),
                             eRegistryRoot::CurrentUser, key);
    registry.subWriteValue("Vari\\SkimSpeed", cVariControl::fncDefaultRowText(false, 5),
                           eRegistryRoot::CurrentUser, key);
    return registry;
  }
  void subWritePromptFile() {
    PromptFileHeader h;
    h.sAudioFile = "prompts.wav";
    h.sLanguage = "English";
    h.sFormatVersion = "1.1";
    h.sVersion = "1.3";
    h.sSecondText = "none";
    double at = 0;
    for (const std::string& key : fncRigPromptKeys()) {
      h.entries.push_back({key, "text of " + key, at, at + 0.3});
      at += 0.5;
    }
    h.lLastEntry = int32_t(h.entries.size()) - 1;
    fncWriteToneWav(root / "program" / "prompts.wav", at + 1, 8000, 900);
    ASSERT_TRUE(fncWriteFileAtomically(root / "program" / "prompts.bin", fncEncodePromptFile(h)));
  }

  int mlTicks = 0;
};

}  // namespace lyn::testing
