#include <gtest/gtest.h>

#include "shell/cPrerequisites.h"

namespace lyn {
namespace {

TEST(Prerequisites, ComponentsTooOldOrWithoutAVersionAreNamedWithTheVersionRequired) {
  const std::vector<cComponentVersion> components = {
      {"libsndfile", "1.0.28", "1.0.28"}, {"SDL2", "2.0.9", "2.0.10"}, {"libmpg123", "", "1.25.0"},
      {"Qt", "6.4.2", "6.2.0"}};
  EXPECT_EQ(fncPrerequisiteFailures(components),
            (std::vector<std::string>{"Your version of SDL2 is too old, version 2.0.10 is required.",
                                      "Your version of libmpg123 is too old, version 1.25.0 is required."}));
}

TEST(Prerequisites, TheComponentsOfThisBuildPass) {
  EXPECT_TRUE(fncPrerequisiteFailures(fncComponentVersions()).empty());
}

}  // namespace
}  // namespace lyn
