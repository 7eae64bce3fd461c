#pragma once
// The about box without its window: its texts from the prompt file, the version spoken as
// "one, point, one", the book paused while it is open and resumed when it closes (only when it
// was playing). Any key closes it.

#include <cstdint>
#include <string>

#include "shell/KeyCodes.h"

namespace lyn {

class cAudioPlaybackSystem;
class cMessageQueue;
class cPromptHandler;

class cAboutDialog {
 public:
  cAboutDialog(cPromptHandler& prompts, cAudioPlaybackSystem& bookPlayer, cMessageQueue& queue);

  // Load and activation: remembers whether the book plays (and pauses it), speaks the keys.
  void subOpen();
  void subKeyDown(const cKey& key);
  // Unload: clears the prompts and resumes the book when it had been playing.
  void subClose();
  // Closes without resuming (the program is quitting).
  void subCloseQuietly();

  bool fncbClosed() const { return mbClosed; }
  bool fncbWasPlaying() const { return mbWasPlaying; }

  // Texts of the box.
  std::string fncCaption() const;
  std::string fncVersion() const;
  std::string fncCopyright() const;
  std::string fncLicense() const;
  std::string fncUpdate() const;
  std::string fncWWW() const;

 private:
  cPromptHandler& mPrompts;
  cAudioPlaybackSystem& mBookPlayer;
  cMessageQueue& mQueue;
  bool mbWasPlaying = false;
  bool mbClosed = false;
};

}  // namespace lyn
