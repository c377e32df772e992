// The home screen's first-run guide bubble: a 156 × 106 picture at (150, 190) (on a 568-point
// screen 290 points above the bottom) that points the reader at the menu bar.  It alternates
// the pictures "guideHome1" and "guideHome2" every 1.0 s and goes away by itself 3 s after it
// was made, or at once on a tap.  Main thread only.
#pragma once

#include <memory>

#include "UIKit/UIImageView.h"
#include "UIKit/UIView.h"

class NSTimer;

class UIChannelModifyView : public UIView {
  NS_CLASS(UIChannelModifyView, UIView)
 public:
  static constexpr double kFlipSeconds = 1.0;
  static constexpr double kShownSeconds = 3.0;

  explicit UIChannelModifyView(CGRect frame = CGRectZero);
  ~UIChannelModifyView() override;
  // initWithGuideView: the bubble, its picture and its two timers.
  static std::shared_ptr<UIChannelModifyView> initWithGuideView();

  const std::shared_ptr<UIImageView>& imageView() const { return imageView_; }
  // The picture shown: 1 or 2.
  int picture() const { return picture_; }
  // Stops both timers and leaves the screen.
  void dismiss();

  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;

 private:
  void flip();

  std::shared_ptr<UIImageView> imageView_;
  std::shared_ptr<NSTimer> flipTimer_;
  std::shared_ptr<NSTimer> endTimer_;
  int picture_ = 1;
};
