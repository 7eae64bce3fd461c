#pragma once

namespace lyn {

class cMessage;

// What the pump of cMessageQueue hands each message to, one at a time, in posting order. The
// queue owns the loop: it takes the messages (including those posted while it runs), clears
// the list when they are exhausted and, when a "START" had to wait, posts one "START" for the
// next pump.
class iMessageDispatcher {
 public:
  virtual ~iMessageDispatcher() = default;
  // Acts on one message; the dispatcher may rewrite its arguments (normalising them). Returns
  // true when the message was a "START" that has to wait for the prompts.
  virtual bool fncbDispatch(cMessage& message) = 0;
};

// What the prompt-only pump calls for every "PLAYNEXTPROMPT".
class iNextPromptPlayer {
 public:
  virtual ~iNextPromptPlayer() = default;
  virtual void subPlayNextPrompt() = 0;
};

}  // namespace lyn
