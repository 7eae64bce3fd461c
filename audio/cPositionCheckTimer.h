#pragma once
// The timer whose ticks poll playback objects. One timer drives any number of them: each
// attached object is polled on every tick, in the order of attachment.
//
// The window's 10-ms timer calls subTick(). With a virtual clock (tests, and the tools writing a
// WAV file faster than real time) each tick first advances the clock by the interval, so every
// sink on that clock takes exactly that much audio, and then polls; without one, the sinks run on
// the real clock by themselves and a tick only polls.

#include <cstdint>
#include <vector>

namespace lyn {

class cAudioPlaybackSystem;
class cVirtualClock;

class cPositionCheckTimer {
 public:
  // `clock` is borrowed and may be null.
  explicit cPositionCheckTimer(cVirtualClock* clock = nullptr, int32_t ilIntervalMs = 10);
  ~cPositionCheckTimer();
  cPositionCheckTimer(const cPositionCheckTimer&) = delete;
  cPositionCheckTimer& operator=(const cPositionCheckTimer&) = delete;

  // Sets the object's mtimerPositionCheckTimer to this timer (leaving any earlier one).
  void subAttach(cAudioPlaybackSystem& player);
  void subDetach(cAudioPlaybackSystem& player);

  // Advances the virtual clock (when there is one) by the interval, then polls every object.
  // An object attached during a tick is polled from the next tick on; one detached (or
  // destroyed) during a tick is not polled again.
  void subTick();
  // `count` ticks in a row.
  void subTicks(int32_t ilCount);

  int32_t fnclInterval() const { return mlIntervalMs; }
  cVirtualClock* fncClock() const { return mClock; }

 private:
  cVirtualClock* mClock;
  int32_t mlIntervalMs;
  std::vector<cAudioPlaybackSystem*> mPlayers;
};

}  // namespace lyn
