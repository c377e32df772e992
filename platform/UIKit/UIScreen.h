// The main screen, sized by the device profile (UIDevice.h).
#pragma once

#include <memory>

#include "CoreGraphics/CGGeometry.h"

// A display mode: its size in pixels.
struct UIScreenMode {
  CGSize size;
  CGFloat pixelAspectRatio = 1;
};

class UIScreen {
 public:
  static std::shared_ptr<UIScreen> mainScreen();

  // In points, origin at zero.
  CGRect bounds() const;
  // The status bar takes the top 20 points of the bounds.
  CGRect applicationFrame() const;
  CGFloat scale() const;
  // The mode in use: the bounds at the scale (640 x 960 for the default profile).
  UIScreenMode currentMode() const;
};
