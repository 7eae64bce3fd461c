#pragma once
// A prompt handler on fake audio controls, with a program folder of its own and a pump that
// plays the part of the dispatcher for "PLAYNEXTPROMPT".

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/TempFolder.h"
#include "audio/cAudioPlaybackSystem.h"
#include "platform/storage/cAtomicFile.h"
#include "prompts/PromptFileHeader.h"
#include "prompts/cPromptHandler.h"
#include "queue/cMessageQueue.h"
#include "tests/prompts/FakeAudioControl.h"

namespace lyn::testing {

class cPromptTestRig {
 public:
  cPromptTestRig() {
    std::filesystem::create_directories(program.path());
    auto promptControl = std::make_unique<cFakeAudioControl>(
        std::set<std::string>{(program.path() / "prompts.mp3").string()}, promptLog);
    promptFake = promptControl.get();
    promptPlayer = std::make_unique<cAudioPlaybackSystem>(std::move(promptControl));
    auto bookControl =
        std::make_unique<cFakeAudioControl>(std::set<std::string>{"/book/a.mp3"}, bookLog);
    bookFake = bookControl.get();
    bookPlayer = std::make_unique<cAudioPlaybackSystem>(std::move(bookControl));
    handler = std::make_unique<cPromptHandler>(messages, program.path().string(),
                                               user.path().string());
    handler->subSetPlayers(promptPlayer.get(), bookPlayer.get());
  }

  // A prompt file with these entries and the audio "prompts.mp3" (which the fake opens).
  void subWritePromptFile(std::vector<PromptEntry> entries, std::string version = "1.3") {
    PromptFileHeader h;
    h.sAudioFile = "prompts.mp3";
    h.sLanguage = "English";
    h.sFormatVersion = "1.1";
    h.sVersion = std::move(version);
    h.sSecondText = "none";
    h.entries = std::move(entries);
    h.lLastEntry = int32_t(h.entries.size()) - 1;
    ASSERT_TRUE(fncWriteFileAtomically(program.path() / "prompts.bin", fncEncodePromptFile(h)));
  }

  static std::vector<PromptEntry> fncStandardEntries() {
    return {{"con_volume", "Volume", 1.0, 1.6},  {"uc_56", "8", 2.0, 2.2},
            {"gen_on", "On", 3.0, 3.5},          {"gen_off", "Off", 4.0, 4.5},
            {"TITLE", "Title", 5.0, 5.8},        {"cap_help", "Help", 6.0, 6.7},
            {"sfx_indicator3", "", 7.0, 7.3},    {"bok_endofbook", "End", 8.0, 9.0}};
  }

  void subStartBook() {
    bookPlayer->psFileName("/book/a.mp3");
    bookPlayer->fncbPlay();
  }

  // Takes the posted messages as the dispatcher would (only "PLAYNEXTPROMPT" acts) and keeps
  // their names.
  void subPump() {
    while (messages.hasNext()) {
      const auto m = messages.fncgetNextMessageQueueItem();
      posted.push_back(m->fncgetMessageName());
      if (m->fncgetMessageName() == "PLAYNEXTPROMPT") handler->subPlayNextPrompt();
    }
    messages.subclearQue();
  }

  // Lets the prompt player run in 10-ms steps (polling it, pumping the queue) for up to
  // `seconds`, or until the prompt queue is empty.
  void subRun(double seconds = 30) {
    subPump();
    for (int t = 0; t < int(seconds * 100) && handler->fncQueueCount() > 0; ++t) {
      promptFake->subAdvance(10);
      promptPlayer->subDoYourEvents();
      subPump();
    }
  }

  // The clips started on the prompt player, as begin milliseconds.
  std::vector<int32_t> fncStartedClips() const { return promptLog.seeks; }
  size_t fncCount(const std::string& name) const {
    return size_t(std::count(posted.begin(), posted.end(), name));
  }

  TempFolder program;
  TempFolder user;
  cMessageQueue messages;
  cFakeAudioControl::Log promptLog, bookLog;
  cFakeAudioControl* promptFake = nullptr;
  cFakeAudioControl* bookFake = nullptr;
  std::unique_ptr<cAudioPlaybackSystem> promptPlayer;
  std::unique_ptr<cAudioPlaybackSystem> bookPlayer;
  std::unique_ptr<cPromptHandler> handler;
  std::vector<std::string> posted;
};

}  // namespace lyn::testing
