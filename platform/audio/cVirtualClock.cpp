#include "platform/audio/cVirtualClock.h"

#include <algorithm>

namespace lyn {

void cVirtualClock::subAdvanceMicroseconds(int64_t microseconds) {
  std::vector<iClockedSink*> sinks;
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mMicroseconds += microseconds;
    sinks = mSinks;
  }
  for (iClockedSink* sink : sinks) sink->subAdvanceBy(microseconds);
}

int64_t cVirtualClock::fncMicroseconds() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mMicroseconds;
}

void cVirtualClock::subJoin(iClockedSink& sink) {
  std::lock_guard<std::mutex> lock(mMutex);
  mSinks.push_back(&sink);
}

void cVirtualClock::subLeave(iClockedSink& sink) {
  std::lock_guard<std::mutex> lock(mMutex);
  mSinks.erase(std::remove(mSinks.begin(), mSinks.end(), &sink), mSinks.end());
}

}  // namespace lyn
