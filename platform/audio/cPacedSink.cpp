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
  mMicroseconds = 0;
  mFramesTaken = 0;
  mBuffer.assign(static_cast<size_t>(std::max(1, format.rate / 50) * format.channels), 0);
  if (mClock == nullptr) {
    mbStopThread = false;
    mThread = std::thread([this] { subRun(); });
  }
  return true;
}

void cPacedSink::subStop() {
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mbStopThread = true;
  }
  mWake.notify_all();
  if (mThread.joinable()) mThread.join();
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
    // What the source did not give is silence: it is paused, stopped or late.
    if (got < want) wait = false;
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

void cPacedSink::subRun() {
  using clock = std::chrono::steady_clock;
  const auto start = clock::now();
  std::unique_lock<std::mutex> lock(mMutex);
  while (!mbStopThread) {
    mWake.wait_for(lock, std::chrono::milliseconds(10));
    if (mbStopThread) break;
    const int64_t elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(clock::now() - start).count();
    const int64_t target = fncFramesIn(mFormat, elapsed);
    const int64_t frames = target - mFramesTaken;
    mFramesTaken = target;
    subTake(frames, false);
  }
}

}  // namespace lyn
