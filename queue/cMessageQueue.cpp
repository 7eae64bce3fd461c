#include "queue/cMessageQueue.h"

namespace lyn {

void cMessageQueue::subAddMessage(std::string_view name, Variant arg1, Variant arg2) {
  mQueue.subAdd(cMessage(name, std::move(arg1), std::move(arg2)));
}

void cMessageQueue::subProcessQue() {
  if (mDispatcher) {
    mDispatcher->subProcessQue(*this);
    return;
  }
  while (hasNext()) fncgetNextMessageQueueItem();
  subclearQue();
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
