#include "ui/widgets/UISlideButton.h"

#include "Foundation/NSClass.h"
#include "UIKit/UITouch.h"

void UISlideButton::addTarget(Selector pressFun, Selector moveAction) {
  pressFun_ = std::move(pressFun);
  moveAction_ = std::move(moveAction);
}

void UISlideButton::touchesBegan(const UITouchSet& touches, UIEvent* event) {
  if (auto touch = touches.anyObject()) lastX_ = touch->locationInView(this).x;
  isMove_ = false;
  UIButton::touchesBegan(touches, event);
}

void UISlideButton::touchesMoved(const UITouchSet& touches, UIEvent* event) {
  isMove_ = true;
  UIButton::touchesMoved(touches, event);
  auto touch = touches.anyObject();
  if (!touch || !moveAction_) return;
  CGFloat length = touch->locationInView(this).x - lastX_;
  auto self = std::static_pointer_cast<NSObject>(shared_from_this());
  moveAction_(Value(makeArray({Value(self), Value(double(length))})));
}

void UISlideButton::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  auto keep = shared_from_this();
  if (event) sendRelease();
  UIButton::touchesEnded(touches, event);
}

void UISlideButton::touchesCancelled(const UITouchSet& touches, UIEvent* event) {
  auto keep = shared_from_this();
  UIButton::touchesCancelled(touches, event);
  sendRelease();
}

void UISlideButton::sendRelease() {
  if (pressFun_) pressFun_(Value(std::static_pointer_cast<NSObject>(shared_from_this())));
}

NS_CLASS_IMPLEMENTATION(UISlideButton) {}
