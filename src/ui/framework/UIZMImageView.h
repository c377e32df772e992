// An image view that acts as a button: its one target and action fire when a touch ends
// inside its frame (it takes touches only once a target is set).
#pragma once

#include "UIKit/UIControl.h"
#include "UIKit/UIImageView.h"
#include "ui/framework/TouchTarget.h"

class UIZMImageView : public UIImageView {
  NS_CLASS(UIZMImageView, UIImageView)
 public:
  using UIImageView::UIImageView;

  void addTarget(Selector action, UIControlEvents events);
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;

 private:
  TouchTarget target_;
};
