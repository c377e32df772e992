#include "ui/framework/UIZMImageView.h"

#include "Foundation/NSClass.h"
#include "ui/framework/UIButtonView.h"

void UIZMImageView::addTarget(Selector action, UIControlEvents events) {
  target_.set(std::move(action), events);
  resignFirstResponder();
  setUserInteractionEnabled(true);
}

void UIZMImageView::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  auto keep = shared_from_this();
  if (touchEndsInFrame(*this, touches)) target_.fire(*this, event);
  UIImageView::touchesEnded(touches, event);
}

NS_CLASS_IMPLEMENTATION(UIZMImageView) {}
