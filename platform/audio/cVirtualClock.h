#pragma once
// A clock for sinks that do not follow the wall clock (tests, writing a WAV file as fast as
// possible). Time moves only when subAdvance is called: every sink on the clock then takes
// exactly that much audio from its engine, waiting for the engine's audio thread to supply it
// (or until the engine pauses, stops or reaches its end). So a test that advances the clock by
// 10 ms has heard exactly 10 ms more of every playing file, whatever the machine's speed.
//
// Sinks join in their constructor and leave in their destructor. subAdvance is called from one
// thread (the one that drives the poll); it is not called from inside a sink.

#include <cstdint>
#include <mutex>
#include <vector>

namespace lyn {

class iClockedSink {
 public:
  virtual ~iClockedSink() = default;
  // Take `microseconds` of audio now.
  virtual void subAdvanceBy(int64_t microseconds) = 0;
};

class cVirtualClock {
 public:
  void subAdvance(int64_t milliseconds) { subAdvanceMicroseconds(milliseconds * 1000); }
  void subAdvanceMicroseconds(int64_t microseconds);
  // Total time advanced so far.
  int64_t fncMicroseconds() const;

  void subJoin(iClockedSink& sink);
  void subLeave(iClockedSink& sink);

 private:
  mutable std::mutex mMutex;
  std::vector<iClockedSink*> mSinks;
  int64_t mMicroseconds = 0;
};

}  // namespace lyn
