#include "shell/cKeyTracker.h"

#include "shell/KeyCodes.h"
#include "shell/cApplicationState.h"

namespace lyn {

void cKeyTracker::subClear() {
  mlKey = 0;
  mlShift = 0;
  mlPressCount = 0;
  mbHoldSent = false;
  mbKeyDown = false;
}

void cKeyTracker::subPostKeyUpAndClear() {
  mApp.queue().subAddMessage("KEYUP", mlKey, mlPressCount);
  subClear();
}

void cKeyTracker::subKeyDown(int32_t ilKey, int32_t ilShift) {
  if (mApp.bolKeyReleased) {
    if (ilKey == mlKey && ilShift == mlShift && mApp.lKeyTickCounter < mApp.keyTiming.multiPressWindow) {
      ++mlPressCount;
      mApp.lKeyTickCounter = 0;
    } else if (ilKey == mlKey || mlKey == 0) {
      mlKey = ilKey;
      mlShift = ilShift;
      mlPressCount = 1;
      mbHoldSent = false;
      mbKeyDown = true;
      mApp.lKeyTickCounter = 0;
      mApp.bolKeyReleased = false;
    } else {
      // Another key while a tap is pending: the tap counts now; the new key is not tracked.
      subPostKeyUpAndClear();
    }
  } else if (ilKey == key::Space) {
    subPostKeyUpAndClear();
  }
}

void cKeyTracker::subKeyUp(int32_t ilKey, int32_t ilShift) {
  if (ilKey != mlKey || ilShift != mlShift) return;
  mApp.lKeyTickCounter = 0;
  if (mbHoldSent) {
    subClear();
    mApp.queue().subAddMessage("KEYRELEASE", ilKey);
  }
  mbKeyDown = false;
  mApp.bolKeyReleased = true;
}

void cKeyTracker::subKeyHoldTick() {
  if (mlKey != key::Left && mlKey != key::Right) return;
  ++mApp.lKeyTickCounter;
  if (mApp.lKeyTickCounter >= mApp.keyTiming.holdThreshold && !mApp.bolKeyReleased && !mbHoldSent) {
    mbHoldSent = true;
    mApp.queue().subAddMessage("KEYHOLD", mlKey);
  } else if (mApp.lKeyTickCounter >= mApp.keyTiming.multiPressWindow && mlKey != 0 && !mbKeyDown) {
    subPostKeyUpAndClear();
  }
}

}  // namespace lyn
