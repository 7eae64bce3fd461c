#pragma once
// Doubles for the application's tests: a mode, a window and dialogs that record what they are
// asked, the modes behind iModeSet, and a rig with the real prompt handler, speed control and
// disk module on fake audio controls and fake drives.

#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cVariControl.h"
#include "disk/mdlDiskModule.h"
#include "modes/cModeServices.h"
#include "modes/iBookOpener.h"
#include "modes/iDialogs.h"
#include "modes/iMainWindow.h"
#include "modes/iMode.h"
#include "platform/storage/cAtomicFile.h"
#include "prompts/PromptFileHeader.h"
#include "prompts/cPromptHandler.h"
#include "shell/cApplicationState.h"
#include "shell/cDispatcher.h"
#include "shell/iModeSet.h"
#include "tests/TempFolder.h"
#include "tests/disk/cFakeDrives.h"
#include "tests/prompts/FakeAudioControl.h"

namespace lyn::testing {

class cRecordingMode final : public iMode {
 public:
  cRecordingMode(cModeServices& services, int32_t number) : iMode(services), mlNumber(number) {}
  int32_t fnclModeNumber() const override { return mlNumber; }
  std::string fncClassCaption() override { return "mode" + std::to_string(mlNumber) + " - "; }
  void subPlay() override { calls.push_back("subPlay"); }
  void subStartStop() override { calls.push_back("subStartStop"); }
  void subBrowseUnit(int32_t d, int32_t n) override {
    calls.push_back("subBrowseUnit " + std::to_string(d) + " " + std::to_string(n));
  }
  void subChangeUnit(std::optional<int32_t> s, std::optional<int32_t>) override {
    calls.push_back("subChangeUnit " + std::to_string(s.value_or(0)));
  }
  void subBeginFFW(int32_t d) override { calls.push_back("subBeginFFW " + std::to_string(d)); }
  void subEndFFW() override { calls.push_back("subEndFFW"); }
  void subPrepareForModeChange() override { calls.push_back("subPrepareForModeChange"); }
  void subShowBookList() override { calls.push_back("subShowBookList"); }
  void subShowInfo() override { calls.push_back("subShowInfo"); }
  void subShowHelp() override { calls.push_back("subShowHelp"); }
  void subControlTimer() override { calls.push_back("subControlTimer"); }
  void subDrivesChanged() override { calls.push_back("subDrivesChanged"); }
  void subChangeMode(std::optional<std::string> v) override { calls.push_back("subChangeMode " + v.value_or("")); }
  bool fncUndo() override {
    calls.push_back("fncUndo");
    return undoes;
  }
  bool fncbBookLoaded() const override { return bookLoaded; }

  std::vector<std::string> calls;
  bool bookLoaded = false;
  bool undoes = false;

 private:
  int32_t mlNumber;
};

class cRecordingWindow final : public iMainWindow {
 public:
  void subDoNavigate(const std::string& a) override { calls.push_back("navigate " + a); }
  void fncUpdateUserInterface() override { calls.push_back("update"); }
  void subApplyStyleSheetToCurrentDocument() override { calls.push_back("style"); }
  void subAfterEventHandler() override {}
  void subSetFocusInHTMLDocument(std::optional<std::string>) override {}
  void subSetCaption(const std::string& c) override { caption = c; }
  void subRefreshWB() override {}
  void subUpdateWB() override { calls.push_back("updateWB"); }
  void subQuitWB() override {}
  void subRefresh() override {}
  void subSetBookmarkLabel(std::optional<int32_t>) override {}
  void subSetViewChecks(bool) override {}
  void subSetEnabled(eSwitchable c, bool on) override { enabled[size_t(c)] = on; }
  bool fncbEnabled(eSwitchable c) const override { return enabled[size_t(c)]; }
  void subShowStartPicture(bool shown) override { startPicture = shown; }
  bool fncbStartPictureShown() const override { return startPicture; }
  void subFocusView() override {}
  bool fncbMinimised() const override { return false; }
  void subRestore() override {}
  void clsNccReader_evNewMedia(cNCCReader&, const cElementData&) override {}
  void clsNccReader_evNewPar(cNCCReader&) override {}
  void clsNccReader_evTocPositionChanged(cNCCReader&, int32_t) override {}
  void clsNCCReader_evAutomaticMovement(cNCCReader&) override {}
  void clsNccReader_evError(cNCCReader&) override {}

  std::vector<std::string> calls;
  std::string caption;
  std::array<bool, 7> enabled{true, true, true, true, true, true, true};
  bool startPicture = true;
};

class cRecordingDialogs final : public iDialogs {
 public:
  int32_t fncShowSearch(iMode&) override { return kNothing; }
  int32_t fncShowGotoPage(iMode&) override { return kNothing; }
  bool fncShowDialog(const std::string& caption, const std::string& text,
                     const std::vector<std::string>& keys) override {
    quitText = caption + "|" + text;
    quitKeys = keys;
    return answer;
  }
  void subShowAbout() override { ++abouts; }
  std::optional<std::string> fncShowFileOpen() override { return std::nullopt; }

  bool answer = false;
  std::string quitText;
  std::vector<std::string> quitKeys;
  int abouts = 0;
};

// The dispatcher with everything it reaches; prompts and players are real objects on fake
// controls, the modes and the window record.
class cDispatcherRig : public iModeSet, public iBookOpener {
 public:
  cDispatcherRig()
      : app(std::make_unique<cRegistry>(), program.path().string()),
        speed(app.registry(), 6, 0),
        disk(app.registry(), drives) {
    auto bookControl = std::make_unique<cFakeAudioControl>(std::set<std::string>{"/book/a.mp3"}, bookLog);
    bookFake = bookControl.get();
    bookPlayer = std::make_unique<cAudioPlaybackSystem>(std::move(bookControl));
    auto promptControl = std::make_unique<cFakeAudioControl>(
        std::set<std::string>{(program.path() / "prompts.mp3").string()}, promptLog);
    promptFake = promptControl.get();
    promptPlayer = std::make_unique<cAudioPlaybackSystem>(std::move(promptControl));
    prompts = std::make_unique<cPromptHandler>(app.queue(), program.path().string(), user.path().string());
    prompts->subSetPlayers(promptPlayer.get(), bookPlayer.get());
    subWritePromptFile();
    prompts->fncbLoadPromptFile("prompts.bin");
    speed.subSetBookPlayer(bookPlayer.get());
    bookPlayer->plVolume(8);
    services = std::make_unique<cModeServices>(
        cModeServices{app, *prompts, *bookPlayer, speed, disk, window, dialogs});
    dispatcher = std::make_unique<cDispatcher>(
        cDispatcherParts{app, *prompts, *bookPlayer, *promptPlayer, speed, disk, window, dialogs, *this, *this});
    app.queue().subSetDispatcher(dispatcher.get());
    subSetCurrentMode(eModeNumber::Reading);
  }
  ~cDispatcherRig() override { app.queue().subSetDispatcher(nullptr); }

  iMode* fncCurrentMode() override { return current; }
  iMode& fncMode(eModeNumber n) override {
    auto& slot = modes[size_t(n) - 1];
    if (!slot) slot = std::make_unique<cRecordingMode>(*services, int32_t(n));
    return *slot;
  }
  void subSetCurrentMode(eModeNumber n) override {
    current = &fncMode(n);
    app.currentModeNumber = n;
  }
  bool fncLoadBook(const std::string& folder, const std::string&) override {
    booksOpened.push_back(folder);
    return bookOpens;
  }
  std::vector<std::string> booksOpened;
  bool bookOpens = true;
  // Every key the tests hear, each with a clip of its own.
  void subWritePromptFile() {
    PromptFileHeader h;
    h.sAudioFile = "prompts.mp3";
    h.sLanguage = "English";
    h.sFormatVersion = "1.1";
    h.sVersion = "1.3";
    h.sSecondText = "none";
    const char* keys[] = {"sfx_indicator2", "sfx_indicator3", "con_volume", "con_speed", "con_normalspeed",
                          "con_minus", "cap_style", "cap_nostyle", "cap_nccview", "cap_fulltextview",
                          "cap_exitprogram", "gen_entertoconfirm", "sfx_waitingforbooks", "gen_programname",
                          "about_version", "about_copyright", "about_license", "gen_esctoreturn", "uc_49",
                          "uc_46", "err_nccerr", "bok_loadingbook"};
    double at = 1;
    for (const char* key : keys) {
      h.entries.push_back({key, std::string("text of ") + key, at, at + 0.5});
      at += 1;
    }
    for (int d = 0; d <= 99; ++d) {
      h.entries.push_back({"dig_" + std::to_string(d), std::to_string(d), at, at + 0.5});
      at += 1;
    }
    h.lLastEntry = int32_t(h.entries.size()) - 1;
    fncWriteFileAtomically(program.path() / "prompts.bin", fncEncodePromptFile(h));
  }

  cRecordingMode& mode(eModeNumber n) { return static_cast<cRecordingMode&>(fncMode(n)); }
  cRecordingMode& reading() { return mode(eModeNumber::Reading); }

  void post(const std::string& name, Variant a1 = {}, Variant a2 = {}) {
    app.queue().subAddMessage(name, std::move(a1), std::move(a2));
  }
  void pump() { app.queue().subProcessQue(); }
  // The prompt keys queued (flattened), in order.
  std::vector<std::string> queuedPrompts() const {
    std::vector<std::string> keys;
    for (int32_t b = 1; b <= prompts->fncQueueCount(); ++b)
      for (const auto& id : prompts->fncBatch(b).ids) keys.push_back(id);
    return keys;
  }
  void playBook() {
    bookPlayer->psFileName("/book/a.mp3");
    bookPlayer->fncbPlay();
  }

  TempFolder program;
  TempFolder user;
  cApplicationState app;
  cVariControl speed;
  lyn::test::cFakeDrives drives;
  mdlDiskModule disk;
  cFakeAudioControl::Log bookLog, promptLog;
  cFakeAudioControl* bookFake = nullptr;
  cFakeAudioControl* promptFake = nullptr;
  std::unique_ptr<cAudioPlaybackSystem> bookPlayer;
  std::unique_ptr<cAudioPlaybackSystem> promptPlayer;
  std::unique_ptr<cPromptHandler> prompts;
  cRecordingWindow window;
  cRecordingDialogs dialogs;
  std::unique_ptr<cModeServices> services;
  std::unique_ptr<cDispatcher> dispatcher;
  std::array<std::unique_ptr<iMode>, 4> modes;
  iMode* current = nullptr;
};

}  // namespace lyn::testing
