#include "shell/cPrerequisites.h"

#include <array>

#include "platform/audio/cSdlSink.h"
#include "platform/audio/cSndfileDecoder.h"
#include "shell/ModuleServices.h"

#ifndef LYN_MPG123_VERSION
#define LYN_MPG123_VERSION ""
#endif

namespace lyn {

namespace {

std::array<int64_t, 4> fncParts(const std::string& version) {
  std::array<int64_t, 4> parts{};
  size_t i = 0;
  for (int k = 0; k < 4 && i < version.size(); ++k) {
    int64_t n = 0;
    while (i < version.size() && version[i] >= '0' && version[i] <= '9') n = n * 10 + (version[i++] - '0');
    parts[size_t(k)] = n;
    if (i < version.size() && version[i] == '.') ++i;
    else break;
  }
  return parts;
}

}  // namespace

std::vector<cComponentVersion> fncComponentVersions() {
  std::vector<cComponentVersion> components;
  components.push_back({"libmpg123", LYN_MPG123_VERSION, "1.25.0"});
  // Loaded for the question and let go again: a library that cannot be loaded has no version.
  components.push_back({"libsndfile", cSndfileDecoder::fncLibraryVersion(), "1.0.28"});
  components.push_back({"SDL2", cSdlSink::fncLibraryVersion(), "2.0.10"});
  return components;
}

std::vector<std::string> fncPrerequisiteFailures(const std::vector<cComponentVersion>& components) {
  std::vector<std::string> failures;
  for (const auto& c : components) {
    const bool known = !c.sVersion.empty() && c.sVersion[0] >= '0' && c.sVersion[0] <= '9';
    if (known && fncVersionAtLeast(c.sVersion, '.', fncParts(c.sRequired))) continue;
    failures.push_back("Your version of " + c.sName + " is too old, version " + c.sRequired +
                       " is required.");
  }
  return failures;
}

}  // namespace lyn
