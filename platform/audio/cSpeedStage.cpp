#include "platform/audio/cSpeedStage.h"

#include <sonic.h>

#include <algorithm>
#include <cmath>

namespace lyn {

cSpeedStage::cSpeedStage(AudioFormat format) : mFormat(format), mShortener(format),
                                               mShortened(format.channels) {
  mSonic = sonicCreateStream(format.rate, format.channels);
  mBuffer.resize(static_cast<size_t>(4096 * format.channels));
}

cSpeedStage::~cSpeedStage() {
  if (mSonic != nullptr) sonicDestroyStream(mSonic);
}

void cSpeedStage::subConfigure(const SpeedSettings& settings, cTimedAudio& out) {
  const bool pauses = settings.pauses.fncbActive();
  const bool tempo = std::fabs(settings.tempo - 1.0) > 1e-6 && mSonic != nullptr;
  if (mbPauses && !pauses) {
    mShortener.subFlush(mShortened);
    subToSonic(mShortened, out);
  }
  if (mbTempo && !tempo) {
    sonicFlushStream(mSonic);
    subDrainSonic(out);
    // Sonic is empty now: its counts start again with the next frame.
    mSonicIn = mSonicOut = 0;
    mEpochIn = 0;
    mEpochOut = 0;
    mAnchors.clear();
  }
  if (tempo) {
    // A new epoch: from here on output frames stand for input at the new tempo.
    mEpochIn = mEpochIn + double(mSonicOut - mEpochOut) * (mbTempo ? mSettings.tempo : 1.0);
    mEpochOut = mSonicOut;
    sonicSetSpeed(mSonic, static_cast<float>(settings.tempo));
    sonicSetPitch(mSonic, 1.0f);
    sonicSetRate(mSonic, 1.0f);
  }
  mShortener.subConfigure(settings.pauses);
  mSettings = settings;
  mbPauses = pauses;
  mbTempo = tempo;
}

void cSpeedStage::subReset() {
  mShortener.subReset();
  mShortened.subClear();
  if (mSonic != nullptr) {
    sonicDestroyStream(mSonic);
    mSonic = sonicCreateStream(mFormat.rate, mFormat.channels);
    if (mSonic != nullptr) {
      sonicSetSpeed(mSonic, static_cast<float>(mSettings.tempo));
      sonicSetPitch(mSonic, 1.0f);
      sonicSetRate(mSonic, 1.0f);
    }
  }
  mAnchors.clear();
  mSonicIn = mSonicOut = 0;
  mEpochIn = 0;
  mEpochOut = 0;
}

void cSpeedStage::subProcess(const int16_t* in, int64_t frames, int64_t fileStart,
                             cTimedAudio& out) {
  if (fncbPassThrough()) {
    out.subAppend(in, frames, fileStart, fileStart + frames);
    return;
  }
  if (mbPauses)
    mShortener.subProcess(in, frames, fileStart, mShortened);
  else
    mShortened.subAppend(in, frames, fileStart, fileStart + frames);
  subToSonic(mShortened, out);
}

void cSpeedStage::subFlush(cTimedAudio& out) {
  if (mbPauses) mShortener.subFlush(mShortened);
  subToSonic(mShortened, out);
  if (mbTempo) {
    sonicFlushStream(mSonic);
    subDrainSonic(out);
  }
}

void cSpeedStage::subToSonic(cTimedAudio& in, cTimedAudio& out) {
  if (!mbTempo) {
    in.subMoveTo(out);
    return;
  }
  while (!in.fncbEmpty()) {
    int64_t fileStart = 0;
    int64_t fileEnd = 0;
    const int64_t n = in.fncTakeRun(mBuffer.data(), 4096, fileStart, fileEnd);
    if (n <= 0) break;
    if (mAnchors.empty() || mAnchors.back().file + (mSonicIn - mAnchors.back().input) != fileStart)
      mAnchors.push_back({mSonicIn, fileStart});
    sonicWriteShortToStream(mSonic, mBuffer.data(), static_cast<int>(n));
    mSonicIn += n;
    subDrainSonic(out);
  }
}

int64_t cSpeedStage::fncFileFrameOfSonicInput(double input) const {
  const int64_t at = std::clamp<int64_t>(static_cast<int64_t>(input), 0, mSonicIn);
  auto it = std::upper_bound(mAnchors.begin(), mAnchors.end(), at,
                             [](int64_t value, const Anchor& a) { return value < a.input; });
  if (it == mAnchors.begin()) return mAnchors.empty() ? 0 : mAnchors.front().file;
  --it;
  return it->file + (at - it->input);
}

void cSpeedStage::subDrainSonic(cTimedAudio& out) {
  for (;;) {
    const int got = sonicReadShortFromStream(mSonic, mBuffer.data(), 4096);
    if (got <= 0) break;
    const double tempo = mSettings.tempo;
    const double inStart = mEpochIn + double(mSonicOut - mEpochOut) * tempo;
    mSonicOut += got;
    const double inEnd = mEpochIn + double(mSonicOut - mEpochOut) * tempo;
    const int64_t fileStart = fncFileFrameOfSonicInput(inStart);
    int64_t fileEnd = fncFileFrameOfSonicInput(inEnd);
    if (fileEnd < fileStart) fileEnd = fileStart;
    out.subAppend(mBuffer.data(), got, fileStart, fileEnd);
    // Anchors wholly behind the output are no longer needed.
    size_t keepFrom = 0;
    while (keepFrom + 1 < mAnchors.size() && mAnchors[keepFrom + 1].input <= int64_t(inEnd))
      ++keepFrom;
    if (keepFrom > 64) mAnchors.erase(mAnchors.begin(), mAnchors.begin() + std::ptrdiff_t(keepFrom));
  }
}

}  // namespace lyn
