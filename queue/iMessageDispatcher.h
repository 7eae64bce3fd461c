#pragma once

namespace lyn {

class cMessageQueue;

// The pump that turns queued messages into actions. It takes the messages with hasNext and
// fncgetNextMessageQueueItem, including those posted while it runs, and ends by clearing the
// list with subclearQue.
class iMessageDispatcher {
 public:
  virtual ~iMessageDispatcher() = default;
  virtual void subProcessQue(cMessageQueue& queue) = 0;
};

// What the prompt-only pump calls for every "PLAYNEXTPROMPT".
class iNextPromptPlayer {
 public:
  virtual ~iNextPromptPlayer() = default;
  virtual void subPlayNextPrompt() = 0;
};

}  // namespace lyn
