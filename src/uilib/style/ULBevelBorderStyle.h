// Four sides lit or shaded by where the light comes from (degrees: 0 right, 90 top, 180 left,
// 270 bottom; bounds included, a negative angle outside every range): the top takes the
// highlight for 0 ... 180, the right for 270 ... 360 and 0 ... 90, the bottom for 180 ... 360
// and exactly 0, the left for 90 ... 270; the other sides take the shadow.  Each side is
// stroked just inside the frame along the shape; a side without a colour is stroked clear
// and does not shrink the frame, the others shrink it by the width on their side.
#pragma once

#include "uilib/style/ULStyle.h"

// The light the library's borders assume: from the top left.
inline constexpr int ULDefaultLightSource = 125;

class ULBevelBorderStyle : public ULStyle {
  NS_CLASS(ULBevelBorderStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  // Highlight and shadow derived from the colour (its highlight and shadow), light 125.
  static std::shared_ptr<ULBevelBorderStyle> styleWithColor(const std::shared_ptr<UIColor>& color,
                                                            CGFloat width,
                                                            ULStylePtr next = nullptr);
  static std::shared_ptr<ULBevelBorderStyle> styleWithHighlight(std::shared_ptr<UIColor> highlight,
                                                                std::shared_ptr<UIColor> shadow,
                                                                CGFloat width, int lightSource,
                                                                ULStylePtr next = nullptr);

  const std::shared_ptr<UIColor>& highlight() const { return highlight_; }
  void setHighlight(std::shared_ptr<UIColor> c) { highlight_ = std::move(c); }
  const std::shared_ptr<UIColor>& shadow() const { return shadow_; }
  void setShadow(std::shared_ptr<UIColor> c) { shadow_ = std::move(c); }
  CGFloat width() const { return width_; }
  void setWidth(CGFloat width) { width_ = width; }
  int lightSource() const { return lightSource_; }
  void setLightSource(int angle) { lightSource_ = angle; }

  void draw(ULStyleContext& context) override;

 private:
  std::shared_ptr<UIColor> highlight_, shadow_;
  CGFloat width_ = 1;
  int lightSource_ = ULDefaultLightSource;
};
