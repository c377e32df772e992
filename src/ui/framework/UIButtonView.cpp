#include "ui/framework/UIButtonView.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UITouch.h"
#include "ui/framework/UIYBImage.h"

bool touchEndsInFrame(const UIView& view, const UITouchSet& touches) {
  auto touch = touches.anyObject();
  if (!touch) return false;
  return CGRectContainsPoint(view.frame(), touch->locationInView(view.superview()));
}

UIButtonView::UIButtonView(CGRect frame) : UIView(frame) {
  setBackgroundColor(UIColor::clearColor());
  setOpaque(false);
  setClearsContextBeforeDrawing(false);
}

void UIButtonView::setImage(std::shared_ptr<UIImage> image, UIControlState) {
  m_img_ = std::move(image);
  setNeedsDisplay();
}

void UIButtonView::addTarget(Selector action, UIControlEvents events) {
  target_.set(std::move(action), events);
  resignFirstResponder();
  setUserInteractionEnabled(true);
}

void UIButtonView::drawRect(CGRect rect) {
  if (!m_img_) return;
  CGSize s = UIYBImage::maxSizeBySize(rect.size, m_img_);
  m_img_->drawInRect(CGRectMake((rect.size.width - s.width) / 2, (rect.size.height - s.height) / 2,
                                s.width, s.height));
}

void UIButtonView::touchesBegan(const UITouchSet& touches, UIEvent* event) {
  setAlpha(0.5);
  UIView::touchesBegan(touches, event);
}

void UIButtonView::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  auto keep = shared_from_this();
  if (touchEndsInFrame(*this, touches)) target_.fire(*this, event);
  UIView::touchesEnded(touches, event);
  setAlpha(1.0);
}

void UIButtonView::touchesCancelled(const UITouchSet& touches, UIEvent* event) {
  UIView::touchesCancelled(touches, event);
  setAlpha(1.0);
}

NS_CLASS_IMPLEMENTATION(UIButtonView) {}
