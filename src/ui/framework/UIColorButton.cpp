#include "ui/framework/UIColorButton.h"

#include "Foundation/NSClass.h"

UIColorButton::UIColorButton(CGRect frame) : UIButton(frame) {
  awakeFromNib();
}

void UIColorButton::awakeFromNib() {
  CGRect b = bounds();
  gradientLayer_ = std::make_shared<CAGradientLayer>();
  gradientLayer_->setBounds(b);
  gradientLayer_->setPosition(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)));
  layer()->insertSublayer(gradientLayer_, 0);
  layer()->setBorderWidth(1);
  layer()->setBorderColor(borderColor_ ? borderColor_->CGColor() : nullptr);
}

void UIColorButton::setWhiteUpColor() {
  auto gloss = std::make_shared<CALayer>();
  CGRect f = layer()->frame();
  gloss->setFrame(CGRectMake(f.origin.x, f.origin.y, f.size.width, f.size.height / 2));
  gloss->setBackgroundColor(UIColor::whiteColor()->CGColor());
  gloss->setOpacity(0.2f);
  layer()->insertSublayer(gloss, 0);
}

void UIColorButton::reSetBoard() {
  CGRect b = bounds();
  if (gradientLayer_) {
    gradientLayer_->setBounds(b);
    gradientLayer_->setPosition(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)));
    gradientLayer_->setStartPoint(CGPointMake(0, 0.5));
    gradientLayer_->setEndPoint(CGPointMake(1, 0.5));
  }
  setNeedsDisplay();
}

void UIColorButton::setHighColor(std::shared_ptr<UIColor> color) {
  highColor_ = std::move(color);
  layer()->setNeedsDisplay();
}

void UIColorButton::setLowColor(std::shared_ptr<UIColor> color) {
  lowColor_ = std::move(color);
  layer()->setNeedsDisplay();
}

void UIColorButton::drawRect(CGRect rect) {
  if (highColor_ && lowColor_) {
    if (!gradientLayer_) awakeFromNib();
    gradientLayer_->setColors({highColor_->CGColor(), lowColor_->CGColor()});
  }
  UIButton::drawRect(rect);
}

NS_CLASS_IMPLEMENTATION(UIColorButton) {}
