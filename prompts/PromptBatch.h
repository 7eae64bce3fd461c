#pragma once
// One queued request to speak: its prompt keys in order and how far playback has come.

#include <cstdint>
#include <string>
#include <vector>

namespace lyn {

struct PromptBatch {
  std::vector<std::string> ids;  // from index 0
  std::vector<bool> played;      // same bounds as ids; set when that id's clip has ended
  bool started = false;          // playback of the current id has been started
  int32_t lCurrentId = 0;        // index into ids
  int32_t lPriority = 0;
  bool bolFirstFlag = false;   // read by fncMutePrompts: the batch gives way to a user's start
  bool bolSecondFlag = false;  // stored only
  bool bolThirdFlag = false;   // see cPromptHandler::subAddAudioPrompts

  // The current id has been played, or the batch has no id left to play.
  bool fncbCurrentDone() const {
    return lCurrentId < 0 || size_t(lCurrentId) >= ids.size() || played[size_t(lCurrentId)];
  }
};

}  // namespace lyn
