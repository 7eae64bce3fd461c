#pragma once
// No device: the frames are taken as time passes and dropped. Counts what it took.

#include <atomic>

#include "platform/audio/cPacedSink.h"

namespace lyn {

class cNullSink final : public cPacedSink {
 public:
  explicit cNullSink(cVirtualClock* clock = nullptr) : cPacedSink(clock) {}
  ~cNullSink() override { subShutDown(); }
  const char* fncName() const override { return "null"; }

  // Frames heard since the sink was made.
  int64_t fncFramesHeard() const { return mFramesHeard.load(); }

 private:
  void subConsume(const int16_t*, size_t count, const AudioFormat&) override {
    mFramesHeard += static_cast<int64_t>(count);
  }
  std::atomic<int64_t> mFramesHeard{0};
};

}  // namespace lyn
