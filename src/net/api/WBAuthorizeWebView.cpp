#include "net/api/WBAuthorizeWebView.h"

#include <cmath>
#include <cstdio>

#include "Foundation/NSClass.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UISwitch.h"
#include "UIKit/UIWindow.h"
#include "core/StoredKeys.h"
#include "net/api/NSWeiBoNet.h"
#include "net/api/WBAuthorize.h"
#include "net/api/WBEngine.h"

namespace {

constexpr double kPageTimeout = 60;

double screenHeight() {
  return UIScreen::mainScreen()->bounds().size.height;
}

bool needSaveAccount() {
  return NSUserDefaults::standardUserDefaults()->boolForKey(kNeedSaveAccountKey);
}

std::shared_ptr<WBEngine> accountEngine() {
  return NSWeiBoNet::getNetEngine()->weiboEngine();
}

}  // namespace

WBAuthorizeWebView::WBAuthorizeWebView() = default;

void WBAuthorizeWebView::setUp() {
  const double h = screenHeight();
  setFrame(CGRectMake(0, 0, 320, h));
  setBackgroundColor(UIColor::clearColor());
  setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);

  panelView_ = std::make_shared<UIView>(CGRectMake(0, 64, 320, h - 64));
  panelView_->setBackgroundColor(UIColor::colorWithWhite(0, 0.55));
  addSubview(panelView_);
  containerView_ = std::make_shared<UIView>(CGRectMake(0, 0, 320, h - 64));
  panelView_->addSubview(containerView_);
  webView_ = std::make_shared<UIWebView>(CGRectMake(0, 0, 320, h - 64));
  webView_->setDelegate(std::dynamic_pointer_cast<UIWebViewDelegate>(shared_from_this()));
  containerView_->addSubview(webView_);

  indicatorView_ = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::Gray);
  indicatorView_->setCenter(CGPointMake(160, h / 2));
  addSubview(indicatorView_);

  auto topBar = std::make_shared<UIImageView>(UIImage::imageNamed("topBar"));
  topBar->setFrame(CGRectMake(0, 20, 320, 44));
  topBar->setUserInteractionEnabled(true);
  addSubview(topBar);
  auto cancel = UIButton::buttonWithType(UIButtonType::Custom);
  cancel->setFrame(CGRectMake(5, 6, 56, 32));
  cancel->setBackgroundImage(UIImage::imageNamed("sendBtn"), UIControlStateNormal);
  cancel->setTitle("取消", UIControlStateNormal);
  cancel->titleLabel()->setFont(UIFont::systemFontOfSize(14));
  cancel->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
  cancel->addTarget(
      selector(weakSelf<WBAuthorizeWebView>(), &WBAuthorizeWebView::cancelBtn, "cancelBtn:"),
      UIControlEventTouchUpInside);
  topBar->addSubview(cancel);
  auto title = std::make_shared<UILabel>(CGRectMake(100, 0, 120, 44));
  title->setText("紫扎微博授权");
  title->setTextAlignment(UITextAlignmentCenter);
  title->setTextColor(UIColor::blackColor());
  title->setFont(UIFont::systemFontOfSize(17));
  title->setBackgroundColor(UIColor::clearColor());
  topBar->addSubview(title);

  auto bottomBar = std::make_shared<UIImageView>(UIImage::imageNamed("buttomBar"));
  bottomBar->setFrame(CGRectMake(0, h - 108, 320, 44));
  bottomBar->setUserInteractionEnabled(true);
  containerView_->addSubview(bottomBar);
  auto label = std::make_shared<UILabel>(CGRectMake(10, 0, 180, 44));
  label->setText("同时关注官方微博");
  label->setBackgroundColor(UIColor::clearColor());
  bottomBar->addSubview(label);
  auto follow = std::make_shared<UISwitch>(CGRectMake(190, 7, 50, 30));
  follow->setOn(true);
  follow->setTag(kFollowSwitchTag);
  bottomBar->addSubview(follow);
}

void WBAuthorizeWebView::loadRequestWithURL(const std::shared_ptr<NSURL>& url) {
  webView_->loadRequest(std::make_shared<NSURLRequest>(
      url, NSURLRequestCachePolicy::ReloadIgnoringLocalCacheData, kPageTimeout));
}

void WBAuthorizeWebView::show(bool animated) {
  auto app = UIApplication::sharedApplication();
  sizeToFitOrientation(app->statusBarOrientation());
  auto window = app->keyWindow();
  if (!window) {
    auto windows = app->windows();
    if (!windows.empty()) window = windows.front();
  }
  if (window) window->addSubview(self<UIView>());
  if (!animated) return;
  auto panel = panelView_;
  panel->setAlpha(0);
  panel->setTransform(CGAffineTransformMakeScale(0.3, 0.3));
  UIView::animateWithDuration(
      0.2,
      [panel] {
        panel->setAlpha(0.5);
        panel->setTransform(CGAffineTransformMakeScale(1.1, 1.1));
      },
      [panel](bool) {
        UIView::animateWithDuration(
            0.13,
            [panel] {
              panel->setAlpha(0.8);
              panel->setTransform(CGAffineTransformMakeScale(0.9, 0.9));
            },
            [panel](bool) {
              UIView::animateWithDuration(0.13, [panel] {
                panel->setAlpha(1);
                panel->setTransform(CGAffineTransformIdentity);
              });
            });
      });
}

void WBAuthorizeWebView::hide(bool animated) {
  if (animated) {
    auto self = this->self<UIView>();
    UIView::animateWithDuration(0.3, [self] { self->setAlpha(0); });
  }
  removeFromSuperview();
}

bool WBAuthorizeWebView::needAttend() {
  auto follow = std::dynamic_pointer_cast<UISwitch>(viewWithTag(kFollowSwitchTag));
  return follow && follow->isOn();
}

void WBAuthorizeWebView::hideKeyboard() {
  webView_->stringByEvaluatingJavaScriptFromString(
      "var userInput = document.getElementById('userId');userInput.blur();");
  webView_->stringByEvaluatingJavaScriptFromString(
      "var passInput = document.getElementById('passwd');passInput.blur();");
}

void WBAuthorizeWebView::cancelBtn() {
  hide(true);
}

void WBAuthorizeWebView::sizeToFitOrientation(UIInterfaceOrientation orientation) {
  const double h = screenHeight();
  setTransform(CGAffineTransformIdentity);
  if (orientation == UIInterfaceOrientation::LandscapeLeft ||
      orientation == UIInterfaceOrientation::LandscapeRight) {
    setFrame(CGRectMake(0, 0, h, 320));
    panelView_->setFrame(CGRectMake(10, 30, h - 20, 280));
    containerView_->setFrame(CGRectMake(10, 10, 440, 260));
    webView_->setFrame(CGRectMake(0, 0, 440, 260));
    indicatorView_->setCenter(CGPointMake(h / 2, 160));
  } else {
    setFrame(CGRectMake(0, 0, 320, h));
  }
  setCenter(CGPointMake(160, h / 2));
  setTransform(transformForOrientation(orientation));
  previousOrientation_ = orientation;
}

CGAffineTransform WBAuthorizeWebView::transformForOrientation(UIInterfaceOrientation orientation) {
  switch (orientation) {
    case UIInterfaceOrientation::PortraitUpsideDown:
      return CGAffineTransformMakeRotation(-M_PI);
    case UIInterfaceOrientation::LandscapeRight:
      return CGAffineTransformMakeRotation(M_PI / 2);
    case UIInterfaceOrientation::LandscapeLeft:
      return CGAffineTransformMakeRotation(-M_PI / 2);
    default:
      return CGAffineTransformIdentity;
  }
}

std::string WBAuthorizeWebView::fillAccountScript(const std::string& name) {
  std::string literal;
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    // U+2028 and U+2029 end a line inside a script literal too.
    if (c == 0xE2 && i + 2 < name.size() && static_cast<unsigned char>(name[i + 1]) == 0x80 &&
        (static_cast<unsigned char>(name[i + 2]) == 0xA8 ||
         static_cast<unsigned char>(name[i + 2]) == 0xA9)) {
      literal += static_cast<unsigned char>(name[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
      i += 2;
      continue;
    }
    if (c == '\\' || c == '\'' || c == '"') {
      literal += '\\';
      literal += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F || c == '<' || c == '>') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      literal += escaped;
    } else {
      literal += static_cast<char>(c);
    }
  }
  return "document.getElementById('userId').value='" + literal + "';";
}

bool WBAuthorizeWebView::webViewShouldStartLoadWithRequest(
    UIWebView& webView, const std::shared_ptr<NSURLRequest>& request, UIWebViewNavigationType) {
  // The code hides the dialog, which may be all that holds it.
  auto keep = self<UIView>();
  if (needSaveAccount()) {
    std::string typed =
        webView.stringByEvaluatingJavaScriptFromString("document.getElementById('userId').value");
    if (!typed.empty()) accountEngine()->saveToKeychainWithUsername(typed, std::string());
  }
  std::string url = request && request->URL() ? request->URL()->absoluteString() : std::string();
  // Only the redirect to the login's own address carries the outcome; a "code=" anywhere else
  // (the page's own links, another site) is not the platform's answer.
  if (!redirectURI_.empty() && url.rfind(redirectURI_, 0) == 0) {
    auto delegate = delegate_.lock();
    if (!delegate) return true;
    if (auto code = WBAuthorize::getParamValueFromUrl(url, "code"); code && !code->empty()) {
      delegate->authorizeWebViewDidReceiveAuthorizeCode(*this, *code);
    } else if (auto error = WBAuthorize::getParamValueFromUrl(url, "error_code")) {
      delegate->authorizeWebViewDidReceiveErrorCode(*this, *error);
    }
  }
  return true;
}

void WBAuthorizeWebView::webViewDidStartLoad(UIWebView&) {
  indicatorView_->startAnimating();
}

void WBAuthorizeWebView::webViewDidFinishLoad(UIWebView& webView) {
  indicatorView_->stopAnimating();
  if (!needSaveAccount()) return;
  auto name = accountEngine()->readUsernameFromKeychain();
  if (name && !name->empty())
    webView.stringByEvaluatingJavaScriptFromString(fillAccountScript(*name));
}

void WBAuthorizeWebView::webViewDidFailLoadWithError(UIWebView&, const NSErrorPtr&) {
  indicatorView_->stopAnimating();
}

NS_CLASS_IMPLEMENTATION(WBAuthorizeWebView) {}
