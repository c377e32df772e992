// The pie-shaped progress indicator of the progress box's determinate mode: a faint white disc
// with a white ring, filled clockwise from twelve o'clock as the progress grows.
#pragma once

#include "UIKit/UIView.h"

class PHRoundProgressView : public UIView {
  NS_CLASS(PHRoundProgressView, UIView)
 public:
  // (0, 0, 37, 37).
  PHRoundProgressView() : PHRoundProgressView(CGRectMake(0, 0, 37, 37)) {}
  explicit PHRoundProgressView(CGRect frame);

  float progress() const { return progress_; }
  void setProgress(float progress);

  void drawRect(CGRect rect) override;

 private:
  float progress_ = 0;
};
