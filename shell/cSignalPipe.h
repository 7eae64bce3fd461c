#pragma once
// SIGTERM, SIGHUP and SIGINT, turned into a byte on a pipe that wakes every wait of the
// program (the main loop, the dialogs' loops, a front end waiting for input), so that the
// program saves the reader's place and ends the normal way. SIGPIPE is ignored.
//
// One pipe exists in the process (a signal handler can reach nothing else); the first
// cSignalPipe installs the handlers and the last one restores the previous ones.

#include <optional>

namespace lyn {

class cSignalPipe {
 public:
  cSignalPipe();
  ~cSignalPipe();
  cSignalPipe(const cSignalPipe&) = delete;
  cSignalPipe& operator=(const cSignalPipe&) = delete;

  // The end to wait on (readable once a signal came); -1 when the pipe could not be made.
  int fnciReadFd() const;
  // The first signal that came and has not been taken yet.
  std::optional<int> fncTakeSignal();
  // Whether a signal came at any time since the pipe was made.
  bool fncbSignalled() const { return mbSignalled; }

 private:
  bool mbSignalled = false;
};

}  // namespace lyn
