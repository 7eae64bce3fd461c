#pragma once
// What the book player asks when it opens a file, answered from the application state (is the
// bookshelf the current mode?) and the speed tables (apply the current step).

#include "audio/iPlaybackSpeed.h"

namespace lyn {

class cApplicationState;
class cVariControl;

class cPlaybackSpeedLink final : public iPlaybackSpeed {
 public:
  // Both borrowed; they outlive the link.
  cPlaybackSpeedLink(const cApplicationState& state, cVariControl& vari)
      : mState(state), mVari(vari) {}

  bool fncbBookshelfIsCurrent() const override;
  void subApplyCurrentSpeed() override;

 private:
  const cApplicationState& mState;
  cVariControl& mVari;
};

}  // namespace lyn
