#include "base/trim.h"

#include <gtest/gtest.h>

namespace {

TEST(TrimSpaces, RemovesOuterSpacesOnlyKeepingTabsAndInnerBlanks) {
  EXPECT_EQ(base::TrimSpaces("  a b  "), "a b");
  // Only spaces are trimmed, as the system's own trim does.
  EXPECT_EQ(base::TrimSpaces("\tx \t"), "\tx \t");
  EXPECT_EQ(base::TrimSpaces("   "), "");
  EXPECT_EQ(base::TrimSpaces(""), "");
}

}  // namespace
