// Moves the frame in by the insets for the rest of the chain (out, when negative: borders and
// shadows then spill outside the view's bounds); the content frame stays.  Measured sizes do
// not change; measured insets grow by these.
#pragma once

#include "uilib/style/ULStyle.h"

class ULInsetStyle : public ULStyle {
  NS_CLASS(ULInsetStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULInsetStyle> styleWithInset(UIEdgeInsets inset,
                                                      ULStylePtr next = nullptr);

  UIEdgeInsets inset() const { return inset_; }
  void setInset(UIEdgeInsets inset) { inset_ = inset; }

  void draw(ULStyleContext& context) override;
  UIEdgeInsets addToInsets(UIEdgeInsets insets, CGSize size) override;

 private:
  UIEdgeInsets inset_;
};
