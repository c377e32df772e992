#include "ui/widgets/UISlideView.h"

#include <algorithm>
#include <cmath>

#include "Foundation/NSClass.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"

namespace {

constexpr CGFloat kRight = 173;

std::shared_ptr<UIButton> arrowButton(CGRect frame, std::string_view image, Selector action) {
  auto button = std::make_shared<UIButton>(frame, UIButtonType::Custom);
  button->setImage(UIImage::imageNamed(image), UIControlStateNormal);
  button->addTarget(std::move(action), UIControlEventTouchUpInside);
  return button;
}

}  // namespace

std::shared_ptr<UISlideView> UISlideView::initWithParam(CGPoint origin, float value) {
  auto view = std::make_shared<UISlideView>(CGRectMake(origin.x, origin.y, 237, 30));
  auto self = view->weakSelf<UISlideView>();
  auto track = std::make_shared<UIImageView>(CGRectMake(0, 0, 237, 30));
  track->setImage(UIImage::imageNamed("slideBK"));
  view->addSubview(track);
  view->addSubview(arrowButton(CGRectMake(0, 0, 33, 30), "leftSlide",
                               selector(self, &UISlideView::leftAction, "leftAction:")));
  view->addSubview(arrowButton(CGRectMake(204, 0, 33, 30), "rightslide",
                               selector(self, &UISlideView::rightAction, "rightAction:")));

  CGFloat x = value / 10 * kTravel + kLeft;
  auto blue = UIColor::colorWithRed(0, 198.0 / 255, 1, 1);
  view->bar_ = std::make_shared<UIColorButton>(CGRectMake(kLeft, 8, x - kLeft + 7, 14));
  view->bar_->layer()->setCornerRadius(6);
  view->bar_->setClipsToBounds(true);
  view->bar_->setTag(kBarTag);
  view->bar_->setBorderColor(blue);
  view->bar_->setHighColor(blue);
  view->bar_->setLowColor(UIColor::colorWithRed(0, 198.0 / 255, 1, 0.3));
  view->addSubview(view->bar_);

  view->ball_ = std::make_shared<UISlideButton>(CGRectMake(x, 0, 30, 30));
  view->ball_->setTag(kBallTag);
  auto ballImage = UIImage::imageNamed("slideBall");
  view->ball_->setImage(ballImage, UIControlStateNormal);
  view->ball_->setImage(ballImage, UIControlStateHighlighted);
  view->ball_->addTarget(selector(self, &UISlideView::slideEndAction, "slideEndAction:"),
                         selector(self, &UISlideView::slideMoveAction, "slideMoveAction:withLen:"));
  view->addSubview(view->ball_);
  view->value_ = value;
  return view;
}

void UISlideView::placeBall(CGFloat x) {
  CGRect ball = ball_->frame();
  ball.origin.x = x;
  ball_->setFrame(ball);
  CGRect bar = bar_->frame();
  bar.size.width = x - kLeft + 7;
  bar_->setFrame(bar);
  bar_->reSetBoard();
}

void UISlideView::setValue(float fraction) {
  value_ = fraction * 10;
  placeBall(value_ / 10 * kTravel + kLeft);
}

void UISlideView::leftAction(const Value&) {
  value_ = std::max(0.0f, value_ - 1);
  slideEndAction(Value(std::static_pointer_cast<NSObject>(ball_)));
}

void UISlideView::rightAction(const Value&) {
  value_ = std::min(10.0f, value_ + 1);
  slideEndAction(Value(std::static_pointer_cast<NSObject>(ball_)));
}

void UISlideView::slideMoveAction(const Value& ballAndLength) {
  CGFloat x =
      std::clamp<CGFloat>(ball_->frame().origin.x + ballAndLength[1].doubleValue(), kLeft, kRight);
  placeBall(x);
  float p = float((x - kLeft) * 10 / kTravel);
  if (std::fabs(p - value_) >= 1) value_ = p;
}

void UISlideView::slideEndAction(const Value&) {
  placeBall(value_ / 10 * kTravel + kLeft);
  if (slideUp_) slideUp_(Value(std::static_pointer_cast<NSObject>(shared_from_this())));
}

NS_CLASS_IMPLEMENTATION(UISlideView) {
  c.method("leftAction:", &UISlideView::leftAction);
  c.method("rightAction:", &UISlideView::rightAction);
}
