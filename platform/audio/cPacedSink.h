#pragma once
// The pacing that the null and WAV sinks share: they take audio either as the wall clock runs
// or, on a virtual clock, exactly as much as the clock advances. Subclasses only say what to do
// with the frames.
//
// On the wall clock no thread wakes to pull: what has been heard is what the clock says is due
// since the start, and it is taken lazily, all of it at once, whenever the engine's owner looks
// at the position or changes what is heard (subCatchUp). The player's 10 ms poll so sees the
// position move with real time, while the audio side sleeps until its buffer runs low.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/audio/cVirtualClock.h"
#include "platform/audio/iAudioSink.h"

namespace lyn {

class cPacedSink : public iAudioSink, private iClockedSink {
 public:
  // `clock` is borrowed and may be null (then the wall clock paces the sink).
  explicit cPacedSink(cVirtualClock* clock);
  ~cPacedSink() override;

  bool fncbStart(iAudioSource& source, const AudioFormat& format) final;
  void subStop() final;
  void subCatchUp() final;

 protected:
  // Called by fncbStart before any pulling; false refuses the start.
  virtual bool fncbPrepare(const AudioFormat& format) {
    (void)format;
    return true;
  }
  // Called with the frames that were heard (in the format of fncbStart), inside subCatchUp or
  // the clock's advance; never concurrently.
  virtual void subConsume(const int16_t* frames, size_t count, const AudioFormat& format) = 0;
  // Every subclass calls this first in its destructor, so that no pull reaches subConsume
  // while the subclass is being destroyed.
  void subShutDown();

 private:
  void subAdvanceBy(int64_t microseconds) override;
  void subTake(int64_t frames, bool wait);

  cVirtualClock* mClock;
  std::mutex mMutex;  // guards everything below against concurrent pulls and subStop
  iAudioSource* mSource = nullptr;
  AudioFormat mFormat;
  std::chrono::steady_clock::time_point mStart;  // wall clock: when fncbStart ran
  int64_t mMicroseconds = 0;  // virtual clock: time paced since fncbStart
  int64_t mFramesTaken = 0;   // frames of that time accounted for (heard or silent)
  std::vector<int16_t> mBuffer;
};

}  // namespace lyn
