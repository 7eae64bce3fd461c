#pragma once
// What a mode borrows from the application: the shared state, the prompts, the book player, the
// speed control, the disk module, the main window and the dialogs. The composition root owns all
// of them and hands this bundle to every mode it creates; each member outlives the modes.

namespace lyn {

class cApplicationState;
class cAudioPlaybackSystem;
class cPromptHandler;
class cVariControl;
class iDialogs;
class iMainWindow;
class mdlDiskModule;

struct cModeServices {
  cApplicationState& app;          // settings, the message queue, the shared flags
  cPromptHandler& prompts;         // spoken prompts and prompt texts by key
  cAudioPlaybackSystem& bookPlayer;  // lent to the current mode's NCC reader
  cVariControl& speed;             // speed step and the skim row
  mdlDiskModule& disk;             // drive scans, the per-user data folder, path splitting
  iMainWindow& window;
  iDialogs& dialogs;
};

}  // namespace lyn
