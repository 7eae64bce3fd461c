#pragma once
// The playback object: one audio file on its control, played from a position to a stop point or
// a mark, with volume steps 0..10 and a rate step, reporting the end of a clip or of the file and
// its errors to its listeners. Times are seconds (doubles); the control takes whole milliseconds.
//
// Two objects exist in the program: the book player (constructed with the speed link, so that
// opening a book file applies the current speed row) and the prompt player (no speed link; it
// opens through psnotXingFilename and never changes speed).
//
// Time and the poll. Nothing happens by itself on this object: the poll
// (mtimerPositionCheckTimer_Timer) turns the control's state into events, and it runs when its
// timer ticks. One cPositionCheckTimer drives any number of playback objects: attach each one
// (timer.subAttach(player)); every subTick() polls them all in order of attachment. The window's
// 10-ms timer calls subTick(). In tests the sound goes to a null or WAV sink on a cVirtualClock
// (platform/audio/cVirtualClock.h) given to both the control and the timer: each subTick() first
// advances that clock by 10 ms, which makes every sink take exactly 10 ms of audio (waiting for
// the audio thread to supply it), and then polls. Audio time in a test therefore advances only by
// ticks, much faster than real time, and is exactly reproducible. subDoYourEvents() polls once
// without moving the clock.
//
// Error table (mlErrorNumber, msErrorMsg; msErrorLocation names the operation):
//   1 "Audiofile doesn't exist or is corrupt"  opening failed              "Filename"
//   2 "Position doesn't exist in audio"        position < 0 or > duration  "Position"
//   3 "Data not initialized"                   not raised here
//   4 "MPEG-I stream splitter not found"       not raised here
//   5 "Bad value"                              volume outside 0..10        "Volume"
//   6 "No file loaded"                         operation needs a file      "Play", "Pause",
//                                              "Quit", "Volume", "Rate", "Position", "Duration",
//                                              "Stop at", "Timer"
//   7 (message left as it was)                 mark beyond the end         "Set mark"
// Every report stores the number (and location when given) and raises evError; for error 1
// msErrorDetail keeps the control's reason ("<file>: not a regular file"). No operation throws;
// a call the control refuses ends the operation quietly unless the table says otherwise.
//
// States (mlCurrentAudioState, eAudioState): -1 no file (after a close), 0 stopped, 1 playing,
// 2 paused. The control numbers its states the other way round (PhraseAudioHandler::kPaused is
// 1); plRealState maps them.
//
// The end of the file raises evEndofStream once each time it is reached (not on every tick while
// it stays at the end). A mark that lies at the true end of a stream whose length was only
// estimated is taken as reached when the stream ends.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/PhraseAudioHandler.h"
#include "audio/iAudioPlaybackListener.h"
#include "audio/iPlaybackSpeed.h"

namespace lyn {

class cPositionCheckTimer;

class cAudioPlaybackSystem {
 public:
  // mlCurrentAudioState.
  enum eAudioState : int32_t { kNoFile = -1, kStopped = 0, kPlaying = 1, kPaused = 2 };
  // mlErrorNumber.
  enum eAudioError : int32_t {
    kErrFileCorrupt = 1,
    kErrNoSuchPosition = 2,
    kErrDataNotInitialized = 3,
    kErrNoStreamSplitter = 4,
    kErrBadValue = 5,
    kErrNoFileLoaded = 6,
    kErrMarkBeyondEnd = 7,
  };

  // `control` is owned; `speed` (book player only) is borrowed and must outlive the object.
  explicit cAudioPlaybackSystem(std::unique_ptr<PhraseAudioHandler> control,
                                iPlaybackSpeed* speed = nullptr);
  ~cAudioPlaybackSystem();
  cAudioPlaybackSystem(const cAudioPlaybackSystem&) = delete;
  cAudioPlaybackSystem& operator=(const cAudioPlaybackSystem&) = delete;

  // Listeners are borrowed; each must leave before it is destroyed.
  void subAddListener(iAudioPlaybackListener& listener);
  void subRemoveListener(iAudioPlaybackListener& listener);

  // Public members, read and written by other parts.
  bool mbAudioFileLoaded = false;
  int32_t mlCurrentAudioState = kStopped;
  bool mbMarkSet = false;
  double mdMarkPosition = -1;
  std::string msErrorMsg;
  int32_t mlErrorNumber = 0;
  std::string msErrorLocation;
  std::string msErrorDetail;  // the control's reason for error 1; empty for the others
  bool mbIsUsingVari = false;
  bool mbLookupTimer = false;
  std::unique_ptr<PhraseAudioHandler> mdahAudioSystem;
  // Set by cPositionCheckTimer::subAttach; the object detaches itself when destroyed.
  cPositionCheckTimer* mtimerPositionCheckTimer = nullptr;

  // 1. Stores the number, the location when given and the message for 1..6; raises evError.
  void subReportError(int32_t ilNumber, std::optional<std::string> isLocation = {});
  // 2. The control's state in this object's codes: 0 -> 0, 1 -> 2, 2 -> 1, other -> 0.
  int32_t plRealState();
  // 3. Opens a book file: WAV correction check, control open, speed stage flag, current speed
  //    row, volume. An empty path forgets the stored path and opens nothing.
  void psFileName(const std::string& isFileName);
  // 4. Opens a prompt file: no WAV check, no speed row.
  void psnotXingFilename(const std::string& isFileName);
  // 5. The open file's path; empty when none.
  const std::string& psFileName() const { return msFileName; }
  // 6. Arms the mark (seconds). False without a file; error 7 when more than 0.2 s past the end
  //    (up to 0.2 s past the end it is moved to the end). When the end is only an estimate, a
  //    mark within a second of it makes the control learn the exact end, and a mark past it is
  //    kept (the end of the stream reaches it). A stop point set before is cleared: this player
  //    is shared, and a clip must not end where another user's clip of the same file ended.
  bool fncbSetMark(double idSeconds);
  // Disarms the mark and any stop point: the file plays to its end (a reader that moves
  // elsewhere, or a clip without an end, calls this; mbMarkSet stays readable).
  void subClearMark();
  // 7-9.
  bool fncbPlay();
  bool fncbPause();
  bool fncbQuit();
  // 10-11. Volume step 0..10; without a file the step is kept and sent at the next open.
  void plVolume(int32_t ilVolume);
  int32_t plVolume() const { return mlVolume; }
  // 12-13. Rate step; factor = step / 10. Read gives 10 without a file.
  void plRate(int32_t ilRate);
  int32_t plRate();
  // 14-15. Position in seconds.
  void pdPosition(double idSeconds);
  double pdPosition();
  // 16. Duration in seconds.
  double pdDuration();
  // 17. Stops playback on exactly this position, in place of any mark; a refusal shows "ERROR!"
  //     (evShowMessageBox).
  bool fncbStopAt(double idSeconds);
  // 18. The poll: runs on each tick while mbLookupTimer is true.
  void mtimerPositionCheckTimer_Timer();
  // 19. Runs the poll once at once.
  void subDoYourEvents();

 private:
  enum class eEvent { EndofStream, Error, MessageBox };
  void subForgetMark();
  void subRaise(eEvent event, const std::string& text = {});
  double fncToControlSeconds(double idSeconds) const;
  double fncFromControlSeconds(double idSeconds) const;
  static int32_t fncToMilliseconds(double idSeconds);
  static int32_t fncObjectState(int32_t ilControlState);
  void subReport(int32_t ilNumber, std::optional<std::string> isLocation, std::string isDetail);
  // OpenFile on the control; false (and error 1 when the control gives a reason) on failure.
  bool fncbOpenOnControl(const std::string& isFileName);

  std::string msFileName;
  int32_t mlVolume = 0;
  double mdRate = 10;
  bool mbWavCorrection = false;
  bool mbEndReported = false;
  iPlaybackSpeed* mSpeed;
  std::vector<iAudioPlaybackListener*> mListeners;
};

}  // namespace lyn
