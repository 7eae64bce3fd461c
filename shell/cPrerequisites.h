#pragma once
// The start-up check of the components this build uses: each one's version against the oldest
// this build works with. A failure names the component and the version required.

#include <string>
#include <vector>

namespace lyn {

struct cComponentVersion {
  std::string sName;      // "libsndfile"
  std::string sVersion;   // as the component reports it, "1.2.0"
  std::string sRequired;  // "1.0.28"
};

// The components as they are at run time (libmpg123 as built against: it reports no version).
std::vector<cComponentVersion> fncComponentVersions();
// The messages of the components that are too old or report no version; empty when all pass.
std::vector<std::string> fncPrerequisiteFailures(const std::vector<cComponentVersion>& components);

}  // namespace lyn
