// The bar item shown while a list refreshes: a rounded refresh button with a small white
// spinner turning in it.
#pragma once

#include <memory>

#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIView.h"

class UIZMButtonLabel : public UIView {
  NS_CLASS(UIZMButtonLabel, UIView)
 public:
  // The button takes the frame (and its size rule); the spinner sits in its middle.
  explicit UIZMButtonLabel(CGRect frame);

  const std::shared_ptr<UIActivityIndicatorView>& spinner() const { return spinner_; }

 private:
  float aRadius_ = 0;
  std::shared_ptr<UIColor> aColor_;
  std::shared_ptr<UIActivityIndicatorView> spinner_;
};
