#pragma once
// The application's one command queue. Everyone who posts holds a reference to it.
//
// The dispatcher and the prompt player are borrowed: whoever installs them keeps them alive
// while they are installed, and uninstalls them (nullptr) before they go.

#include <optional>
#include <string_view>

#include "queue/cQueue.h"
#include "queue/iMessageDispatcher.h"

namespace lyn {

class cMessageQueue {
 public:
  // Posts a message; the poster never learns whether it was dropped as a duplicate.
  void subAddMessage(std::string_view name, Variant arg1 = {}, Variant arg2 = {});

  // The pump: hands every message, including those posted meanwhile, to the dispatcher (without
  // one they are dropped), then clears the list; a "START" that had to wait is posted again
  // for the next pump.
  void subProcessQue();
  void subclearQue() { mQueue.subClearQueue(); }
  // The pump of modal dialogs: honours "PLAYNEXTPROMPT" only, then clears the list, so every
  // other message posted meanwhile is lost.
  void subprocessQueueOnlyPLAYNEXTPROMPT();

  bool hasNext() const { return mQueue.hasNext(); }
  std::optional<cMessage> fncgetNextMessageQueueItem() { return mQueue.fncgetNextMessageQueueItem(); }
  const cQueue& fncList() const { return mQueue; }

  void subSetDispatcher(iMessageDispatcher* dispatcher) { mDispatcher = dispatcher; }
  void subSetPromptPlayer(iNextPromptPlayer* player) { mPromptPlayer = player; }

 private:
  cQueue mQueue;
  iMessageDispatcher* mDispatcher = nullptr;
  iNextPromptPlayer* mPromptPlayer = nullptr;
};

}  // namespace lyn
