// A bar that fills as the progress goes from 0 to 1, in the default style (9 points high) or
// the bar style (11 points, for tool bars).
#pragma once

#include "UIKit/UIView.h"

enum class UIProgressViewStyle { Default = 0, Bar = 1 };

class UIProgressView : public UIView {
 public:
  explicit UIProgressView(UIProgressViewStyle style = UIProgressViewStyle::Default);
  explicit UIProgressView(CGRect frame);

  NS_CLASS(UIProgressView, UIView)
 public:
  UIProgressViewStyle progressViewStyle() const { return style_; }
  void setProgressViewStyle(UIProgressViewStyle style);
  float progress() const { return progress_; }
  // Kept within 0 ... 1; shown at once.
  void setProgress(float progress, bool animated = false);
  std::shared_ptr<UIColor> progressTintColor() const { return progressTint_; }
  void setProgressTintColor(std::shared_ptr<UIColor> color);
  std::shared_ptr<UIColor> trackTintColor() const { return trackTint_; }
  void setTrackTintColor(std::shared_ptr<UIColor> color);

  CGSize sizeThatFits(CGSize size) const override;
  void drawRect(CGRect rect) override;

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  UIProgressViewStyle style_;
  float progress_ = 0;
  std::shared_ptr<UIColor> progressTint_, trackTint_;
};
