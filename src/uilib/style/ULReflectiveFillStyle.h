// The glossy button fill: the shape filled with the colour, then a white sheen over it, bright
// at the top fading to nothing at the middle, clear to 60 % of the height, and (with
// withBottomHighlight) a faint light again at the bottom.
#pragma once

#include "uilib/style/ULStyle.h"

class ULReflectiveFillStyle : public ULStyle {
  NS_CLASS(ULReflectiveFillStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULReflectiveFillStyle> styleWithColor(std::shared_ptr<UIColor> color,
                                                               ULStylePtr next = nullptr);
  static std::shared_ptr<ULReflectiveFillStyle> styleWithColor(std::shared_ptr<UIColor> color,
                                                               bool withBottomHighlight,
                                                               ULStylePtr next);

  const std::shared_ptr<UIColor>& color() const { return color_; }
  void setColor(std::shared_ptr<UIColor> color) { color_ = std::move(color); }
  bool withBottomHighlight() const { return withBottomHighlight_; }
  void setWithBottomHighlight(bool with) { withBottomHighlight_ = with; }

  void draw(ULStyleContext& context) override;

 private:
  std::shared_ptr<UIColor> color_;
  bool withBottomHighlight_ = false;
};
