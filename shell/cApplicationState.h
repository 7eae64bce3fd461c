#pragma once
// The state the whole program shares: one instance, made at start and handed by reference to
// everything that needs it. Later layers (modes, window, prompts) keep their own objects and
// read and write the items here.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/registry/cRegistry.h"
#include "queue/cMessageQueue.h"
#include "shell/ModuleServices.h"
#include "shell/cSettingsTable.h"
#include "shell/cStyleSheets.h"

namespace lyn {

// The last error recorded anywhere in the program.
struct ErrorRecord {
  int32_t number = 0;
  std::string message;
};

enum class eModeNumber : int32_t { Reading = 1, Help = 2, Bookshelf = 3, Information = 4 };

class cApplicationState {
 public:
  cApplicationState(std::unique_ptr<cRegistry> registry, std::string programFolder);

  // record error: the message is kept only when one is given.
  void subRecordError(int32_t number);
  void subRecordError(int32_t number, std::string message);
  const ErrorRecord& fncLastError() const { return mLastError; }

  // Start-up steps that need no window: settings, style sheets, key timing.
  void subLoadSettingsAtStart();
  // The values of the settings table as shutdown writes them; false when they were not saved.
  bool fncSaveSettingsAtShutdown(int32_t volume, int32_t tempo, bool nccMode,
                                 const WindowPlacement& window);

  cRegistry& registry() { return *mRegistry; }
  const cRegistry& registry() const { return *mRegistry; }
  cMessageQueue& queue() { return mQueue; }
  const std::string& programFolder() const { return mProgramFolder; }
  cStyleSheets& styleSheets() { return mStyleSheets; }
  const cStyleSheets& styleSheets() const { return mStyleSheets; }

  // Items of the application state that later layers read and write.
  bool bolQuit = false;
  bool bolScreenReaderMode = false;
  bool bolDebug = false;
  bool bolModeSwitchInProgress = false;
  bool bolSpeedChangeAvailable = false;
  bool bolInMenu = false;
  bool bolPlayingBeforeMenu = false;
  bool bolKeyReleased = false;
  int32_t lKeyTickCounter = 0;
  eModeNumber currentModeNumber = eModeNumber::Reading;
  KeyTiming keyTiming = fncKeyTiming(kOsMajorVersion);
  StartSettings startSettings;  // volume, tempo, fast-forward times, speed compensation
  std::string sLastBookRead;

 private:
  std::unique_ptr<cRegistry> mRegistry;
  std::string mProgramFolder;
  cMessageQueue mQueue;
  cStyleSheets mStyleSheets;
  ErrorRecord mLastError;
};

}  // namespace lyn
