#include "shell/cApplicationState.h"

namespace lyn {

cApplicationState::cApplicationState(std::unique_ptr<cRegistry> registry, std::string programFolder)
    : mRegistry(registry ? std::move(registry) : std::make_unique<cRegistry>()),
      mProgramFolder(fncWithTrailingSeparator(std::move(programFolder))) {}

void cApplicationState::subRecordError(int32_t number) { mLastError.number = number; }

void cApplicationState::subRecordError(int32_t number, std::string message) {
  mLastError.number = number;
  mLastError.message = std::move(message);
}

void cApplicationState::subLoadSettingsAtStart() {
  bolScreenReaderMode = false;
  startSettings = fncLoadStartSettings(*mRegistry);
  bolDebug = startSettings.debug;
  mStyleSheets.subDiscover(mProgramFolder, fncLoadSavedStyleSheet(*mRegistry));
  keyTiming = fncKeyTiming(kOsMajorVersion);
  currentModeNumber = eModeNumber::Reading;
  bolModeSwitchInProgress = false;
}

bool cApplicationState::fncSaveSettingsAtShutdown(int32_t volume, int32_t tempo, bool nccMode,
                                                  const WindowPlacement& window) {
  ShutdownSettings s;
  s.start = startSettings;
  s.start.volume = volume;
  s.start.tempo = tempo;
  s.window = window;
  s.styleSheet = mStyleSheets.fncCurrentTextSheet();
  s.nccMode = nccMode;
  s.lastBookRead = sLastBookRead;
  s.programFolder = mProgramFolder;
  return fncSaveSettings(*mRegistry, s);
}

}  // namespace lyn
