// The main screen, sized by the device profile (UIDevice.h).
#pragma once

#include <memory>

#include "CoreGraphics/CGGeometry.h"

class UIScreen {
 public:
  static std::shared_ptr<UIScreen> mainScreen();

  // In points, origin at zero.
  CGRect bounds() const;
  // The bounds without the status bar's 20 points (the top ones in portrait; the edge on top
  // for the user when the status bar is turned).
  CGRect applicationFrame() const;
  CGFloat scale() const;
};
