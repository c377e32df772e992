// A button painted with a two-colour gradient (its high and low colours) in a layer under its
// content, with a one-point border and an optional white gloss over its upper half.
#pragma once

#include <memory>

#include "QuartzCore/CAGradientLayer.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"

class UIColorButton : public UIButton {
  NS_CLASS(UIColorButton, UIButton)
 public:
  UIColorButton() : UIColorButton(CGRectZero) {}
  // init: the base's, then awakeFromNib.
  explicit UIColorButton(CGRect frame);

  // The gradient layer over the bounds, lowest under the button's layer; the layer's border is
  // one point of the border colour.
  void awakeFromNib();
  // A white layer at opacity 0.2 over the upper half, lowest.
  void setWhiteUpColor();
  // The gradient follows the bounds again and runs from left to right.
  void reSetBoard();

  const std::shared_ptr<UIColor>& highColor() const { return highColor_; }
  void setHighColor(std::shared_ptr<UIColor> color);
  const std::shared_ptr<UIColor>& lowColor() const { return lowColor_; }
  void setLowColor(std::shared_ptr<UIColor> color);
  const std::shared_ptr<UIColor>& borderColor() const { return borderColor_; }
  void setBorderColor(std::shared_ptr<UIColor> color) { borderColor_ = std::move(color); }
  const std::shared_ptr<CAGradientLayer>& gradientLayer() const { return gradientLayer_; }
  void setGradientLayer(std::shared_ptr<CAGradientLayer> layer) {
    gradientLayer_ = std::move(layer);
  }

  // With both colours set, they become the gradient's (made when missing).
  void drawRect(CGRect rect) override;

 private:
  std::shared_ptr<CAGradientLayer> gradientLayer_;
  std::shared_ptr<UIColor> highColor_, lowColor_, borderColor_;
};
