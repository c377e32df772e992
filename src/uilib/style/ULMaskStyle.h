// Draws the rest of the chain through an image mask: the coordinates are flipped upside down
// within the frame's height and clipped to the mask's alpha at the origin with the image's own
// size.  The flip stays in force for the rest of the chain, so text or images drawn after a
// mask style come out upside down.
#pragma once

#include "UIKit/UIImage.h"
#include "uilib/style/ULStyle.h"

class ULMaskStyle : public ULStyle {
  NS_CLASS(ULMaskStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULMaskStyle> styleWithMask(std::shared_ptr<UIImage> mask,
                                                    ULStylePtr next = nullptr);

  const std::shared_ptr<UIImage>& mask() const { return mask_; }
  void setMask(std::shared_ptr<UIImage> mask) { mask_ = std::move(mask); }

  void draw(ULStyleContext& context) override;

 private:
  std::shared_ptr<UIImage> mask_;
};
