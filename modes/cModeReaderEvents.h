#pragma once
// Passes the two events of a mode's NCC reader that arrive only through its listeners (a new
// media element, a new current navigation point) to the mode's handlers of the same names. The
// other three reach the mode as the reader's owner.

#include <cstdint>

#include "engine/iNCCReaderListener.h"
#include "modes/iMode.h"

namespace lyn {

class cModeReaderEvents final : public iNCCReaderListener {
 public:
  explicit cModeReaderEvents(iMode& mode) : mMode(mode) {}
  void evNewMedia(const cElementData& iclsElement) override {
    mMode.clsNccReader_evNewMedia(iclsElement);
  }
  void evTocPositionChanged(int32_t ilTocItem) override {
    mMode.clsNccReader_evTocPositionChanged(ilTocItem);
  }

 private:
  iMode& mMode;
};

}  // namespace lyn
