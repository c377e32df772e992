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
  // The bounds without the status bar's 20 points (the top ones in portrait; the edge on top
  // for the user when the status bar is turned).
  CGRect applicationFrame() const;
  CGFloat scale() const;
  // The mode in use: the bounds at the scale (640 x 960 for the default profile).
  UIScreenMode currentMode() const;
};
