#include "screens/reading/OriginalReadViewController.h"

#include "Foundation/NSClass.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIImage.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"
#include "core/NSObject+UIViewBusy.h"

namespace {

void setNetworkIndicator(bool visible) {
  UIApplication::sharedApplication()->setNetworkActivityIndicatorVisible(visible);
}

}  // namespace

OriginalReadViewController::~OriginalReadViewController() {
  if (originalWebView_) originalWebView_->setNextdelegate(nullptr);
}

void OriginalReadViewController::loadView() {
  UIBaseViewCtrl::loadView();
  CGFloat h = UIScreen::mainScreen()->bounds().size.height;
  originalWebView_ = std::make_shared<UIYBWebView>(CGRectMake(0, 0, 320, h - 20));
  originalWebView_->setNextdelegate(
      std::dynamic_pointer_cast<OriginalReadViewController>(shared_from_this()));
  originalWebView_->setScalesPageToFit(true);
  view()->addSubview(originalWebView_);
  auto back = UIButton::buttonWithType(UIButtonType::Custom);
  back->setFrame(CGRectMake(276, h - 64, 44, 44));
  back->setImage(UIImage::imageNamed("returnBtn"), UIControlStateNormal);
  back->setImage(UIImage::imageNamed("returnBtnS"), UIControlStateSelected);
  back->addTarget(selector(weakSelf<OriginalReadViewController>(),
                           &OriginalReadViewController::backAction, "backAction:"),
                  UIControlEventTouchUpInside);
  view()->addSubview(back);
}

void OriginalReadViewController::viewWillDisappear(bool animated) {
  UIBaseViewCtrl::viewWillDisappear(animated);
  loadEnded();
}

void OriginalReadViewController::viewDidUnload() {
  if (originalWebView_) originalWebView_->setNextdelegate(nullptr);
  originalWebView_.reset();
}

void OriginalReadViewController::readOriginalWithURL(std::string_view url) {
  view();
  if (!originalWebView_) return;
  originalWebView_->stopLoading();
  if (auto address = NSURL::URLWithString(url))
    originalWebView_->loadRequest(std::make_shared<NSURLRequest>(address));
}

void OriginalReadViewController::backAction(const Value&) {
  auto keep = shared_from_this();
  if (originalWebView_) {
    originalWebView_->stopLoading();
    originalWebView_->setNextdelegate(nullptr);
    originalWebView_->removeFromSuperview();
    originalWebView_.reset();
  }
  if (auto navigation = navigationController()) navigation->popViewControllerAnimated(true);
}

void OriginalReadViewController::webViewDidStartLoad(UIWebView&) {
  if (hasShowBusy_) return;
  setNetworkIndicator(true);
  startBusyAnimation();
  hasShowBusy_ = true;
}

void OriginalReadViewController::webViewDidFinishLoad(UIWebView&) {
  loadEnded();
}

void OriginalReadViewController::webViewDidFailLoadWithError(UIWebView&, const NSErrorPtr&) {
  loadEnded();
}

void OriginalReadViewController::loadEnded() {
  setNetworkIndicator(false);
  stopActivityIndicatorViewAnimation();
}

NS_CLASS_IMPLEMENTATION(OriginalReadViewController) {}
