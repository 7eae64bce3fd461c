#pragma once
// The speed-changing stage: pause shortening, then Sonic's tempo change (the pitch stays).
//
// At tempo 1 without pause shortening the stage passes the samples through untouched, so the
// normal speed is bit-exact. Output stretches are tagged with the file frames they stand for
// (cTimedAudio), so the position heard can be told at any speed.
//
// Used on the engine's audio thread only.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio/AudioFormat.h"
#include "platform/audio/cPauseShortener.h"
#include "platform/audio/cTimedAudio.h"

struct sonicStreamStruct;

namespace lyn {

struct SpeedSettings {
  double tempo = 1.0;  // 2.0 plays twice as fast
  PauseSettings pauses;
  bool operator==(const SpeedSettings&) const = default;
};

class cSpeedStage {
 public:
  explicit cSpeedStage(AudioFormat format);
  ~cSpeedStage();
  cSpeedStage(const cSpeedStage&) = delete;
  cSpeedStage& operator=(const cSpeedStage&) = delete;

  // Takes effect from the next frame on; what the stage holds is passed on first when a part of
  // it is switched off.
  void subConfigure(const SpeedSettings& settings, cTimedAudio& out);
  // Drops everything held (after a seek).
  void subReset();
  void subProcess(const int16_t* in, int64_t frames, int64_t fileStart, cTimedAudio& out);
  // Passes on everything held (end of the stream).
  void subFlush(cTimedAudio& out);

  bool fncbPassThrough() const { return !mbPauses && !mbTempo; }

 private:
  void subToSonic(cTimedAudio& in, cTimedAudio& out);
  void subDrainSonic(cTimedAudio& out);
  int64_t fncFileFrameOfSonicInput(double input) const;

  AudioFormat mFormat;
  SpeedSettings mSettings;
  bool mbPauses = false;
  bool mbTempo = false;
  cPauseShortener mShortener;
  cTimedAudio mShortened;
  sonicStreamStruct* mSonic = nullptr;

  // Where Sonic's input came from: input frame counts at which a run of file frames begins.
  struct Anchor {
    int64_t input;
    int64_t file;
  };
  std::vector<Anchor> mAnchors;
  int64_t mSonicIn = 0;   // frames written into Sonic since the last reset
  int64_t mSonicOut = 0;  // frames read out of it
  // Sonic's output frame o stands for input frame mEpochIn + (o - mEpochOut) * tempo.
  double mEpochIn = 0;
  int64_t mEpochOut = 0;
  std::vector<int16_t> mBuffer;
};

}  // namespace lyn
