#pragma once
// The dispatcher: the one place where a command becomes an action. The queue hands it one
// message at a time; it acts on the window, the prompts and the players itself, switches the
// current mode, or calls an operation of the current mode.
//
// Names match without regard to case. A "START" that the prompts do not let through yet
// answers true, and the queue posts it again after the pump. Commands that do not apply in the
// current state answer with a short sound ("sfx_indicator3", "sfx_indicator2"); names nobody
// handles are dropped.
//
// Everything is borrowed from the composition root and outlives the dispatcher.

#include <cstdint>
#include <string>
#include <vector>

#include "queue/iMessageDispatcher.h"
#include "shell/cApplicationState.h"

namespace lyn {

class cAudioPlaybackSystem;
class cPromptHandler;
class cVariControl;
class iBookOpener;
class iDialogs;
class iMainWindow;
class iMode;
class iModeSet;
class mdlDiskModule;

struct cDispatcherParts {
  cApplicationState& app;
  cPromptHandler& prompts;
  cAudioPlaybackSystem& bookPlayer;
  cAudioPlaybackSystem& promptPlayer;
  cVariControl& speed;
  mdlDiskModule& disk;
  iMainWindow& window;
  iDialogs& dialogs;
  iModeSet& modes;
  iBookOpener& books;  // "OPENBOOK"
};

class cDispatcher final : public iMessageDispatcher {
 public:
  explicit cDispatcher(cDispatcherParts parts) : m(parts) {}

  bool fncbDispatch(cMessage& message) override;

  // The drives of the last full scan, against which "CONTROLTIMER" tells a change. Start-up
  // sets them from its first scan.
  void subSetKnownDrives(std::vector<std::string> drives) { mvKnownDrives = std::move(drives); }

 private:
  void subControlTimer();
  void subVolume(int32_t ilStep);
  void subRate(bool ibolIncrease);
  void subSwitchTo(eModeNumber ienMode);
  void subView(const char* isView, const char* isCaptionKey);
  void subStyle(bool ibolNext);
  void subQuit();
  void subOpenBook(const std::string& isFolder);
  bool fncbBookPlaying() const;
  iMode& fncMode();

  cDispatcherParts m;
  std::vector<std::string> mvKnownDrives;
};

}  // namespace lyn
