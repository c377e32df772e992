// Marks where in the chain the view draws its own content (between the backgrounds before it
// and the overlays after it): the delegate draws there, and the content counts as drawn when
// it does.
#pragma once

#include "uilib/style/ULStyle.h"

class ULContentStyle : public ULStyle {
  NS_CLASS(ULContentStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULContentStyle> styleWithNext(ULStylePtr next = nullptr);

  void draw(ULStyleContext& context) override;
};
