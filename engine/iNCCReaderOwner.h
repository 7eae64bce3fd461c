#pragma once
// The owner of an NCC reader (the mode that loaded the book). Besides the listeners of
// iNCCReaderListener, the reader calls three operations of its owner by these names, after the
// listeners have had the event.

namespace lyn {

class iNCCReaderOwner {
 public:
  virtual ~iNCCReaderOwner() = default;
  virtual void clsNccReader_evError() {}
  virtual void clsNCCReader_evAutomaticMovement() {}
  virtual void clsNccReader_evNewPar() {}
};

}  // namespace lyn
