#pragma once
// A decoder of one open audio file. Opened on any thread, then used by one thread at a time
// (the engine hands it to its audio thread).

#include <cstddef>
#include <cstdint>

#include "platform/audio/AudioFormat.h"

namespace lyn {

class iAudioDecoder {
 public:
  virtual ~iAudioDecoder() = default;

  // Fixed for the life of the decoder; a stream that changes format is converted to this one.
  virtual AudioFormat fncFormat() const = 0;
  // Length in frames. An estimate until fncbLengthExact(); 0 when nothing is known.
  virtual int64_t fncLength() const = 0;
  virtual bool fncbLengthExact() const = 0;
  // Reads the stream through to learn its exact length and to index it for exact seeks; the
  // read position is undefined afterwards (seek before reading). Costs a pass over the file.
  virtual void subMeasureLength() = 0;
  // Reads up to `frames` frames into `out`; fewer only at the end. 0 at the end of the stream or
  // after an error from which the stream cannot go on. Damaged frames are skipped.
  virtual size_t fncRead(int16_t* out, size_t frames) = 0;
  // The next frame read is `frame` (exact to the sample). False when the stream cannot go
  // there; the position is then unchanged or at the end.
  virtual bool fncbSeek(int64_t frame) = 0;
};

}  // namespace lyn
