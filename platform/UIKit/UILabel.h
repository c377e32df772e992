// A label: one text.  Fonts, colours and wrapping come with text drawing.
#pragma once

#include <string>

#include "UIKit/UIView.h"

class UILabel : public UIView {
 public:
  UILabel() : UILabel(CGRectZero) {}
  explicit UILabel(CGRect frame);

  std::string className() const override { return "UILabel"; }

  const std::string& text() const { return text_; }
  void setText(std::string text) { text_ = std::move(text); }

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  std::string text_;
};
