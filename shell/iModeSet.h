#pragma once
// The four modes as the dispatcher and the window reach them: each created on first use and
// kept until shutdown, one of them current.

#include "shell/cApplicationState.h"

namespace lyn {

class iMode;

class iModeSet {
 public:
  virtual ~iModeSet() = default;
  // The current mode; nothing before start-up has made one current and after shutdown.
  virtual iMode* fncCurrentMode() = 0;
  // The mode with this number, created on first use.
  virtual iMode& fncMode(eModeNumber ienMode) = 0;
  // Makes the mode current (creating it) and sets the application's mode number.
  virtual void subSetCurrentMode(eModeNumber ienMode) = 0;
};

}  // namespace lyn
