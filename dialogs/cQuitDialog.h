#pragma once
// The yes/no confirmation without its window. It pauses the book, speaks its prompt keys one
// after another straight on the prompt player (outside the prompt queue: the next key starts
// when the prompt player reports the end of a clip) and answers whether the user confirmed.
//
// Keys: Enter confirms; Ctrl, Shift, Alt and Tab (which moves between the two buttons) do
// nothing; every other key declines and posts "START", so reading goes on. subClose ends the
// dialog without an answer and without "START" (the program is quitting anyway).

#include <cstdint>
#include <string>
#include <vector>

#include "audio/iAudioPlaybackListener.h"
#include "shell/KeyCodes.h"

namespace lyn {

class cAudioPlaybackSystem;
class cMessageQueue;
class cPromptHandler;

class cQuitDialog final : private iAudioPlaybackListener {
 public:
  cQuitDialog(cPromptHandler& prompts, cAudioPlaybackSystem& promptPlayer,
              cAudioPlaybackSystem& bookPlayer, cMessageQueue& queue,
              std::vector<std::string> promptKeys);
  ~cQuitDialog() override;
  cQuitDialog(const cQuitDialog&) = delete;
  cQuitDialog& operator=(const cQuitDialog&) = delete;

  // Pauses the book and speaks the first key.
  void subOpen();
  void subKeyDown(const cKey& key);
  // The "yes" and "no" buttons clicked.
  void subYes();
  void subNo();
  void subClose();

  bool fncbClosed() const { return mbClosed; }
  bool fncbAnswer() const { return mbAnswer; }
  // The button with the focus: true for "yes" (it has it when the dialog opens).
  bool fncbYesFocused() const { return mbYesFocused; }

 private:
  void evEndofStream() override;
  void subFinish();

  cPromptHandler& mPrompts;
  cAudioPlaybackSystem& mPromptPlayer;
  cAudioPlaybackSystem& mBookPlayer;
  cMessageQueue& mQueue;
  std::vector<std::string> mvKeys;
  size_t mlNext = 0;
  bool mbListening = false;
  bool mbClosed = false;
  bool mbAnswer = false;
  bool mbYesFocused = true;
};

}  // namespace lyn
