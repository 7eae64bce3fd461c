#pragma once
// One run of the headless player with its exit status and what it wrote.

#include <sstream>
#include <string>

#include "shell/cHeadlessPlayer.h"

namespace lyn::testing {

struct cRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline cRun fncPlay(const cHeadlessOptions& options) {
  std::ostringstream out, err;
  cHeadlessPlayer player(out, err);
  cRun run;
  run.status = player.fncRun(options);
  run.out = out.str();
  run.err = err.str();
  return run;
}

}  // namespace lyn::testing
