#pragma once
// What the book player needs to know when it opens a file: whether the bookshelf mode is the
// current mode (its generated pages play without speed stage), and how to apply the current row
// of the speed tables to its control. The shell implements it (cPlaybackSpeedLink joins the
// application state and the speed tables); tests implement it directly.

namespace lyn {

class iPlaybackSpeed {
 public:
  virtual ~iPlaybackSpeed() = default;
  virtual bool fncbBookshelfIsCurrent() const = 0;
  // The speed tables' subSetSpeed with their current Speed.
  virtual void subApplyCurrentSpeed() = 0;
};

}  // namespace lyn
