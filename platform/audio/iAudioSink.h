#pragma once
// Where the sound goes. Every sink pulls frames from its source as it plays them: a device from
// its own thread, the null and WAV sinks (cPacedSink) lazily in subCatchUp on the wall clock, or
// as a virtual clock advances.

#include <cstddef>
#include <cstdint>

#include "platform/audio/AudioFormat.h"

namespace lyn {

// The engine, as its sink sees it.
class iAudioSource {
 public:
  virtual ~iAudioSource() = default;
  // Called on the sink's thread (or inside subCatchUp or cVirtualClock::subAdvance). Copies up to `frames`
  // frames of the format the sink was started with into `out` and returns how many; what it
  // returns has been heard. Fewer (possibly 0) when the source is paused, stopped, at its end
  // or, unless `wait`, when the audio thread has nothing ready yet. With `wait` it blocks until
  // the audio thread supplies the frames or the source stops running.
  virtual size_t fncPull(int16_t* out, size_t frames, bool wait) = 0;
};

class iAudioSink {
 public:
  virtual ~iAudioSink() = default;
  // User-interface thread. Starts pulling frames of `format` from `source` (borrowed until
  // subStop). False when the device cannot be opened; nothing is pulled then.
  virtual bool fncbStart(iAudioSource& source, const AudioFormat& format) = 0;
  // User-interface thread. When it returns, no pull is running and none will start.
  virtual void subStop() = 0;
  // Takes now what has been heard by now, for a sink that no device or clock drives. The source
  // calls it, without holding its own lock, before it reports what was heard and before a change
  // of what is heard (pause, seek, new file, volume, speed), so that the change starts exactly
  // where the listener is. Nothing for a device, which pulls as it plays.
  virtual void subCatchUp() {}
  // "sdl", "null" or "wav".
  virtual const char* fncName() const = 0;
};

}  // namespace lyn
