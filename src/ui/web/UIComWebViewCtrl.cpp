#include "ui/web/UIComWebViewCtrl.h"

#include "Foundation/NSClass.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIScreen.h"
#include "core/NSObject+UIViewBusy.h"
#include "ui/framework/UIZMButton.h"

UIComWebViewCtrl::~UIComWebViewCtrl() {
  stopActivityIndicatorViewAnimation();
}

void UIComWebViewCtrl::initWithNavigatorString(std::string_view url) {
  initWithNavigatorURL(NSURL::URLWithString(url), nullptr);
}

void UIComWebViewCtrl::viewDidLoad() {
  AppWebScreen::viewDidLoad();
  loadNavigationBar();
  startBusyAnimation();
}

void UIComWebViewCtrl::updateToolbarWithOrientation(UIInterfaceOrientation) {
  if (!webView()) return;
  CGRect f = webView()->frame();
  CGFloat screen = UIScreen::mainScreen()->bounds().size.height;
  webView()->setFrame(CGRectMake(f.origin.x, kBarHeight, f.size.width, screen - 20 - 88));
}

void UIComWebViewCtrl::webViewDidStartLoad(UIWebView& view) {
  ULWebController::webViewDidStartLoad(view);
  startBusyAnimation();
}

void UIComWebViewCtrl::webViewDidFinishLoad(UIWebView& view) {
  ULWebController::webViewDidFinishLoad(view);
  ++isFirstFinish_;
  if (isFirstFinish_ >= 2)
    if (auto button = this->view()->viewWithTag(kRightButtonTag)) button->setHidden(true);
  stopActivityIndicatorViewAnimation();
}

void UIComWebViewCtrl::setRightBtn(const std::string& title, Selector action) {
  auto control = UIZMButton::buttonWithStyle("toolbarRoundButton:", title);
  control->setTag(kRightButtonTag);
  view()->addSubview(control);
  if (auto button = std::dynamic_pointer_cast<UIButton>(control))
    button->titleLabel()->setFont(UIFont::systemFontOfSize(14));
  control->sizeToFit();
  control->addTarget(std::move(action), UIControlEventTouchUpInside);
  CGRect f = control->frame();
  control->setFrame(CGRectMake(310 - f.size.width, 6, f.size.width, f.size.height));
}

NS_CLASS_IMPLEMENTATION(UIComWebViewCtrl) {}
