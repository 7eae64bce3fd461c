#include "dialogs/cAboutDialog.h"

#include "audio/cAudioPlaybackSystem.h"
#include "prompts/cPromptHandler.h"
#include "queue/cMessageQueue.h"

namespace lyn {

cAboutDialog::cAboutDialog(cPromptHandler& prompts, cAudioPlaybackSystem& bookPlayer,
                           cMessageQueue& queue)
    : mPrompts(prompts), mBookPlayer(bookPlayer), mQueue(queue) {}

void cAboutDialog::subOpen() {
  mbWasPlaying = mBookPlayer.mlCurrentAudioState == 1;
  if (mbWasPlaying) {
    mQueue.subAddMessage("PAUSE");
    // Paused here too: the prompts below pause the book only when they have audio.
    mBookPlayer.fncbPause();
  }
  mPrompts.subclearQue();
  mPrompts.subAddAudioPrompts(10, false, true, true,
                              {"ABOUT_VERSION", "UC_49", "UC_46", "UC_49", "ABOUT_COPYRIGHT",
                               "ABOUT_LICENSE", "GEN_ESCTORETURN"});
  mPrompts.subPlayNextPrompt();
}

void cAboutDialog::subKeyDown(const cKey&) { subClose(); }

void cAboutDialog::subClose() {
  if (mbClosed) return;
  subCloseQuietly();
  if (mbWasPlaying) mQueue.subAddMessage("START");
}

void cAboutDialog::subCloseQuietly() {
  if (mbClosed) return;
  mbClosed = true;
  mPrompts.subclearQue();
}

std::string cAboutDialog::fncCaption() const { return "LYN Reader 1.1"; }
std::string cAboutDialog::fncVersion() const { return mPrompts.Text("ABOUT_VERSION") + " 1.1"; }
std::string cAboutDialog::fncCopyright() const { return mPrompts.Text("ABOUT_COPYRIGHT"); }
std::string cAboutDialog::fncLicense() const { return mPrompts.Text("ABOUT_LICENSE"); }
std::string cAboutDialog::fncUpdate() const { return mPrompts.Text("ABOUT_UPDATE"); }
std::string cAboutDialog::fncWWW() const { return mPrompts.Text("ABOUT_WWW"); }

}  // namespace lyn
