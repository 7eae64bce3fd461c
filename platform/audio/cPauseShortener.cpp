#include "platform/audio/cPauseShortener.h"

#include <algorithm>
#include <cmath>

namespace lyn {

cPauseShortener::cPauseShortener(AudioFormat format)
    : mFormat(format), mBlockFrames(std::max<int64_t>(1, format.rate / 100)) {
  subConfigure(mSettings);
}

void cPauseShortener::subConfigure(const PauseSettings& settings) {
  mSettings = settings;
  mHoldFrames = fncMsToFrames(std::max<int64_t>({settings.maxPauseMs, settings.longFromMs, 80}));
}

void cPauseShortener::subReset() {
  mPartial.clear();
  mbInPause = false;
  mPauseFrames = 0;
  mHead.clear();
  mTail.clear();
  mTailWrite = 0;
}

void cPauseShortener::subProcess(const int16_t* in, int64_t frames, int64_t fileStart,
                                 cTimedAudio& out) {
  const int channels = mFormat.channels;
  int64_t done = 0;
  if (!mPartial.empty()) {
    const int64_t have = static_cast<int64_t>(mPartial.size()) / channels;
    const int64_t need = std::min(mBlockFrames - have, frames);
    mPartial.insert(mPartial.end(), in, in + need * channels);
    done = need;
    if (have + need < mBlockFrames) return;
    std::vector<int16_t> block;
    block.swap(mPartial);
    subBlock(block.data(), mBlockFrames, mPartialStart, out);
  }
  while (frames - done >= mBlockFrames) {
    subBlock(in + done * channels, mBlockFrames, fileStart + done, out);
    done += mBlockFrames;
  }
  if (done < frames) {
    mPartialStart = fileStart + done;
    mPartial.assign(in + done * channels, in + frames * channels);
  }
}

void cPauseShortener::subFlush(cTimedAudio& out) {
  if (!mPartial.empty()) {
    std::vector<int16_t> block;
    block.swap(mPartial);
    subBlock(block.data(), static_cast<int64_t>(block.size()) / mFormat.channels, mPartialStart,
             out);
  }
  if (mbInPause) subEndPause(out);
}

void cPauseShortener::subBlock(const int16_t* block, int64_t frames, int64_t fileStart,
                               cTimedAudio& out) {
  const int channels = mFormat.channels;
  double energy = 0;
  for (int64_t i = 0; i < frames * channels; ++i) energy += double(block[i]) * double(block[i]);
  const double rms = std::sqrt(energy / double(frames * channels)) / 32768.0;
  const double db = rms > 0 ? 20 * std::log10(rms) : -200;
  const bool silent = db < -70 || db < mdSpeechLevel - mSettings.thresholdDb;
  if (!silent) {
    // About one second of speech to follow a change of level.
    mdSpeechLevel += (db - mdSpeechLevel) * 0.01 * double(frames) / double(mBlockFrames);
    if (mbInPause) subEndPause(out);
    out.subAppend(block, frames, fileStart, fileStart + frames);
    return;
  }
  if (!mbInPause) {
    mbInPause = true;
    mPauseStart = fileStart;
    mPauseFrames = 0;
    mHead.clear();
    mTail.assign(static_cast<size_t>(mHoldFrames * channels), 0);
    mTailWrite = 0;
  }
  // The first mHoldFrames frames of the pause go to the head, all of them through the tail ring.
  const int64_t toHead = std::clamp<int64_t>(mHoldFrames - mPauseFrames, 0, frames);
  mHead.insert(mHead.end(), block, block + toHead * channels);
  for (int64_t done = 0; done < frames;) {
    const int64_t at = mTailWrite % mHoldFrames;
    const int64_t n = std::min(frames - done, mHoldFrames - at);
    std::copy(block + done * channels, block + (done + n) * channels,
              mTail.begin() + at * channels);
    done += n;
    mTailWrite += n;
  }
  mPauseFrames += frames;
}

void cPauseShortener::subEndPause(cTimedAudio& out) {
  mbInPause = false;
  const int channels = mFormat.channels;
  const int64_t length = mPauseFrames;
  const int64_t lengthMs = length * 1000 / mFormat.rate;
  const int64_t percent =
      std::max<int64_t>(100, lengthMs < mSettings.longFromMs ? mSettings.shortPercent
                                                             : mSettings.longPercent);
  int64_t keep = length * 100 / percent;
  if (mSettings.maxPauseMs > 0) keep = std::min(keep, fncMsToFrames(mSettings.maxPauseMs));
  keep = std::min(length, std::max(keep, fncMsToFrames(80)));
  const int64_t headKeep = keep / 2;
  const int64_t tailKeep = keep - headKeep;
  if (keep == length && length <= mHoldFrames) {
    out.subAppend(mHead.data(), length, mPauseStart, mPauseStart + length);
  } else {
    out.subAppend(mHead.data(), headKeep, mPauseStart, mPauseStart + headKeep);
    // The last tailKeep frames of the pause, from the tail ring (or the head when it is short).
    const int64_t tailFrom = length - tailKeep;
    if (length <= mHoldFrames) {
      out.subAppend(mHead.data() + tailFrom * channels, tailKeep, mPauseStart + tailFrom,
                    mPauseStart + length);
    } else {
      std::vector<int16_t> tail(static_cast<size_t>(tailKeep * channels));
      for (int64_t i = 0; i < tailKeep; ++i) {
        const int64_t at = (mTailWrite - tailKeep + i) % mHoldFrames;
        std::copy(mTail.begin() + at * channels, mTail.begin() + (at + 1) * channels,
                  tail.begin() + i * channels);
      }
      out.subAppend(tail.data(), tailKeep, mPauseStart + tailFrom, mPauseStart + length);
    }
  }
  mPauseFrames = 0;
  mHead.clear();
}

}  // namespace lyn
