#pragma once
// The pacing that the null and WAV sinks share: they take audio either as the wall clock runs
// (a thread of their own pulls every 10 ms what the elapsed time asks for) or, on a virtual
// clock, exactly as much as the clock advances. Subclasses only say what to do with the frames.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
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

 protected:
  // Called by fncbStart before any pulling; false refuses the start.
  virtual bool fncbPrepare(const AudioFormat& format) {
    (void)format;
    return true;
  }
  // Called with the frames that were heard (in the format of fncbStart), on the pacing thread or
  // inside the clock's advance; never concurrently.
  virtual void subConsume(const int16_t* frames, size_t count, const AudioFormat& format) = 0;
  // Every subclass calls this first in its destructor, so that no pull reaches subConsume
  // while the subclass is being destroyed.
  void subShutDown();

 private:
  void subAdvanceBy(int64_t microseconds) override;
  void subRun();
  void subTake(int64_t frames, bool wait);

  cVirtualClock* mClock;
  std::mutex mMutex;  // guards mSource against subStop during an advance
  iAudioSource* mSource = nullptr;
  AudioFormat mFormat;
  int64_t mMicroseconds = 0;  // time paced since fncbStart
  int64_t mFramesTaken = 0;   // frames of that time accounted for (heard or silent)
  std::vector<int16_t> mBuffer;

  std::thread mThread;
  std::condition_variable mWake;
  bool mbStopThread = false;
};

}  // namespace lyn
