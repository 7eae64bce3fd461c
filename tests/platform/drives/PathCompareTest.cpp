#include "platform/drives/PathCompare.h"

#include <gtest/gtest.h>

namespace lyn {
namespace {

TEST(PathCompare, AFolderHoldsItselfAndWhatIsBelowItButNotItsNamesakes) {
  EXPECT_TRUE(fncbPathHolds("/media/BOOK", "/media/BOOK", false));
  EXPECT_TRUE(fncbPathHolds("/media/BOOK", "/media/BOOK/", false));
  EXPECT_TRUE(fncbPathHolds("/media/BOOK", "/media//BOOK/a/b", false));
  EXPECT_FALSE(fncbPathHolds("/media/BOOK", "/media/BOOKS", false));
  EXPECT_FALSE(fncbPathHolds("/media/BOOK", "/media", false));
  EXPECT_FALSE(fncbPathHolds("/media/BOOK", "/media/book/a", false));
  EXPECT_TRUE(fncbPathHolds("/media/BOOK", "/media/book/a", true));
  EXPECT_TRUE(fncbPathHolds("/", "/anything", false));
  EXPECT_FALSE(fncbPathHolds("/", "relative", false));
  EXPECT_FALSE(fncbPathHolds("", "/a", false));
}

}  // namespace
}  // namespace lyn
