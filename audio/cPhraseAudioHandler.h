#pragma once
// The real audio control: an audio engine (decoders, speed stage, audio thread, sink) behind
// the PhraseAudioHandler operations.
//
// Making one:
//   fncCreate(eAudioRole::Book)    the book player's control, with the speed stage
//   fncCreate(eAudioRole::Prompt)  the prompt player's control, without it (prompts keep speed)
// The sink follows LYN_AUDIO: "sdl" (the sound card, the default), "null" (no device) or
// "wav:PATH" (writes what would be heard; the prompt control writes PATH with ".prompts" before
// its extension, so the two never share a file). When no sound device opens, the sound goes to
// the null sink with one warning on stderr. With `clock` the null and WAV sinks take audio only
// when the clock advances (see cVirtualClock.h); tests give one.
//
// Volume steps: gain = (step / 10) ^ (1 / 0.6), so that loudness (which grows as amplitude to
// the power 0.6) rises by the same amount per step: 10 is the recording's level, 0 is silence,
// nothing is ever amplified.

#include <cstdint>
#include <memory>
#include <string>

#include "audio/PhraseAudioHandler.h"

namespace lyn {

class cAudioEngine;
class cSoundDeviceNotice;
class cVirtualClock;
class iAudioSink;

enum class eAudioRole { Book, Prompt };

class cPhraseAudioHandler final : public PhraseAudioHandler {
 public:
  static std::unique_ptr<PhraseAudioHandler> fncCreate(eAudioRole role,
                                                       cVirtualClock* clock = nullptr);
  // The control on a sink of the caller's choice.
  // `notice` (borrowed, may be null): the program's one "no sound device" warning.
  cPhraseAudioHandler(eAudioRole role, std::unique_ptr<iAudioSink> sink, cSoundDeviceNotice* notice = nullptr);
  ~cPhraseAudioHandler() override;

  bool OpenFile(const std::string& isFileName) override;
  bool Play() override;
  bool Pause() override;
  bool CloseFile() override;
  bool Seek(int32_t ilMilliseconds) override;
  bool StopAt(int32_t ilMilliseconds) override;
  void ClearStopAt() override;
  int32_t Position() override;
  int32_t Duration() override;
  bool DurationIsExact() override;
  void LearnExactDuration() override;
  bool EndOfStream() override;
  int32_t State() override;
  Status fncStatus() override;
  bool SetVolume(int32_t ilVolume) override;
  bool SetRate(double idRate) override;
  double Rate() override;
  bool IsUsingVari() override;
  bool SetVariParameters(double idTempo, int16_t iiMaxPause, int16_t iiShortPausePercent,
                         int16_t iiThresholdDb, int16_t iiLongPauseFrom,
                         int16_t iiLongPausePercent) override;

  // The gain of a volume step (0..10; others are clamped).
  static double fncVolumeGain(int32_t ilVolume);
  // The engine, for tests and tools that look below the control.
  cAudioEngine& fncEngine() { return *mEngine; }

 private:
  void subApplySpeed();

  eAudioRole mRole;
  std::unique_ptr<cAudioEngine> mEngine;
  double mdRate = 1.0;
  double mdTempo = 100;
  int16_t mRow[5] = {3000, 100, 20, 1000, 100};
};

// The check at book load: the file opens and its first frame decodes. On failure `error` (when
// given) says why. Quick: reads only the beginning of the file.
bool fncbCanPlayAudioFile(const std::string& isFileName, std::string* error = nullptr);

}  // namespace lyn
