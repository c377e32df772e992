// A spinner with a text and, once a progress is set, a progress bar, in one of seven looks
// fixed at creation (0 to 6; see the table in the source).  Styles 3 and 5 draw a bezel box of
// the content's size centred in the view (never wider than the screen less 20 a side); the
// others fill the view.  Smoothed progress moves the bar by 0.01 every 0.01 s up to the set
// value on the main run loop, and the timer keeps the label alive until it stops.  Main thread.
#pragma once

#include <memory>
#include <string>

#include "Foundation/NSTimer.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIProgressView.h"
#include "UIKit/UIView.h"
#include "uilib/views/ULView.h"

class ULActivityLabel : public UIView {
  NS_CLASS(ULActivityLabel, UIView)

 public:
  ULActivityLabel() : ULActivityLabel(CGRectZero) {}
  // initWithFrame: style 6, no text.
  explicit ULActivityLabel(CGRect frame) : ULActivityLabel(frame, 6) {}
  // initWithFrame:style:text: (initWithStyle: is the zero frame and no text).
  ULActivityLabel(CGRect frame, long style, std::string text = {});
  ~ULActivityLabel() override;

  long style() const { return style_; }
  const std::string& text() const { return label_->text(); }
  void setText(std::string text);
  std::shared_ptr<UIFont> font() const { return label_->font(); }
  void setFont(std::shared_ptr<UIFont> font);
  bool isAnimating() const { return activityIndicator_->isAnimating(); }
  void setIsAnimating(bool animating);

  float progress() const { return progress_; }
  void setProgress(float progress);
  bool smoothesProgress() const { return smoothesProgress_; }
  void setSmoothesProgress(bool smoothes) { smoothesProgress_ = smoothes; }
  // One step of the smoothing: the bar grows by 0.01 while below the progress, else the timer
  // stops.
  void smoothTimer();
  const std::shared_ptr<NSTimer>& smoothingTimer() const { return smoothTimer_; }

  const std::shared_ptr<ULView>& bezelView() const { return bezelView_; }
  const std::shared_ptr<UIProgressView>& progressView() const { return progressView_; }
  const std::shared_ptr<UIActivityIndicatorView>& activityIndicator() const {
    return activityIndicator_;
  }
  const std::shared_ptr<UILabel>& label() const { return label_; }

  CGSize sizeThatFits(CGSize size) const override;
  void layoutSubviews() override;

 private:
  long style_;
  std::shared_ptr<ULView> bezelView_;
  std::shared_ptr<UIProgressView> progressView_;
  std::shared_ptr<UIActivityIndicatorView> activityIndicator_;
  std::shared_ptr<UILabel> label_;
  float progress_ = 0;
  bool smoothesProgress_ = false;
  std::shared_ptr<NSTimer> smoothTimer_;
};
