#include "platform/audio/cTimedAudio.h"

#include <algorithm>
#include <cstring>

namespace lyn {

void cTimedAudio::subAppend(const int16_t* samples, int64_t frames, int64_t fileStart,
                            int64_t fileEnd) {
  if (frames <= 0) return;
  mSamples.insert(mSamples.end(), samples, samples + frames * mChannels);
  if (mStretches.size() > mTakenStretch) {
    TimedStretch& last = mStretches.back();
    const bool lastRecorded = last.fileEnd - last.fileStart == last.frames;
    if (lastRecorded && fileEnd - fileStart == frames && last.fileEnd == fileStart) {
      last.frames += frames;
      last.fileEnd = fileEnd;
      return;
    }
  }
  mStretches.push_back({frames, fileStart, fileEnd});
}

int64_t cTimedAudio::fncFrames() const {
  return static_cast<int64_t>(mSamples.size() / static_cast<size_t>(mChannels) - mTaken);
}

int64_t cTimedAudio::fncNextFilePosition() const {
  if (mTakenStretch < mStretches.size()) {
    const TimedStretch& s = mStretches[mTakenStretch];
    return s.fileStart + (s.fileEnd - s.fileStart) * mTakenInStretch / s.frames;
  }
  return mStretches.empty() ? 0 : mStretches.back().fileEnd;
}

int64_t cTimedAudio::fncTake(int16_t* out, int64_t frames, int64_t& fileEnd,
                             int64_t fileLimit) {
  int64_t taken = 0;
  fileEnd = fncNextFilePosition();
  while (taken < frames && mTakenStretch < mStretches.size()) {
    const TimedStretch& s = mStretches[mTakenStretch];
    int64_t n = std::min(frames - taken, s.frames - mTakenInStretch);
    if (fileLimit < s.fileEnd) {
      const int64_t span = s.fileEnd - s.fileStart;
      const int64_t allowed =
          fileLimit <= s.fileStart ? 0 : (fileLimit - s.fileStart) * s.frames / span;
      n = std::min(n, allowed - mTakenInStretch);
      if (n <= 0) break;
    }
    std::memcpy(out + taken * mChannels, mSamples.data() + mTaken * mChannels,
                static_cast<size_t>(n * mChannels) * sizeof(int16_t));
    taken += n;
    mTaken += static_cast<size_t>(n);
    mTakenInStretch += n;
    fileEnd = s.fileStart + (s.fileEnd - s.fileStart) * mTakenInStretch / s.frames;
    if (mTakenInStretch == s.frames) {
      ++mTakenStretch;
      mTakenInStretch = 0;
    }
  }
  subCompact();
  return taken;
}

int64_t cTimedAudio::fncTakeRun(int16_t* out, int64_t frames, int64_t& fileStart,
                                int64_t& fileEnd) {
  fileStart = fncNextFilePosition();
  if (mTakenStretch >= mStretches.size()) {
    fileEnd = fileStart;
    return 0;
  }
  const TimedStretch& s = mStretches[mTakenStretch];
  return fncTake(out, std::min(frames, s.frames - mTakenInStretch), fileEnd);
}

void cTimedAudio::subMoveTo(cTimedAudio& out) {
  for (size_t i = mTakenStretch; i < mStretches.size(); ++i) {
    const TimedStretch& s = mStretches[i];
    const int64_t skip = i == mTakenStretch ? mTakenInStretch : 0;
    const int64_t start = s.fileStart + (s.fileEnd - s.fileStart) * skip / s.frames;
    out.subAppend(mSamples.data() + mTaken * mChannels, s.frames - skip, start, s.fileEnd);
    mTaken += static_cast<size_t>(s.frames - skip);
  }
  subClear();
}

void cTimedAudio::subCompact() {
  if (mTakenStretch == mStretches.size()) {
    mSamples.clear();
    mStretches.clear();
    mTaken = 0;
    mTakenStretch = 0;
    mTakenInStretch = 0;
    return;
  }
  // Drop the taken front only now and then, so taking stays cheap.
  if (mTaken * 2 > mSamples.size() / static_cast<size_t>(mChannels) && mTaken > 4096) {
    mSamples.erase(mSamples.begin(), mSamples.begin() + static_cast<std::ptrdiff_t>(mTaken * mChannels));
    mStretches.erase(mStretches.begin(), mStretches.begin() + static_cast<std::ptrdiff_t>(mTakenStretch));
    mTaken = 0;
    mTakenStretch = 0;
  }
}

}  // namespace lyn
