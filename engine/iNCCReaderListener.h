#pragma once
// Events of an NCC reader (cNCCReader), in their order of declaration.
//
// Raised synchronously on the user-interface thread, from inside the reader's operations and
// from inside the playback object's poll. A listener may call back into the reader (navigate,
// play) except from evNewMedia and evTocPositionChanged, which are raised while the SMIL player
// is in the middle of a step; there it should only read, or post a message.

#include <cstdint>

namespace lyn {

class cElementData;

class iNCCReaderListener {
 public:
  virtual ~iNCCReaderListener() = default;
  // An error was reported: read lErrorNumber, sErrorMsg and sErrorLocation.
  virtual void evError() {}
  // The navigation point with this index (1-based) is current (raised even when it was).
  virtual void evTocPositionChanged(int32_t ilTocItem) { (void)ilTocItem; }
  // Playback moved on by itself from one clip to the next (or stopped after a clip).
  virtual void evAutomaticMovement() {}
  // A media element of the current par (a "text", "audio", ...) became current.
  virtual void evNewMedia(const cElementData& iclsElement) { (void)iclsElement; }
  // The SMIL player is leaving a par.
  virtual void evNewPar() {}
  // A clip has ended and the end has been handled.
  virtual void evEOS() {}
};

}  // namespace lyn
