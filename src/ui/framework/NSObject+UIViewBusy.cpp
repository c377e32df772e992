#include <cmath>

#include "Foundation/NSThread.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"
#include "ui/framework/ApplicationWindow.h"
#include "ui/framework/NSObject+UIViewBusy.h"
#include "ui/framework/UIMessageView.h"

namespace {

UIViewBusy::Views& shared() {
  static UIViewBusy::Views views;
  return views;
}

void setNetworkIndicator(bool on) {
  auto app = UIApplication::sharedApplication();
  if (app->isNetworkActivityIndicatorVisible() != on) app->setNetworkActivityIndicatorVisible(on);
}

CGFloat screenHeight() {
  return UIScreen::mainScreen()->bounds().size.height;
}

std::shared_ptr<UIView> createBackgroundView() {
  auto box = std::make_shared<UIView>(UIViewBusy::standardFrame());
  box->setBackgroundColor(UIColor::blackColor());
  box->setAlpha(0.8);
  return box;
}

std::shared_ptr<UIActivityIndicatorView> createActivityIndicatorView() {
  auto spinner = std::make_shared<UIActivityIndicatorView>(CGRectMake(10, 5, 25, 25));
  spinner->setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle::White);
  spinner->setFrame(CGRectMake(10, 5, 25, 25));
  return spinner;
}

std::shared_ptr<UILabel> createLabelPrompt() {
  auto label = std::make_shared<UILabel>(CGRectMake(40, 5, 90, 25));
  label->setBackgroundColor(UIColor::clearColor());
  label->setFont(UIFont::boldSystemFontOfSize(15));
  label->setTextColor(UIColor::whiteColor());
  label->setTextAlignment(UITextAlignmentLeft);
  return label;
}

// The box with the text at the frame, in front in the view (the window when none).
void showBox(std::string_view text, CGRect frame, std::shared_ptr<UIView> in) {
  setNetworkIndicator(true);
  UIViewBusy::Views& v = shared();
  if (!v.box) return;
  v.label->setText(std::string(text));
  v.box->setFrame(frame);
  if (!in) in = applicationWindow();
  if (in) {
    in->addSubview(v.box);
    in->bringSubviewToFront(v.box);
  }
  v.boxSpinner->startAnimating();
}

}  // namespace

namespace UIViewBusy {

const Views& views() {
  return shared();
}

CGRect standardFrame() {
  return CGRectMake(95, (screenHeight() - 20 - 35) / 2, 130, 35);
}

void createViews() {
  Views& v = shared();
  if (v.box) return;
  v.cover = std::make_shared<UIView>(CGRectMake(0, 0, 320, 480));
  v.cover->setBackgroundColor(UIColor::clearColor());
  v.box = createBackgroundView();
  v.freeSpinner = createActivityIndicatorView();
  v.boxSpinner = createActivityIndicatorView();
  v.label = createLabelPrompt();
  v.box->addSubview(v.boxSpinner);
  v.box->addSubview(v.label);
}

void hide() {
  Views& v = shared();
  if (v.freeSpinner) {
    v.freeSpinner->stopAnimating();
    v.freeSpinner->removeFromSuperview();
  }
  if (v.boxSpinner) v.boxSpinner->stopAnimating();
  if (v.box) v.box->removeFromSuperview();
  if (v.cover) v.cover->removeFromSuperview();
  setNetworkIndicator(false);
}

}  // namespace UIViewBusy

void startActivityIndicatorAnimation() {
  startBusyAnimationWithString(UIViewBusy::kDownloadingText);
}

void startBusyAnimationWithString(std::string_view text, CGRect frame) {
  showBox(text, frame, nullptr);
}

void startBusyAnimationWithString(std::optional<std::string_view> text, double offsetY) {
  showBox(text ? *text : UIViewBusy::kRequestingText, CGRectMake(95, offsetY, 130, 35), nullptr);
}

void startBusyAnimationWithString(std::string_view text, CGRect frame,
                                  const std::shared_ptr<UIView>& view) {
  showBox(text, frame, view);
}

void startBusyAnimationInView(const std::shared_ptr<UIView>& view) {
  showBox(UIViewBusy::kLoadingText, UIViewBusy::standardFrame(), view);
}

namespace {

void stopMessageSoon() {
  auto strip = UIMessageView::sharedMessageView();
  performSelectorAfterDelay(selector(strip, &UIMessageView::stopMessage, "stopMessage"), {}, 1.0);
}

}  // namespace

void startAutoAnimationWithString(std::string_view text) {
  stopMessageSoon();
  startBusyAnimationWithString(text);
}

void startAutoAnimationWithString(std::string_view text, double offsetY) {
  stopMessageSoon();
  showBox(text, CGRectMake(95, std::trunc(offsetY), 130, 35), nullptr);
}

void startBusyAnimationCenter() {
  setNetworkIndicator(true);
  UIViewBusy::Views& v = shared();
  if (!v.freeSpinner) return;
  v.freeSpinner->setFrame(CGRectMake(145, (screenHeight() - 20 - 30) / 2, 30, 30));
  if (auto window = applicationWindow()) {
    window->addSubview(v.cover);
    window->addSubview(v.freeSpinner);
    window->bringSubviewToFront(v.freeSpinner);
  }
  v.freeSpinner->startAnimating();
}

void startBusyAnimationByCenter(CGPoint point) {
  setNetworkIndicator(true);
  UIViewBusy::Views& v = shared();
  if (!v.freeSpinner) return;
  v.freeSpinner->setFrame(CGRectMake(point.x, point.y, 25, 25));
  if (auto window = applicationWindow()) {
    window->addSubview(v.freeSpinner);
    window->bringSubviewToFront(v.freeSpinner);
  }
  v.freeSpinner->startAnimating();
}

void startBusyAnimationWithFrame(CGRect frame) {
  setNetworkIndicator(true);
  UIViewBusy::Views& v = shared();
  if (!v.boxSpinner) return;
  v.boxSpinner->setFrame(frame);
  v.boxSpinner->startAnimating();
}

void create_UIActivityIndView(CGPoint point) {
  UIViewBusy::Views& v = shared();
  if (point.x == 0 && point.y == 0) point = CGPointMake(15, 980);
  if (!v.largeSpinner) {
    v.largeSpinner =
        std::make_shared<UIActivityIndicatorView>(CGRectMake(point.x, point.y, 200, 200));
  } else {
    CGRect f = v.largeSpinner->frame();
    v.largeSpinner->setFrame(CGRectMake(point.x, point.y, f.size.width, f.size.height));
  }
  v.largeSpinner->startAnimating();
  v.largeSpinner->setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle::Gray);
  v.largeSpinner->sizeToFit();
  v.largeSpinner->setAutoresizingMask(
      UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin |
      UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin);
  if (auto window = applicationWindow()) window->addSubview(v.largeSpinner);
}

void startActivityIndicatorAnimationNOView() {
  setNetworkIndicator(true);
}

void stopActivityIndicatorViewAnimationNOView() {
  setNetworkIndicator(false);
}
