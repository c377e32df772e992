#include "ui/framework/WebViewCtrl.h"

#include "Foundation/NSClass.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UINavigationBar.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UINavigationItem.h"
#include "UIKit/UIScreen.h"
#include "core/NSObject+UIViewBusy.h"
#include "ui/framework/UIYBToolBar.h"

namespace {

constexpr std::string_view kTitle = "网页";
constexpr CGFloat kBarHeight = 44;

void setNetworkIndicator(bool visible) {
  UIApplication::sharedApplication()->setNetworkActivityIndicatorVisible(visible);
}

std::shared_ptr<UIButton> historyButton(const std::string& title, CGFloat x, long tag) {
  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setFrame(CGRectMake(x, 7, 60, 30));
  button->setTitle(title, UIControlStateNormal);
  button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
  button->setTitleColor(UIColor::colorWithRed(0.6, 0.6, 0.6, 1), UIControlStateDisabled);
  button->titleLabel()->setFont(UIFont::systemFontOfSize(15));
  button->setTag(tag);
  button->setEnabled(false);
  return button;
}

}  // namespace

WebViewCtrl::~WebViewCtrl() {
  stopActivityIndicatorViewAnimation();
  NSNotificationCenter::defaultCenter()->removeObserver(weak_from_this());
  if (myWebView_) myWebView_->setNextdelegate(nullptr);
  setNetworkIndicator(false);
}

void WebViewCtrl::viewDidLoad() {
  UIViewCtrl::viewDidLoad();
  setTitle(std::string(kTitle));
  view()->setFrame(UIScreen::mainScreen()->applicationFrame());
  if (auto navigation = navigationController()) navigation->setNavigationBarHidden(false);
  auto spinner = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::White);
  spinner->startAnimating();
  activityItem_ = std::make_shared<UIBarButtonItem>(std::static_pointer_cast<UIView>(spinner));
  if (isMediaPlay_) {
    activityView_ =
        std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::WhiteLarge);
    activityView_->setFrame(CGRectMake(130, 173, 60, 60));
    view()->addSubview(activityView_);
    activityView_->startAnimating();
  }
  // The history bar below the page.
  CGRect b = view()->bounds();
  auto bar = std::make_shared<UIYBToolBar>(
      CGRectMake(0, b.size.height - kBarHeight, b.size.width, kBarHeight));
  bar->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleTopMargin);
  btnBack_ = historyButton("后退", 20, kBackButtonTag);
  btnBack_->addTarget(selector(weakSelf<WebViewCtrl>(), &WebViewCtrl::BackAction, "BackAction:"),
                      UIControlEventTouchUpInside);
  btnForward_ = historyButton("前进", b.size.width - 80, kForwardButtonTag);
  btnForward_->addTarget(
      selector(weakSelf<WebViewCtrl>(), &WebViewCtrl::ForwardAction, "ForwardAction:"),
      UIControlEventTouchUpInside);
  bar->addSubview(btnBack_);
  bar->addSubview(btnForward_);
  view()->addSubview(bar);
  historyBar_ = bar;
  startBusyAnimation();
}

void WebViewCtrl::viewWillAppear(bool animated) {
  UIViewCtrl::viewWillAppear(animated);
  if (!isStatusBarHidden_) return;
  UIApplication::sharedApplication()->setStatusBarHidden(true, true);
  if (auto navigation = navigationController()) {
    auto bar = navigation->navigationBar();
    bar->setFrame(CGRectMake(0, 0, bar->frame().size.width, bar->frame().size.height));
  }
}

void WebViewCtrl::viewWillDisappear(bool animated) {
  UIViewCtrl::viewWillDisappear(animated);
  if (myWebView_) {
    myWebView_->stopLoading();
    myWebView_->setNextdelegate(nullptr);
  }
  UIApplication::sharedApplication()->setStatusBarHidden(false, false);
}

void WebViewCtrl::displayWithURL(std::string_view url) {
  auto center = NSNotificationCenter::defaultCenter();
  std::weak_ptr<WebViewCtrl> self = weakSelf<WebViewCtrl>();
  center->addObserver(
      self,
      [self](const NSNotificationPtr& n) {
        if (auto s = self.lock()) s->moviePlayerWillEnterFullScreen(n);
      },
      UIMoviePlayerControllerDidEnterFullscreenNotification);
  center->addObserver(
      self,
      [self](const NSNotificationPtr& n) {
        if (auto s = self.lock()) s->moviePlayerWillExitFullScreen(n);
      },
      UIMoviePlayerControllerDidExitFullscreenNotification);
  displayWithURL(url, 0);
  if (activityView_) view()->bringSubviewToFront(activityView_);
}

void WebViewCtrl::displayWithURL(std::string_view url, double originY) {
  CGRect app = UIScreen::mainScreen()->applicationFrame();
  CGFloat top = app.origin.y + originY - (isStatusBarHidden_ ? 0 : 20);
  myWebView_ = std::make_shared<UIYBWebView>(
      CGRectMake(app.origin.x, top, app.size.width, app.size.height - kBarHeight));
  myWebView_->setBackgroundColor(UIColor::whiteColor());
  myWebView_->setScalesPageToFit(true);
  myWebView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth |
                                  UIViewAutoresizingFlexibleHeight);
  myWebView_->setNextdelegate(std::dynamic_pointer_cast<WebViewCtrl>(shared_from_this()));
  myWebView_->setAllowsInlineMediaPlayback(true);
  view()->addSubview(myWebView_);
  // The page's last 44 points lie under the history bar, which stays in front.
  if (historyBar_) view()->bringSubviewToFront(historyBar_);
  auto address = NSURL::URLWithString(url);
  if (!address) return;
  std::shared_ptr<NSURLRequest> request;
  if (needPost_) {
    auto post = NSMutableURLRequest::requestWithURL(address);
    post->setHTTPMethod("POST");
    post->setHTTPBody(postBody_);
    request = post;
  } else {
    request = std::make_shared<NSURLRequest>(address);
  }
  myWebView_->loadRequest(request);
  myWebView_->setMediaPlaybackRequiresUserAction(false);
}

void WebViewCtrl::setPostBosy(std::string body) {
  postBody_ = std::move(body);
  needPost_ = true;
}

void WebViewCtrl::BackAction(const Value&) {
  if (myWebView_ && myWebView_->canGoBack()) myWebView_->goBack();
}

void WebViewCtrl::ForwardAction(const Value&) {
  if (myWebView_ && myWebView_->canGoForward()) myWebView_->goForward();
}

void WebViewCtrl::startActivity() {
  if (!navigationItem()->rightBarButtonItem())
    navigationItem()->setRightBarButtonItem(activityItem_, true);
}

void WebViewCtrl::stopActivity() {
  stopActivityIndicatorViewAnimation();
  if (activityItem_ && navigationItem()->rightBarButtonItem() == activityItem_)
    navigationItem()->setRightBarButtonItem(nullptr, true);
}

std::shared_ptr<UIButton> WebViewCtrl::findButtonInView(const std::shared_ptr<UIView>& view) {
  if (!view) return nullptr;
  if (typeid(*view) == typeid(UIButton)) return std::static_pointer_cast<UIButton>(view);
  for (auto& child : view->subviews())
    if (auto button = findButtonInView(child)) return button;
  return nullptr;
}

void WebViewCtrl::sendActions() {
  if (isInPlay_) return;
  if (auto button = findButtonInView(myWebView_))
    button->sendActionsForControlEvents(UIControlEventTouchUpInside);
  if (isInPlay_) return;
  // The scheduled press keeps the screen alive until it has run.
  auto self = std::dynamic_pointer_cast<WebViewCtrl>(shared_from_this());
  performAfterDelay([self] { self->sendActions(); }, kPlayPressInterval);
}

void WebViewCtrl::moviePlayerWillEnterFullScreen(const NSNotificationPtr&) {
  isInPlay_ = true;
  if (activityView_) activityView_->stopAnimating();
  NSNotificationCenter::defaultCenter()->removeObserver(
      weak_from_this(), UIMoviePlayerControllerDidEnterFullscreenNotification);
}

void WebViewCtrl::moviePlayerWillExitFullScreen(const NSNotificationPtr&) {
  NSNotificationCenter::defaultCenter()->removeObserver(
      weak_from_this(), UIMoviePlayerControllerDidExitFullscreenNotification);
  cancelButtonPushed(Value());
}

void WebViewCtrl::cancelButtonPushed(const Value& sender) {
  auto keep = shared_from_this();
  isInPlay_ = true;
  if (auto navigation = navigationController()) navigation->setNavigationBarHidden(true);
  UIViewCtrl::cancelButtonPushed(sender);
}

void WebViewCtrl::clickVideo() {
  if (!myWebView_) return;
  myWebView_->stringByEvaluatingJavaScriptFromString(
      "(function play(){var v=document.getElementById('video-player-html5');"
      "if(v){v.playVideo();}else{setTimeout(play,100);}})();");
}

void WebViewCtrl::detailedWatchTUI() {
  if (!myWebView_) return;
  myWebView_->stringByEvaluatingJavaScriptFromString(
      "var s=document.createElement('script');s.type='text/javascript';"
      "s.text='function start(){document.getElementById(\"_youkujs_\").play();}';"
      "document.getElementsByTagName('head')[0].appendChild(s);");
  myWebView_->stringByEvaluatingJavaScriptFromString("onload();");
}

void WebViewCtrl::webViewDidStartLoad(UIWebView& view) {
  setNetworkIndicator(true);
  view.setMediaPlaybackRequiresUserAction(false);
  if (btnBack_) btnBack_->setEnabled(false);
  if (btnForward_) btnForward_->setEnabled(false);
  startActivity();
  if (isMediaPlay_ && activityView_) this->view()->bringSubviewToFront(activityView_);
}

void WebViewCtrl::webViewDidFinishLoad(UIWebView&) {
  loadEnded();
  if (isMediaPlay_) {
    auto self = std::dynamic_pointer_cast<WebViewCtrl>(shared_from_this());
    performAfterDelay([self] { self->sendActions(); }, kPlayPressInterval);
    if (activityView_) view()->bringSubviewToFront(activityView_);
  }
}

void WebViewCtrl::webViewDidFailLoadWithError(UIWebView&, const NSErrorPtr&) {
  loadEnded();
}

void WebViewCtrl::loadEnded() {
  stopActivity();
  setNetworkIndicator(false);
  if (myWebView_) myWebView_->setMediaPlaybackRequiresUserAction(false);
  updateHistoryButtons();
}

void WebViewCtrl::updateHistoryButtons() {
  if (!myWebView_) return;
  if (btnBack_) btnBack_->setEnabled(myWebView_->canGoBack());
  if (btnForward_) btnForward_->setEnabled(myWebView_->canGoForward());
}

NS_CLASS_IMPLEMENTATION(WebViewCtrl) {}
