#pragma once
// The whole program on the sample book as the window's tests and the screenshot run it: the
// program folder given (the build's data folder by default), settings and data in `home`, the
// null sink on the virtual clock, no prerequisites check.

#include <filesystem>
#include <string>

#include "shell/cApplication.h"

namespace lyn::testing {

inline cApplicationOptions fncSampleBookOptions(const std::filesystem::path& home,
                                                const std::string& programFolder = LYN_BUILD_DATA_DIR) {
  cApplicationOptions options;
  options.sProgramFolder = programFolder + "/";
  options.registryFile = home / "registry.ini";
  options.sUserDataFolder = (home / "data").string();
  options.sAudio = "null";
  options.bolVirtualClock = true;
  options.sBook = programFolder + "/sample-book";
  options.bolCheckPrerequisites = false;
  return options;
}

}  // namespace lyn::testing
