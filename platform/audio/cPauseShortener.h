#pragma once
// Shortens the pauses of a recording, leaving its speech untouched.
//
// The signal is measured in 10-ms blocks. A block is silence when its level lies more than
// `thresholdDb` below the running speech level (the average level of the recent speech blocks),
// or below -70 dBFS; anything else is speech and passes unchanged. A pause (a run of silent
// blocks) of length L is kept as L * 100 / percent, where percent is `shortPercent` for pauses
// shorter than `longFromMs` and `longPercent` for the others, then at most `maxPauseMs`; it is
// never made shorter than 80 ms and never longer than it was. The kept part is the beginning and
// the end of the pause, so the fading end of one word and the onset of the next are both kept.
//
// The stage holds back a pause until it ends (at most 2 × max(maxPauseMs, longFromMs) of
// audio), so memory stays bounded however long the silence is.

#include <cstdint>
#include <vector>

#include "platform/audio/AudioFormat.h"
#include "platform/audio/cTimedAudio.h"

namespace lyn {

struct PauseSettings {
  int32_t maxPauseMs = 3000;
  int32_t shortPercent = 100;
  int32_t thresholdDb = 20;
  int32_t longFromMs = 1000;
  int32_t longPercent = 100;

  // Shortening happens only when one of the two percentages asks for it.
  bool fncbActive() const { return shortPercent > 100 || longPercent > 100; }
  bool operator==(const PauseSettings&) const = default;
};

class cPauseShortener {
 public:
  explicit cPauseShortener(AudioFormat format);

  void subConfigure(const PauseSettings& settings);
  // Forgets a pause in progress and any partial block (after a seek); the speech level stays.
  void subReset();
  // Takes `frames` frames that start at file frame `fileStart`; appends what is kept to `out`.
  void subProcess(const int16_t* in, int64_t frames, int64_t fileStart, cTimedAudio& out);
  // Passes on everything held back (end of stream, or before the stage is switched off).
  void subFlush(cTimedAudio& out);

  double fncSpeechLevelDb() const { return mdSpeechLevel; }

 private:
  void subBlock(const int16_t* block, int64_t frames, int64_t fileStart, cTimedAudio& out);
  void subEndPause(cTimedAudio& out);
  int64_t fncMsToFrames(int64_t ms) const { return ms * mFormat.rate / 1000; }

  AudioFormat mFormat;
  PauseSettings mSettings;
  int64_t mBlockFrames;
  double mdSpeechLevel = -20;

  std::vector<int16_t> mPartial;  // the start of a block not yet complete
  int64_t mPartialStart = 0;

  // The pause being held back: its first frames, the latest frames (a ring), its length.
  bool mbInPause = false;
  int64_t mPauseStart = 0;
  int64_t mPauseFrames = 0;
  int64_t mHoldFrames = 0;
  std::vector<int16_t> mHead;
  std::vector<int16_t> mTail;
  int64_t mTailWrite = 0;  // frames written into the tail ring in all
};

}  // namespace lyn
