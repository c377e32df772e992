// The spinner: twelve spokes, white (large: 37 points, or 20) or grey (20 points).  Its style
// sets its size.  Stopped, it hides unless hidesWhenStopped is off.  The spokes are drawn still:
// nothing turns on the clock.
#pragma once

#include "UIKit/UIView.h"

enum class UIActivityIndicatorViewStyle { WhiteLarge = 0, White = 1, Gray = 2 };

class UIActivityIndicatorView : public UIView {
 public:
  explicit UIActivityIndicatorView(
      UIActivityIndicatorViewStyle style = UIActivityIndicatorViewStyle::White);
  explicit UIActivityIndicatorView(CGRect frame);

  NS_CLASS(UIActivityIndicatorView, UIView)
 public:
  UIActivityIndicatorViewStyle activityIndicatorViewStyle() const { return style_; }
  // Resizes the view to the style's size, keeping its centre.
  void setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle style);
  std::shared_ptr<UIColor> color() const { return color_; }
  void setColor(std::shared_ptr<UIColor> color);
  bool hidesWhenStopped() const { return hidesWhenStopped_; }
  void setHidesWhenStopped(bool hides);
  void startAnimating();
  void stopAnimating();
  bool isAnimating() const { return animating_; }

  CGSize sizeThatFits(CGSize size) const override;
  void drawRect(CGRect rect) override;

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  UIActivityIndicatorViewStyle style_;
  std::shared_ptr<UIColor> color_;
  bool hidesWhenStopped_ = true;
  bool animating_ = false;
};
