// Bar and screen sizes for layout code, in points.
#pragma once

#include "CoreGraphics/CGGeometry.h"

// The height of the application's status bar frame (0 while it is hidden).
CGFloat statusbarHeight();
inline CGFloat naviBarHeight() {
  return 44;
}
inline CGFloat toolbarHeight() {
  return 44;
}
inline CGFloat tabbarHeight() {
  return 49;
}
// The main screen's bounds.
CGFloat screenWidth();
CGFloat screenHeight();
// The main screen's application frame.
CGRect appFrame();
