#include "ui/framework/UIYBButton.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIImageView.h"

NS_CLASS_IMPLEMENTATION(UIYBButton) {}

void UIYBButton::setAnimal(const std::vector<std::shared_ptr<UIImage>>& images) {
  if (auto hint = std::dynamic_pointer_cast<UIImageView>(viewWithTag(kHintTag))) {
    hint->setAnimationImages(images);
    return;
  }
  auto hint =
      std::make_shared<UIImageView>(CGRectMake(0, 0, frame().size.width, frame().size.height));
  hint->setTag(kHintTag);
  hint->setAnimationRepeatCount(0);
  hint->setAnimationDuration(1.0);
  hint->setAnimationImages(images);
  addSubview(hint);
  hint->startAnimating();
}

void UIYBButton::removeAnimal() {
  if (auto hint = viewWithTag(kHintTag)) hint->removeFromSuperview();
}

void UIYBButton::touchesBegan(const UITouchSet& touches, UIEvent* event) {
  UIButton::touchesBegan(touches, event);
  removeAnimal();
}
