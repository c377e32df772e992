// A shadow cast inward (sunken fields): the ring of the shape's inverse path, filled white
// outside the shape, casts its shadow into the shape.  The frame is not changed and nothing
// is added to measured sizes.
#pragma once

#include "uilib/style/ULShadowStyle.h"

class ULInnerShadowStyle : public ULShadowStyle {
  NS_CLASS(ULInnerShadowStyle, ULShadowStyle)

 public:
  using ULShadowStyle::ULShadowStyle;
  static std::shared_ptr<ULInnerShadowStyle> styleWithColor(std::shared_ptr<UIColor> color,
                                                            CGFloat blur, CGSize offset,
                                                            ULStylePtr next = nullptr);

  void draw(ULStyleContext& context) override;
  CGSize addToSize(CGSize size, ULStyleContext& context) override;
};
