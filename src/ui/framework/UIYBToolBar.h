// The app's tool bar (the one its navigation controller builds, and the bottom bar of the web
// page screens): the settings store's tool-bar image of the current theme lies under its items
// in a layer of its own, made at the first drawing pass and given the image and the bar's size
// again at each later one.
#pragma once

#include <memory>

#include "UIKit/UIToolbar.h"

class CALayer;

class UIYBToolBar : public UIToolbar {
  NS_CLASS(UIYBToolBar, UIToolbar)
 public:
  UIYBToolBar() : UIToolbar(CGRectZero) {}
  explicit UIYBToolBar(CGRect frame) : UIToolbar(frame) {}

  // The platform bar's look, then the theme image over (0, 0, width, height).
  void drawRect(CGRect rect) override;
  // In place of drawing: the theme image layer at the bottom of the bar's layer.
  void drawLayerInContext(CALayer& layer, const CGContextRef& ctx) override;

  // The layer that carries the theme image (nullptr before the first drawing pass).
  const std::shared_ptr<CALayer>& themeLayer() const { return themeLayer_; }

 private:
  std::shared_ptr<CALayer> themeLayer_;
};
