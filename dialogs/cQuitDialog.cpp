#include "dialogs/cQuitDialog.h"

#include "audio/cAudioPlaybackSystem.h"
#include "prompts/cPromptHandler.h"
#include "queue/cMessageQueue.h"

namespace lyn {

cQuitDialog::cQuitDialog(cPromptHandler& prompts, cAudioPlaybackSystem& promptPlayer,
                         cAudioPlaybackSystem& bookPlayer, cMessageQueue& queue,
                         std::vector<std::string> promptKeys)
    : mPrompts(prompts), mPromptPlayer(promptPlayer), mBookPlayer(bookPlayer), mQueue(queue),
      mvKeys(std::move(promptKeys)) {}

cQuitDialog::~cQuitDialog() { subFinish(); }

void cQuitDialog::subOpen() {
  mbAnswer = false;
  mBookPlayer.fncbPause();
  // The dialog speaks on its own; a prompt batch still running would take the player back.
  mPrompts.subclearQue();
  mPromptPlayer.subAddListener(*this);
  mbListening = true;
  mlNext = 0;
  if (!mvKeys.empty()) mPrompts.subPlayID(mvKeys[mlNext++]);
}

void cQuitDialog::evEndofStream() {
  if (!mbClosed && mlNext < mvKeys.size()) mPrompts.subPlayID(mvKeys[mlNext++]);
}

void cQuitDialog::subYes() {
  if (mbClosed) return;
  mbAnswer = true;
  subFinish();
}

void cQuitDialog::subNo() {
  if (mbClosed) return;
  subFinish();
  mQueue.subAddMessage("START");
}

void cQuitDialog::subClose() { subFinish(); }

void cQuitDialog::subKeyDown(const cKey& k) {
  switch (k.lCode) {
    case key::Enter: subYes(); return;
    case key::Tab: mbYesFocused = !mbYesFocused; return;
    case key::Ctrl:
    case key::Shift:
    case key::Alt: return;
    default: subNo();
  }
}

void cQuitDialog::subFinish() {
  if (mbListening) mPromptPlayer.subRemoveListener(*this);
  mbListening = false;
  if (!mbClosed) mPrompts.subclearQue();
  mbClosed = true;
}

}  // namespace lyn
