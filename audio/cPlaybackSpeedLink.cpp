#include "audio/cPlaybackSpeedLink.h"

#include "audio/cVariControl.h"
#include "shell/cApplicationState.h"

namespace lyn {

bool cPlaybackSpeedLink::fncbBookshelfIsCurrent() const {
  return mState.currentModeNumber == eModeNumber::Bookshelf;
}

void cPlaybackSpeedLink::subApplyCurrentSpeed() { mVari.subSetSpeed(mVari.Speed()); }

}  // namespace lyn
