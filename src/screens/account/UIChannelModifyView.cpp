#include "screens/account/UIChannelModifyView.h"

#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSTimer.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIScreen.h"
#include "core/NSGlobe.h"

namespace {
std::shared_ptr<UIImage> guidePicture(int number) {
  return imageFileNamed("guideHome" + std::to_string(number));
}
}  // namespace

UIChannelModifyView::UIChannelModifyView(CGRect frame) : UIView(frame) {}

UIChannelModifyView::~UIChannelModifyView() {
  if (flipTimer_) flipTimer_->invalidate();
  if (endTimer_) endTimer_->invalidate();
}

std::shared_ptr<UIChannelModifyView> UIChannelModifyView::initWithGuideView() {
  CGFloat y = 190;
  if (NSGlobe::getEngine()->isIphone5()) y = UIScreen::mainScreen()->bounds().size.height - 290;
  auto bubble = std::make_shared<UIChannelModifyView>(CGRectMake(150, y, 156, 106));
  bubble->setBackgroundColor(UIColor::clearColor());
  bubble->imageView_ = std::make_shared<UIImageView>(CGRectMake(0, 0, 156, 106));
  bubble->imageView_->setImage(guidePicture(1));
  bubble->addSubview(bubble->imageView_);
  std::weak_ptr<UIChannelModifyView> weak = bubble;
  bubble->flipTimer_ = NSTimer::scheduledTimerWithTimeInterval(
      kFlipSeconds, true, [weak](const std::shared_ptr<NSTimer>&) {
        if (auto self = weak.lock()) self->flip();
      });
  bubble->endTimer_ = NSTimer::scheduledTimerWithTimeInterval(
      kShownSeconds, false, [weak](const std::shared_ptr<NSTimer>&) {
        if (auto self = weak.lock()) self->dismiss();
      });
  return bubble;
}

void UIChannelModifyView::flip() {
  picture_ = picture_ == 1 ? 2 : 1;
  imageView_->setImage(guidePicture(picture_));
}

void UIChannelModifyView::dismiss() {
  auto keep = shared_from_this();  // a tap ends here: the superview may hold the last reference
  if (flipTimer_) flipTimer_->invalidate();
  if (endTimer_) endTimer_->invalidate();
  flipTimer_.reset();
  endTimer_.reset();
  removeFromSuperview();
}

void UIChannelModifyView::touchesEnded(const UITouchSet&, UIEvent*) {
  dismiss();
}

NS_CLASS_IMPLEMENTATION(UIChannelModifyView) {
  c.initializer("initWithGuideView", &UIChannelModifyView::initWithGuideView);
}
