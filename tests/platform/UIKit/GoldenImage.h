// PNG goldens of rendered views, compared pixel for pixel.
//
//   EXPECT_TRUE(matchesGolden(frame, "button_states"));
//
// The golden is goldens/<name>.png beside this file.  Run the tests with ZEPT_UPDATE_GOLDENS=1
// to (re)write every golden from what is drawn now, then look at the PNGs.  A frame that
// differs writes <name>.actual.png and <name>.diff.png (differing pixels red over a faded copy
// of the golden) under golden-failures/ in the build folder and fails with where to find them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "CoreGraphics/CGImage.h"

::testing::AssertionResult matchesGolden(const CGImageRef& image, const std::string& name);
