#pragma once
// Pausing the book player on behalf of a mode that does not know whether a file is open: after a
// mode change the reading mode has closed it, and a pause without a file is an audio error that
// would reach the current reader as one of its own.

#include "audio/cAudioPlaybackSystem.h"

namespace lyn {

inline void subPauseBookPlayer(cAudioPlaybackSystem& player) {
  if (player.mbAudioFileLoaded && !player.psFileName().empty()) player.fncbPause();
}

}  // namespace lyn
