#pragma once
// The arrow-key tracking: tells a tap, a multiple tap and a hold of the left and right arrows
// apart, counting main-timer ticks. Posts "KEYUP" (key, presses) when the multi-press window
// has run out after a release, "KEYHOLD" (key) once a key has been down for the hold
// threshold, and "KEYRELEASE" (key) when a held key is let go.
//
// The record and the counters live in the application state (key-released flag, tick counter,
// key timing); the tracked key, its shift state, the press count and the flags live here.

#include <cstdint>

namespace lyn {

class cApplicationState;

class cKeyTracker {
 public:
  explicit cKeyTracker(cApplicationState& app) : mApp(app) {}

  void subKeyDown(int32_t ilKey, int32_t ilShift);
  void subKeyUp(int32_t ilKey, int32_t ilShift);
  // Runs first on every main-timer tick.
  void subKeyHoldTick();

  int32_t fnclKey() const { return mlKey; }
  int32_t fnclShift() const { return mlShift; }
  int32_t fnclPressCount() const { return mlPressCount; }
  bool fncbTracking() const { return mlKey != 0; }

 private:
  void subPostKeyUpAndClear();
  void subClear();

  cApplicationState& mApp;
  int32_t mlKey = 0;
  int32_t mlShift = 0;
  int32_t mlPressCount = 0;
  bool mbHoldSent = false;
  bool mbKeyDown = false;
};

}  // namespace lyn
