#include "ui/widgets/CaptureView.h"

#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSClass.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"

// ---- CaptureView

CaptureView::CaptureView(CGRect frame) : UIView(frame) {}

std::shared_ptr<CaptureView> CaptureView::initWithView(const std::shared_ptr<UIView>& view) {
  auto capture = std::make_shared<CaptureView>(view ? view->frame() : CGRectZero);
  capture->settingImageFromView(view);
  return capture;
}

// The layer renders itself where it stands in its superlayer (its frame), so the context is
// moved back by the frame's origin to put the layer's own top left at (0, 0).
std::shared_ptr<UIImage> snapshotOfView(UIView& view) {
  UIGraphicsBeginImageContextWithOptions(view.bounds().size, false, 1.0);
  if (auto ctx = UIGraphicsGetCurrentContext()) {
    CGRect frame = view.frame();
    ctx->translateCTM(-frame.origin.x, -frame.origin.y);
    view.layer()->renderInContext(ctx);
  }
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return image;
}

void CaptureView::settingImageFromView(const std::shared_ptr<UIView>& view) {
  if (!view) return;
  setImageCapture(snapshotOfView(*view));
}

void CaptureView::setImageCapture(std::shared_ptr<UIImage> image) {
  imageCapture_ = std::move(image);
  setNeedsDisplay();
}

void CaptureView::drawRect(CGRect) {
  if (imageCapture_) imageCapture_->drawAtPoint(CGPointMake(0, 0));
}

NS_CLASS_IMPLEMENTATION(CaptureView) {}

// ---- UIAdView

UIAdView::UIAdView(CGRect frame) : UIImageView(frame) {}

std::shared_ptr<UIAdView> UIAdView::initWithFrame(CGRect frame) {
  auto view = std::make_shared<UIAdView>(frame);
  view->setUserInteractionEnabled(true);
  return view;
}

void UIAdView::addTarget(Selector action) {
  action_ = std::move(action);
}

void UIAdView::addCloseBtn(Selector adCloseAction) {
  if (needClose_) return;
  needClose_ = true;
  auto button = std::make_shared<UIButton>(CGRectMake(250, 15, 30, 30));
  button->setImage(imageFileNamed("channelClose"), UIControlStateNormal);
  button->addTarget(std::move(adCloseAction), UIControlEventTouchUpInside);
  addSubview(button);
}

void UIAdView::touchesBegan(const UITouchSet&, UIEvent*) {
  isMove_ = false;
}

void UIAdView::touchesMoved(const UITouchSet&, UIEvent*) {
  isMove_ = true;
}

void UIAdView::touchesCancelled(const UITouchSet&, UIEvent*) {
  isMove_ = true;
}

void UIAdView::touchesEnded(const UITouchSet&, UIEvent*) {
  if (isMove_) return;
  // A selector whose target is gone does nothing.
  if (action_) action_(Value());
}

NS_CLASS_IMPLEMENTATION(UIAdView) {}

NS_CLASS_IMPLEMENTATION(UIDataButton) {}
