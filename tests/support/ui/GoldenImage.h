// PNG goldens of rendered views, compared pixel for pixel.
//
//   EXPECT_TRUE(matchesGolden(frame, "button_states"));
//
// The golden is goldens/<name>.png beside the test (the test program's ZEPT_GOLDEN_DIR; a
// differing frame goes to its ZEPT_GOLDEN_FAILURE_DIR).  Run the tests with ZEPT_UPDATE_GOLDENS=1
// to (re)write every golden from what is drawn now, then look at the PNGs.  A frame that
// differs writes <name>.actual.png and <name>.diff.png (differing pixels red over a faded copy
// of the golden) under golden-failures/ in the build folder and fails with where to find them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "CoreGraphics/CGImage.h"

::testing::AssertionResult matchesGoldenIn(const CGImageRef& image, const std::string& name,
                                           const std::string& goldenDir,
                                           const std::string& failureDir);

#ifdef ZEPT_GOLDEN_DIR
inline ::testing::AssertionResult matchesGolden(const CGImageRef& image, const std::string& name) {
  return matchesGoldenIn(image, name, ZEPT_GOLDEN_DIR, ZEPT_GOLDEN_FAILURE_DIR);
}
#endif
