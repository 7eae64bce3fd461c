#include "platform/audio/cAudioEngine.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <vector>

#include "platform/audio/AudioDecoders.h"
#include "platform/audio/cNullSink.h"

namespace lyn {
namespace {
constexpr int64_t kDecodeFrames = 1152;  // one MPEG-1 frame
// Audio decoded ahead of the sink. Large, so that each side wakes the other rarely (the audio
// thread refills it once half is left: every two seconds), and so that a sink with no device of
// its own, which drains it only when looked at, may be looked at as rarely; what is heard still
// changes at once, since a seek, an open or a new speed discards it.
constexpr int64_t kReadyMilliseconds = 4000;
}

cAudioEngine::cAudioEngine(std::unique_ptr<iAudioSink> sink, bool hasSpeedStage, cSoundDeviceNotice* notice)
    : mbHasSpeedStage(hasSpeedStage), mSink(std::move(sink)), mNotice(notice) {
  if (!mSink) mSink = std::make_unique<cNullSink>();
  mThread = std::thread([this] { subRun(); });
}

cAudioEngine::~cAudioEngine() {
  mSink->subCatchUp();
  mSink->subStop();
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mbQuit = true;
  }
  mWake.notify_all();
  mDataReady.notify_all();
  mThread.join();
}

void cAudioEngine::subStartSink(const AudioFormat& format) {
  if (mSinkFormat == format) return;
  mSink->subStop();
  mSinkFormat = {};
  if (!mSink->fncbStart(*this, format)) {
    if (mNotice) {
      mNotice->subSay();
    } else if (!mbSinkWarned) {
      std::cerr << cSoundDeviceNotice::kText << '\n';
      mbSinkWarned = true;
    }
    mSink = std::make_unique<cNullSink>();
    mSink->fncbStart(*this, format);
  }
  mSinkFormat = format;
}

bool cAudioEngine::fncbOpen(const std::string& path, std::string& error) {
  mSink->subCatchUp();
  std::unique_ptr<iAudioDecoder> decoder = fncOpenAudioDecoder(path, error);
  if (!decoder) {
    subClose();
    return false;
  }
  const AudioFormat format = decoder->fncFormat();
  if (format != mSinkFormat) mSink->subStop();
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mFormat = format;
    mLength = decoder->fncLength();
    mbLengthExact = decoder->fncbLengthExact();
    mIncoming = std::move(decoder);
    mbNewDecoder = true;
    mSeekTarget = -1;
    ++mGeneration;
    mReady.subReset(format.channels);
    mCapacity = std::max<int64_t>(4 * kDecodeFrames, format.rate * kReadyMilliseconds / 1000);
    mbProducerDone = false;
    mbMeasureWanted = false;
    mbHandedOver = false;
    mbHasFile = true;
    mState = eState::Stopped;
    mbEndOfStream = false;
    mHeard = 0;
    mStop = -1;
  }
  mWake.notify_all();
  if (format != mSinkFormat) {
    mSinkFormat = {};
    subStartSink(format);
  }
  return true;
}

void cAudioEngine::subClose() {
  mSink->subCatchUp();
  {
    std::lock_guard<std::mutex> lock(mMutex);
    if (!mbHasFile && !mbNewDecoder) return;
    mIncoming.reset();
    mbNewDecoder = true;
    mSeekTarget = -1;
    ++mGeneration;
    mReady.subClear();
    mbProducerDone = false;
    mbHasFile = false;
    mState = eState::Stopped;
    mbEndOfStream = false;
    mHeard = -1;
    mStop = -1;
    mLength = 0;
  }
  mWake.notify_all();
  mDataReady.notify_all();
}

bool cAudioEngine::fncbHasFile() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mbHasFile;
}

bool cAudioEngine::fncbPlay() {
  mSink->subCatchUp();
  std::lock_guard<std::mutex> lock(mMutex);
  if (!mbHasFile) return false;
  mState = eState::Running;
  mbEndOfStream = false;
  mbHandedOver = false;
  return true;
}

bool cAudioEngine::fncbPause() {
  mSink->subCatchUp();
  {
    std::lock_guard<std::mutex> lock(mMutex);
    if (!mbHasFile) return false;
    mState = eState::Paused;
  }
  mDataReady.notify_all();
  return true;
}

bool cAudioEngine::fncbSeek(int64_t frame) {
  mSink->subCatchUp();
  {
    std::lock_guard<std::mutex> lock(mMutex);
    if (!mbHasFile) return false;
    frame = std::clamp<int64_t>(frame, 0, mLength);
    mSeekTarget = frame;
    ++mGeneration;
    mReady.subClear();
    mbProducerDone = false;
    mbEndOfStream = false;
    mbHandedOver = false;
    mHeard = frame;
  }
  mWake.notify_all();
  return true;
}

void cAudioEngine::subSetStopPoint(int64_t frame) {
  mSink->subCatchUp();
  std::lock_guard<std::mutex> lock(mMutex);
  mStop = frame < 0 ? -1 : frame;
  mbEndOfStream = false;
}

void cAudioEngine::subClearStopPoint() {
  mSink->subCatchUp();
  std::lock_guard<std::mutex> lock(mMutex);
  if (mStop < 0) return;
  mStop = -1;
  mbEndOfStream = false;
}

int64_t cAudioEngine::fncPosition() const {
  mSink->subCatchUp();
  std::lock_guard<std::mutex> lock(mMutex);
  return mbHasFile ? mHeard : -1;
}

int64_t cAudioEngine::fncLength() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mbHasFile ? mLength : 0;
}

bool cAudioEngine::fncbLengthExact() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mbLengthExact;
}

bool cAudioEngine::fncbEndOfStream() const {
  mSink->subCatchUp();
  std::lock_guard<std::mutex> lock(mMutex);
  return mbEndOfStream;
}

cAudioEngine::eState cAudioEngine::fncState() const {
  mSink->subCatchUp();
  std::lock_guard<std::mutex> lock(mMutex);
  return mState;
}

cAudioEngine::Snapshot cAudioEngine::fncSnapshot() const {
  mSink->subCatchUp();
  std::lock_guard<std::mutex> lock(mMutex);
  return {mState, mbHasFile ? mHeard : -1, mbEndOfStream};
}

AudioFormat cAudioEngine::fncFormat() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mFormat;
}

void cAudioEngine::subWantExactLength() {
  {
    std::lock_guard<std::mutex> lock(mMutex);
    if (!mbHasFile || mbLengthExact) return;
    mbMeasureWanted = true;
  }
  mWake.notify_all();
}

void cAudioEngine::subSetGain(double gain) {
  mSink->subCatchUp();
  mGain.store(static_cast<float>(std::clamp(gain, 0.0, 1.0)));
}

void cAudioEngine::subSetSpeed(const SpeedSettings& settings) {
  if (!mbHasSpeedStage) return;
  mSink->subCatchUp();
  {
    std::lock_guard<std::mutex> lock(mMutex);
    if (mSpeed == settings) return;
    mSpeed = settings;
    mbSpeedChanged = true;
    // What is already buffered was made at the old speed: it is made again from the position
    // heard, so the new speed is heard at once (and the first frame of a newly opened file
    // already has the speed of the current row).
    if (mbHasFile) {
      mSeekTarget = std::max<int64_t>(mHeard, 0);
      ++mGeneration;
      mReady.subClear();
      mbProducerDone = false;
    }
  }
  mWake.notify_all();
}

bool cAudioEngine::fncbSpeedStageActive() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mbStageActive;
}

const char* cAudioEngine::fncSinkName() const { return mSink->fncName(); }

int64_t cAudioEngine::fncFramesReady() const {
  mSink->subCatchUp();
  std::lock_guard<std::mutex> lock(mMutex);
  return mReady.fncFrames();
}

void cAudioEngine::subReachEnd() {
  // mMutex is held.
  mState = eState::Stopped;
  mbEndOfStream = true;
}

size_t cAudioEngine::fncPull(int16_t* out, size_t frames, bool wait) {
  std::unique_lock<std::mutex> lock(mMutex);
  const int channels = mFormat.channels;
  int64_t got = 0;
  const int64_t want = static_cast<int64_t>(frames);
  while (got < want && mState == eState::Running && !mbQuit) {
    if (mStop >= 0 && mHeard >= mStop) {
      subReachEnd();
      break;
    }
    if (!mReady.fncbEmpty()) {
      int64_t fileEnd = 0;
      const int64_t n = mReady.fncTake(out + got * channels, want - got, fileEnd,
                                       mStop >= 0 ? mStop : INT64_MAX);
      got += n;
      if (n > 0) {
        mHeard = fileEnd;
        mbHandedOver = true;
      }
      // The decoder sleeps until half the buffer has been heard, then refills it in one go.
      if (mbProducerWaiting && mReady.fncFrames() <= mCapacity / 2) mWake.notify_one();
      if (n == 0 || (mStop >= 0 && mHeard >= mStop)) {
        if (mStop >= 0) mHeard = std::max(mHeard, std::min(mStop, mLength));
        subReachEnd();
        break;
      }
      continue;
    }
    if (mbProducerDone) {
      subReachEnd();
      break;
    }
    if (!wait) break;
    mbConsumerWaiting = true;
    mDataReady.wait(lock);
    mbConsumerWaiting = false;
  }
  lock.unlock();
  const float gain = mGain.load();
  if (gain < 1.0f) {
    for (int64_t i = 0; i < got * channels; ++i)
      out[i] = static_cast<int16_t>(std::lrint(float(out[i]) * gain));
  }
  return static_cast<size_t>(got);
}

void cAudioEngine::subWaitForWork(std::unique_lock<std::mutex>& lock) {
  mbProducerWaiting = true;
  mWake.wait(lock);
  mbProducerWaiting = false;
}

void cAudioEngine::subRun() {
  std::unique_ptr<iAudioDecoder> decoder;
  std::unique_ptr<cSpeedStage> stage;
  cTimedAudio pending;
  std::vector<int16_t> buffer;
  AudioFormat format;
  int64_t position = 0;
  uint64_t generation = 0;
  bool atEnd = false;

  std::unique_lock<std::mutex> lock(mMutex);
  for (;;) {
    if (mbQuit) break;

    if (mbNewDecoder) {
      mbNewDecoder = false;
      std::unique_ptr<iAudioDecoder> old = std::move(decoder);
      decoder = std::move(mIncoming);
      generation = mGeneration;
      format = mFormat;
      position = 0;
      atEnd = false;
      mbSpeedChanged = true;
      lock.unlock();
      old.reset();
      stage.reset();
      pending.subReset(std::max(format.channels, 1));
      if (decoder) {
        buffer.assign(static_cast<size_t>(kDecodeFrames * format.channels), 0);
        if (mbHasSpeedStage) stage = std::make_unique<cSpeedStage>(format);
      }
      lock.lock();
      continue;
    }

    // The exact length of a stream that does not say it, once it is wanted and playback has
    // started: the sink has had its first frames (so the first sample never waits for this pass
    // over the file) and has a frame's worth more, or waits for it anyway. Not only when the
    // buffer is full: a sink that drains as fast as the buffer fills (a virtual clock, a busy
    // machine) would otherwise reach the clip's end first. Reading resumes on the same frame,
    // so nothing buffered is lost.
    const int64_t ready = mReady.fncFrames();
    if (mbMeasureWanted && decoder && !atEnd && mState == eState::Running && mSeekTarget < 0 &&
        (ready >= mCapacity || (mbHandedOver && (ready >= kDecodeFrames || mbConsumerWaiting)))) {
      mbMeasureWanted = false;
      lock.unlock();
      decoder->subMeasureLength();
      const bool back = decoder->fncbSeek(position);
      lock.lock();
      if (mbNewDecoder) continue;
      mLength = std::max<int64_t>(decoder->fncLength(), 0);
      mbLengthExact = true;
      if (!back) atEnd = true;
      continue;
    }

    if (mSeekTarget >= 0) {
      const int64_t target = mSeekTarget;
      mSeekTarget = -1;
      generation = mGeneration;
      lock.unlock();
      const bool ok = decoder && decoder->fncbSeek(target);
      if (stage) stage->subReset();
      pending.subClear();
      lock.lock();
      if (generation != mGeneration) continue;
      position = target;
      atEnd = !ok;
      continue;
    }

    if (mbSpeedChanged) {
      mbSpeedChanged = false;
      const SpeedSettings settings = mSpeed;
      if (stage) {
        lock.unlock();
        stage->subConfigure(settings, pending);
        lock.lock();
        mbStageActive = !stage->fncbPassThrough();
        if (generation != mGeneration) pending.subClear();
      }
      continue;
    }

    if (generation != mGeneration) {
      // Only a seek or an open moves the generation, and both are handled above.
      generation = mGeneration;
      pending.subClear();
      continue;
    }

    if (!pending.fncbEmpty()) {
      int64_t room = mCapacity - mReady.fncFrames();
      if (room <= 0) {
        subWaitForWork(lock);
        continue;
      }
      if (pending.fncFrames() <= room) pending.subMoveTo(mReady);
      while (room > 0 && !pending.fncbEmpty()) {
        int64_t fileStart = 0;
        int64_t fileEnd = 0;
        std::vector<int16_t>& scratch = buffer;
        const int64_t chunk = std::min<int64_t>(room, int64_t(scratch.size()) / format.channels);
        const int64_t n = pending.fncTakeRun(scratch.data(), chunk, fileStart, fileEnd);
        if (n <= 0) break;
        mReady.subAppend(scratch.data(), n, fileStart, fileEnd);
        room -= n;
      }
      // A sink that waits is woken at once for its first frames after a play, a seek or an
      // open (the first sample never waits for a batch); after that only once half the buffer
      // is ready, not for every decoded frame (a sink on a virtual clock outruns the decoder and
      // would otherwise wake once per frame).
      if (mbConsumerWaiting && (!mbHandedOver || mReady.fncFrames() >= mCapacity / 2))
        mDataReady.notify_all();
      continue;
    }

    if (!decoder || atEnd) {
      if (decoder && atEnd && !mbProducerDone) {
        mbProducerDone = true;
        mDataReady.notify_all();
      }
      subWaitForWork(lock);
      continue;
    }

    if (mReady.fncFrames() >= mCapacity) {
      subWaitForWork(lock);
      continue;
    }

    lock.unlock();
    const int64_t n = static_cast<int64_t>(decoder->fncRead(buffer.data(), kDecodeFrames));
    if (n > 0) {
      if (stage)
        stage->subProcess(buffer.data(), n, position, pending);
      else
        pending.subAppend(buffer.data(), n, position, position + n);
    } else if (stage) {
      stage->subFlush(pending);
    }
    lock.lock();
    if (generation != mGeneration) continue;
    position += n;
    if (n == 0) {
      atEnd = true;
      // The true end: a header that promised more (a truncated file) is corrected, and a length
      // that was only estimated becomes exact.
      mLength = position;
      mbLengthExact = true;
    }
  }
}

}  // namespace lyn
