#pragma once
// One voice of the audio layer: a decoder, the speed stage (when the chain has one), a small
// buffer and a sink, with an audio thread that decodes and changes speed ahead of the sink.
//
// Threads. The audio thread keeps a few seconds decoded ahead; it refills the buffer in one go
// once the sink has taken half of it, and wakes the sink only when a pull waits, so each side
// wakes the other about every two seconds. Every public operation is for the
// user-interface thread and takes the engine's lock only to swap buffers or flags; opening a file
// reads its header on the calling thread (cheap), everything else that touches the file
// (decoding, seeking, measuring a stream without length information) runs on the audio thread.
// The sink pulls heard frames from its own thread, inside cVirtualClock::subAdvance, or (a sink
// on the wall clock without a device) in iAudioSink::subCatchUp, which every public operation
// calls first: what was heard up to that moment is taken before the operation reads or changes
// it.
//
// Positions and lengths are frames of the file at recorded speed. The position is what has been
// heard: it moves only as the sink takes frames. A stop point ends playback on exactly that
// frame (at recorded speed; at other speeds within one stretch of the speed stage). Playback
// that reaches the end of the file or the stop point stops with fncbEndOfStream() true; the
// audio after a stop point stays buffered, so playing on continues without a gap.
//
// Errors:
//   fncbOpen: missing, empty, not audio, undecodable -> false, reason in `error`; any earlier
//             file is closed
//   the sink's device does not open                  -> one warning (the notice's, once for all
//                                                       players; else on stderr), the null sink
//   the stream ends early (truncated file)           -> the length becomes what was decoded
//   (also the true end of a stream whose length was estimated)

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/audio/AudioFormat.h"
#include "platform/audio/cSoundDeviceNotice.h"
#include "platform/audio/cSpeedStage.h"
#include "platform/audio/cTimedAudio.h"
#include "platform/audio/iAudioDecoder.h"
#include "platform/audio/iAudioSink.h"

namespace lyn {

class cAudioEngine final : private iAudioSource {
 public:
  enum class eState { Stopped, Paused, Running };

  // State, position and end of stream as they were at one instant: a poll that reads them one
  // by one can see a position from before the end and a state from after it.
  struct Snapshot {
    eState state = eState::Stopped;
    int64_t position = -1;  // frame heard; -1 without a file
    bool endOfStream = false;
  };

  // `notice` (borrowed, may be null) is told when the sink's device does not open.
  cAudioEngine(std::unique_ptr<iAudioSink> sink, bool hasSpeedStage, cSoundDeviceNotice* notice = nullptr);
  ~cAudioEngine() override;
  cAudioEngine(const cAudioEngine&) = delete;
  cAudioEngine& operator=(const cAudioEngine&) = delete;

  // Opens `path`: stopped at frame 0, no stop point. Replaces any earlier file.
  bool fncbOpen(const std::string& path, std::string& error);
  void subClose();
  bool fncbHasFile() const;

  // False without a file.
  bool fncbPlay();
  bool fncbPause();
  // Moves to `frame` (clamped to 0..length); false without a file.
  bool fncbSeek(int64_t frame);
  // -1 removes the stop point.
  void subSetStopPoint(int64_t frame);
  // Removes a stop point, if one is set; playback that stopped there can go on.
  void subClearStopPoint();

  // Frame heard; -1 without a file.
  int64_t fncPosition() const;
  // An estimate until fncbLengthExact(): a stream without length information (an MP3 without
  // a LAME/Xing header) is not read through at open, which would delay its first sample.
  int64_t fncLength() const;
  bool fncbLengthExact() const;
  // Asks for the exact length of such a stream: the audio thread reads the file through once
  // playback runs and the buffer is full, then fncLength() is exact. Nothing for a file whose
  // length is known.
  void subWantExactLength();
  bool fncbEndOfStream() const;
  eState fncState() const;
  Snapshot fncSnapshot() const;
  AudioFormat fncFormat() const;

  // Linear gain 0..1, applied to the frames as the sink takes them.
  void subSetGain(double gain);
  // Ignored without speed stage. Heard from the next frame on: what was buffered at the old
  // speed is made again from the position heard.
  void subSetSpeed(const SpeedSettings& settings);
  bool fncbHasSpeedStage() const { return mbHasSpeedStage; }
  // True while the speed stage changes the audio (not a pass-through).
  bool fncbSpeedStageActive() const;

  const char* fncSinkName() const;
  // Frames decoded ahead and waiting for the sink (for latency measurements).
  int64_t fncFramesReady() const;

 private:
  size_t fncPull(int16_t* out, size_t frames, bool wait) override;
  void subRun();
  void subStartSink(const AudioFormat& format);
  void subReachEnd();
  // The audio thread sleeps until the sink has taken half a full buffer or a request comes.
  void subWaitForWork(std::unique_lock<std::mutex>& lock);

  const bool mbHasSpeedStage;
  std::unique_ptr<iAudioSink> mSink;
  AudioFormat mSinkFormat;  // the format the sink was started with; user-interface thread only
  bool mbSinkWarned = false;
  cSoundDeviceNotice* mNotice;

  mutable std::mutex mMutex;
  std::condition_variable mWake;       // the audio thread waits here
  std::condition_variable mDataReady;  // a waiting pull waits here
  bool mbQuit = false;

  // Handed from the user-interface thread to the audio thread.
  std::unique_ptr<iAudioDecoder> mIncoming;
  bool mbNewDecoder = false;
  int64_t mSeekTarget = -1;
  SpeedSettings mSpeed;
  bool mbSpeedChanged = false;
  uint64_t mGeneration = 0;  // moves on every open, close and seek

  // The file as the user-interface thread sees it.
  bool mbHasFile = false;
  AudioFormat mFormat;
  int64_t mLength = 0;
  bool mbLengthExact = false;
  bool mbMeasureWanted = false;

  // Between the audio thread and the sink.
  cTimedAudio mReady;
  int64_t mCapacity = 4096;
  bool mbProducerWaiting = false;  // the audio thread sleeps in subWaitForWork
  bool mbConsumerWaiting = false;  // a pull waits for frames
  bool mbHandedOver = false;       // frames reached the sink since the last play, seek or open
  bool mbProducerDone = false;
  bool mbStageActive = false;
  eState mState = eState::Stopped;
  bool mbEndOfStream = false;
  int64_t mHeard = -1;
  int64_t mStop = -1;
  std::atomic<float> mGain{1.0f};

  std::thread mThread;  // last: starts after everything above exists
};

}  // namespace lyn
