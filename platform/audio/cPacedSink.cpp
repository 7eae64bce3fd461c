#include "platform/audio/cPacedSink.h"

#include <algorithm>

namespace lyn {

cPacedSink::cPacedSink(cVirtualClock* clock) : mClock(clock) {
  if (mClock != nullptr) mClock->subJoin(*this);
}

cPacedSink::~cPacedSink() { subShutDown(); }

void cPacedSink::subShutDown() {
  subStop();
  if (mClock != nullptr) mClock->subLeave(*this);
  mClock = nullptr;
}

bool cPacedSink::fncbStart(iAudioSource& source, const AudioFormat& format) {
  subStop();
  if (!fncbPrepare(format)) return false;
  std::lock_guard<std::mutex> lock(mMutex);
  mSource = &source;
  mFormat = format;
  mStart = std::chrono::steady_clock::now();
  mMicroseconds = 0;
  mFramesTaken = 0;
  mBuffer.assign(static_cast<size_t>(std::max(1, format.rate / 50) * format.channels), 0);
  return true;
}

void cPacedSink::subStop() {
  std::lock_guard<std::mutex> lock(mMutex);
  mSource = nullptr;
}

void cPacedSink::subTake(int64_t frames, bool wait) {
  // mMutex is held.
  const size_t chunk = mBuffer.size() / static_cast<size_t>(mFormat.channels);
  while (frames > 0) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(frames, int64_t(chunk)));
    const size_t got = mSource->fncPull(mBuffer.data(), want, wait);
    if (got > 0) subConsume(mBuffer.data(), got, mFormat);
    frames -= static_cast<int64_t>(want);
    // What the source did not give is silence: it is paused, stopped or late. Without waiting,
    // the rest of the time due is silence too.
    if (got < want) {
      if (!wait) break;
      wait = false;
    }
  }
}

void cPacedSink::subAdvanceBy(int64_t microseconds) {
  std::lock_guard<std::mutex> lock(mMutex);
  if (mSource == nullptr) return;
  mMicroseconds += microseconds;
  const int64_t target = fncFramesIn(mFormat, mMicroseconds);
  const int64_t frames = target - mFramesTaken;
  mFramesTaken = target;
  subTake(frames, true);
}

void cPacedSink::subCatchUp() {
  std::lock_guard<std::mutex> lock(mMutex);
  // A virtual clock takes its audio as it advances.
  if (mClock != nullptr || mSource == nullptr) return;
  const int64_t elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
                              std::chrono::steady_clock::now() - mStart)
                              .count();
  const int64_t target = fncFramesIn(mFormat, elapsed);
  const int64_t frames = target - mFramesTaken;
  mFramesTaken = target;
  subTake(frames, false);
}

}  // namespace lyn
