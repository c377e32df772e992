#include "ui/widgets/CustomUISwitch.h"

#include <algorithm>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"

namespace {

std::shared_ptr<UILabel> stripLabel(CGRect frame, std::string text) {
  auto label = std::make_shared<UILabel>(frame);
  label->setText(std::move(text));
  label->setTextColor(UIColor::whiteColor());
  label->setTextAlignment(UITextAlignmentCenter);
  label->setBackgroundColor(UIColor::clearColor());
  return label;
}

}  // namespace

CustomUISwitch::CustomUISwitch(CGRect frame)
    : UIControl(CGRectMake(frame.origin.x, frame.origin.y, kWidth, kHeight)) {}

std::shared_ptr<CustomUISwitch> CustomUISwitch::initWithFrame(CGRect frame) {
  auto view = std::make_shared<CustomUISwitch>(frame);
  view->setBackgroundColor(UIColor::clearColor());
  view->setClipsToBounds(true);
  view->setAutoresizingMask(UIViewAutoresizingNone);
  view->setOpaque(true);
  view->layer()->setCornerRadius(14);
  view->layer()->setMasksToBounds(true);
  view->setupUserInterface();
  return view;
}

void CustomUISwitch::setupUserInterface() {
  backgroundImage_ = std::make_shared<UIImageView>(CGRectMake(0, 0, kStripWidth, kHeight));
  backgroundImage_->setImage(UIImage::imageNamed("switch"));
  backgroundImage_->setUserInteractionEnabled(true);
  backgroundImage_->setBackgroundColor(UIColor::clearColor());
  backgroundImage_->setAutoresizingMask(UIViewAutoresizingNone);
  addSubview(backgroundImage_);

  switchImage_ = std::make_shared<UISlideButton>(CGRectMake(0, 0, kStripWidth, kHeight));
  auto strip = UIImage::imageNamed("switch_on");
  switchImage_->setImage(strip, UIControlStateNormal);
  switchImage_->setImage(strip, UIControlStateHighlighted);
  switchImage_->setAutoresizingMask(UIViewAutoresizingNone);
  auto self = weakSelf<CustomUISwitch>();
  switchImage_->addTarget(
      selector(self, &CustomUISwitch::slideEndAction, "slideEndAction:"),
      selector(self, &CustomUISwitch::slideMoveAction, "slideMoveAction:withLen:"));
  backgroundImage_->addSubview(switchImage_);

  leftLabel_ = stripLabel(CGRectMake(0, 0, 48, kHeight), "是");
  rightLabel_ = stripLabel(CGRectMake(73, 0, 48, kHeight), "否");
  switchImage_->addSubview(leftLabel_);
  switchImage_->addSubview(rightLabel_);
}

void CustomUISwitch::slideMoveAction(const Value& buttonAndLength) {
  CGFloat length = buttonAndLength[1].doubleValue();
  CGRect frame = switchImage_->frame();
  frame.origin.x = std::min<CGFloat>(0, std::max<CGFloat>(kOffX, frame.origin.x + length));
  switchImage_->setFrame(frame);
}

void CustomUISwitch::slideEndAction(const Value& button) {
  buttonPressed(button);
}

void CustomUISwitch::buttonPressed(const Value&) {
  if (hitCount_++ == 0) toggle();
}

void CustomUISwitch::toggle() {
  on_ = !on_;
  animateSwitch(on_);
}

void CustomUISwitch::placeStrip(bool on) {
  CGRect frame = switchImage_->frame();
  frame.origin.x = on ? 0 : kOffX;
  switchImage_->setFrame(frame);
  backgroundImage_->setImage(UIImage::imageNamed("switch.png"));
}

void CustomUISwitch::animateSwitch(bool on) {
  auto self = weakSelf<CustomUISwitch>();
  UIView::animateWithDuration(
      kToggleSeconds,
      [self, on] {
        if (auto s = self.lock()) s->placeStrip(on);
      },
      [self](bool) {
        if (auto s = self.lock()) s->animateHasFinished();
      });
}

void CustomUISwitch::animateHasFinished() {
  if (auto d = delegate_.lock()) d->valueChangedInView(*this);
  if (hitCount_ > 0) --hitCount_;
  if (hitCount_ > 0) toggle();
}

void CustomUISwitch::setOn(bool on, bool) {
  on_ = on;
  placeStrip(on);
}

NS_CLASS_IMPLEMENTATION(CustomUISwitch) {
  c.method("toggle", &CustomUISwitch::toggle);
  c.property("on", &CustomUISwitch::isOn,
             static_cast<void (CustomUISwitch::*)(bool)>(&CustomUISwitch::setOn));
}
