#include "queue/cMessageQueue.h"

namespace lyn {

void cMessageQueue::subAddMessage(std::string_view name, Variant arg1, Variant arg2) {
  mQueue.subAdd(cMessage(name, std::move(arg1), std::move(arg2)));
}

void cMessageQueue::subProcessQue() {
  bool startDeferred = false;
  while (hasNext()) {
    auto message = fncgetNextMessageQueueItem();
    if (mDispatcher && mDispatcher->fncbDispatch(*message)) startDeferred = true;
  }
  subclearQue();
  // One retry per pump: posting it during the pump would be dropped as a duplicate of itself.
  if (startDeferred) subAddMessage("START");
}

void cMessageQueue::subprocessQueueOnlyPLAYNEXTPROMPT() {
  while (hasNext()) {
    auto message = fncgetNextMessageQueueItem();
    if (message->fncgetMessageName() == "PLAYNEXTPROMPT" && mPromptPlayer)
      mPromptPlayer->subPlayNextPrompt();
  }
  subclearQue();
}

}  // namespace lyn
