// The main screen, sized by the device profile (UIDevice.h).
#pragma once

#include <memory>

#include "CoreGraphics/CGGeometry.h"

class UIScreen {
 public:
  static std::shared_ptr<UIScreen> mainScreen();

  // In points, origin at zero.
  CGRect bounds() const;
  // The status bar takes the top 20 points of the bounds.
  CGRect applicationFrame() const;
  CGFloat scale() const;
};
