// An image view.  Until images are decoded and drawn it keeps the name its image was loaded by
// (the launch image "Default", a bundle picture's file name), which is what tests look at.
#pragma once

#include <string>

#include "UIKit/UIView.h"

class UIImageView : public UIView {
 public:
  UIImageView() : UIImageView(CGRectZero) {}
  explicit UIImageView(CGRect frame);

  std::string className() const override { return "UIImageView"; }

  // Empty when the view shows no image.
  const std::string& imageName() const { return imageName_; }
  void setImageName(std::string name) { imageName_ = std::move(name); }

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  std::string imageName_;
};
