#pragma once
// Events of a SMIL player (cSmilPlayer).
//
// Raised synchronously from inside the player's operations. A listener may read the player's
// members (its error fields, the current entry and node) but must not move the player from
// inside an event.

namespace lyn {

class cElementData;

class iSmilPlayerListener {
 public:
  virtual ~iSmilPlayerListener() = default;
  // An error was reported: read lErrorNumber, sErrorMsg and sErrorLocation.
  virtual void evError() {}
  // The record of an element that just became current or belongs to the current par.
  virtual void evNewMedia(const cElementData& iclsElement) { (void)iclsElement; }
  // The cursor is about to leave the current par.
  virtual void evNewPar() {}
};

}  // namespace lyn
