#pragma once
// A window test on the built sample book: its options, with settings and data in a home of the
// test's own.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "shell/cApplication.h"
#include "tests/TempFolder.h"
#include "tests/window/SampleBookOptions.h"

namespace lyn::testing {

class SampleBookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(std::string(LYN_BUILD_DATA_DIR) + "/sample-book/ncc.html"))
        << "the sample book is not built";
    options = fncSampleBookOptions(home.path());
  }
  TempFolder home;
  cApplicationOptions options;
};

}  // namespace lyn::testing
