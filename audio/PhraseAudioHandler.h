#pragma once
// The audio control: plays one MP3, MP2 or WAV file at a time for one playback object.
//
// Each playback object owns one control (its `mdahAudioSystem`); the speed tables reach the book
// player's control through that member. Nothing else calls it. Times are whole milliseconds of
// the file; results of true mean the operation was carried out.
//
// All operations are called on the user-interface thread and return quickly: decoding, the
// speed stage and output run on the control's own audio thread. No operation holds a lock for
// longer than it takes to swap a buffer.
//
// A call that fails returns false and, where there is one, leaves its reason in LastError()
// ("<file>: not a regular file"); nothing is thrown.
//
// Errors:
//   OpenFile   file missing, unreadable, not a regular file, not audio, no decodable first
//              frame                      -> false with the reason; any earlier file is closed
//   Seek       beyond the end             -> the position becomes the end (EndOfStream follows)
//   Seek/StopAt/Play/Pause without a file -> false, "no file open"
//   StopAt     beyond the end or below 0  -> false
//   SetRate    factor outside 0.25..4, or a control without speed stage and factor != 1
//                                         -> false
//   a damaged frame while playing        -> skipped; the stream goes on after it
//   the sound device is lost or missing  -> the audio goes to the null sink (one warning)

#include <cstdint>
#include <string>
#include <utility>

namespace lyn {

class PhraseAudioHandler {
 public:
  // Playback states read through State(). The playback object numbers its own states the other
  // way round (its 1 is playing, 2 paused; see cAudioPlaybackSystem::eAudioState).
  enum eControlState : int32_t { kStopped = 0, kPaused = 1, kRunning = 2 };

  virtual ~PhraseAudioHandler() = default;

  // Opens the file (MP3/MP2 or WAV, chosen by content): stopped at 0, ready; replaces any earlier
  // file. The stop point is cleared; volume, rate and speed row stay as they were set.
  virtual bool OpenFile(const std::string& isFileName) = 0;
  // Plays from the current position. At the end of the file or at the stop point the state
  // becomes stopped and EndOfStream true.
  virtual bool Play() = 0;
  virtual bool Pause() = 0;
  // Releases the file; the state becomes stopped. Safe while playing and without a file.
  virtual bool CloseFile() = 0;
  // Moves the position; while playing the new position is heard within a few milliseconds.
  // Clears EndOfStream.
  virtual bool Seek(int32_t ilMilliseconds) = 0;
  // Playback stops on exactly this sample of the file (at recorded speed). Clears EndOfStream.
  virtual bool StopAt(int32_t ilMilliseconds) = 0;
  // Plays on past the stop point set before (to the end of the file, or to a mark the caller
  // watches). Nothing happens when none is set.
  virtual void ClearStopAt() = 0;
  // What has been heard (not what has been decoded); negative when no file is open.
  virtual int32_t Position() = 0;
  // Length of the open file; exact to the sample when the file says it or once learnt (see
  // LearnExactDuration), an estimate from the file's size before. 0 without a file.
  virtual int32_t Duration() = 0;
  // False while Duration() is an estimate (an MP3 without a LAME/Xing header).
  virtual bool DurationIsExact() { return true; }
  // Learns the exact duration of such a file once playback has started, without delaying its
  // first sample; Duration() then gives it. Costs one pass over the file.
  virtual void LearnExactDuration() {}
  // True once playback has run to the end of the file or to the stop point.
  virtual bool EndOfStream() = 0;
  // kStopped, kPaused or kRunning.
  virtual int32_t State() = 0;

  // State, Position and EndOfStream taken together at one instant. The poll reads this, so that
  // a clip that ends between two reads cannot show a position from before its end together with
  // a state from after it. A control whose state cannot change between calls (one without a
  // thread of its own) may keep this default.
  struct Status {
    int32_t state = kStopped;
    int32_t position = -1;
    bool endOfStream = false;
  };
  virtual Status fncStatus() { return {State(), Position(), EndOfStream()}; }
  // Volume step 0 (silent) to 10 (the recording's own level); steps are perceptually even and
  // never amplify, so nothing clips. Out-of-range steps are clamped.
  virtual bool SetVolume(int32_t ilVolume) = 0;
  // Speed factor, 1.0 = recorded speed, pitch unchanged; multiplies the tempo of the speed row.
  virtual bool SetRate(double idRate) = 0;
  // Current factor; negative when no rate can be set.
  virtual double Rate() = 0;
  // True when the speed-changing stage is in this control's playback chain.
  virtual bool IsUsingVari() = 0;
  // One speed row: tempo in percent of the recorded speed, then the pause-shortening fields
  // (longest pause kept in ms, short-pause shortening in percent, silence threshold in dB below
  // the speech level, length in ms from which a pause is long, long-pause shortening in
  // percent). Ignored by a control without speed stage. Takes effect within one buffer.
  virtual bool SetVariParameters(double idTempo, int16_t iiMaxPause, int16_t iiShortPausePercent,
                                 int16_t iiThresholdDb, int16_t iiLongPauseFrom,
                                 int16_t iiLongPausePercent) = 0;

  // Why the last call that failed with a reason failed; empty after ClearLastError().
  const std::string& LastError() const { return msLastError; }
  void ClearLastError() { msLastError.clear(); }

 protected:
  // Returns false, keeping `reason` for LastError().
  bool fncbFail(std::string reason) {
    msLastError = std::move(reason);
    return false;
  }

 private:
  std::string msLastError;
};

}  // namespace lyn
