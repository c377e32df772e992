// Draws the rest of the chain with a blend mode (0, normal, changes nothing).
#pragma once

#include "CoreGraphics/CGContext.h"
#include "uilib/style/ULStyle.h"

class ULBlendStyle : public ULStyle {
  NS_CLASS(ULBlendStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULBlendStyle> styleWithBlend(CGBlendMode blendMode,
                                                      ULStylePtr next = nullptr);

  CGBlendMode blendMode() const { return blendMode_; }
  void setBlendMode(CGBlendMode mode) { blendMode_ = mode; }

  void draw(ULStyleContext& context) override;

 private:
  CGBlendMode blendMode_ = CGBlendMode::Normal;
};
