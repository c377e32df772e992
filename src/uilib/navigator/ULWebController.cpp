#include "uilib/navigator/ULWebController.h"

#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIImage.h"
#include "UIKit/UINavigationItem.h"
#include "UIKit/UIWindow.h"
#include "uilib/core/ULGlobal.h"
#include "uilib/navigator/ULNavigator.h"
#include "uilib/screen/ULOrientation.h"
#include "uilib/views/UIToolbar+ULCategory.h"

namespace {

constexpr std::string_view kBlank = "about:blank";

// The URL under "URL" when it names a page to reopen.
std::string persistedURL(const ValueDictionary& state) {
  if (!state) return {};
  Value url = state->objectForKey("URL");
  std::string text = url.isString() ? std::string(url.string()) : std::string();
  return text == kBlank ? std::string() : text;
}

}  // namespace

ULWebController::~ULWebController() {
  if (webView_) webView_->setDelegate({});
}

void ULWebController::initWithNavigatorURL(const std::shared_ptr<NSURL>& url,
                                           const ValueDictionary& query) {
  if (query) {
    Value request = query->objectForKey("request");
    if (auto r = std::dynamic_pointer_cast<NSURLRequest>(request.object())) {
      openRequest(r);
      return;
    }
  }
  openURL(url);
}

void ULWebController::openURL(const std::shared_ptr<NSURL>& url) {
  if (url) openRequest(NSMutableURLRequest::requestWithURL(url));
}

void ULWebController::openRequest(const std::shared_ptr<NSURLRequest>& request) {
  view();  // loads the view when it is not loaded yet
  if (webView_ && request) webView_->loadRequest(request);
}

void ULWebController::loadView() {
  ULModelViewController::loadView();
  webView_ = std::make_shared<UIWebView>(ULContentFrameBetweenBars());
  webView_->setDelegate(std::dynamic_pointer_cast<ULWebController>(shared_from_this()));
  webView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  webView_->setScalesPageToFit(true);
  view()->addSubview(webView_);

  auto spinner = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::White);
  spinner->startAnimating();
  activityItem_ = std::make_shared<UIBarButtonItem>(std::static_pointer_cast<UIView>(spinner));

  auto self = weakSelf<ULWebController>();
  backButton_ = std::make_shared<UIBarButtonItem>(
      UIImage::imageNamed("leftItem"), UIBarButtonItemStyle::Plain,
      selector(self, &ULWebController::backAction, "backAction"));
  backButton_->setTag(kBackTag);
  backButton_->setEnabled(false);
  forwardButton_ = std::make_shared<UIBarButtonItem>(
      UIImage::imageNamed("rightItem"), UIBarButtonItemStyle::Plain,
      selector(self, &ULWebController::forwardAction, "forwardAction"));
  forwardButton_->setTag(kForwardTag);
  forwardButton_->setEnabled(false);
  refreshButton_ = std::make_shared<UIBarButtonItem>(
      UIBarButtonSystemItemRefresh,
      selector(self, &ULWebController::refreshAction, "refreshAction"));
  refreshButton_->setTag(kRefreshStopTag);
  stopButton_ = std::make_shared<UIBarButtonItem>(
      UIBarButtonSystemItemStop, selector(self, &ULWebController::stopAction, "stopAction"));
  stopButton_->setTag(kRefreshStopTag);
  auto space = [] {
    return std::make_shared<UIBarButtonItem>(UIBarButtonSystemItemFlexibleSpace, Selector());
  };

  loadToolBar();
  toolbar_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth |
                                UIViewAutoresizingFlexibleTopMargin);
  toolbar_->setItems({backButton_, space(), forwardButton_, space(), refreshButton_, space()});
  view()->addSubview(toolbar_);
}

void ULWebController::loadToolBar() {
  CGFloat h = ULCurrentToolbarHeight();
  CGRect b = view()->bounds();
  toolbar_ = std::make_shared<UIToolbar>(CGRectMake(0, b.size.height - h, b.size.width, h));
}

void ULWebController::updateToolbarWithOrientation(UIInterfaceOrientation) {
  if (!toolbar_ || !webView_) return;
  CGFloat h = ULCurrentToolbarHeight();
  CGRect b = view()->bounds();
  CGRect web = webView_->frame();
  webView_->setFrame(CGRectMake(web.origin.x, web.origin.y, web.size.width, b.size.height - h));
  CGRect bar = toolbar_->frame();
  toolbar_->setFrame(CGRectMake(bar.origin.x, b.size.height - h, bar.size.width, h));
}

void ULWebController::viewWillAppear(bool animated) {
  ULModelViewController::viewWillAppear(animated);
  pinToolbar();
  updateToolbarWithOrientation(ULCurrentOrientation());
}

void ULWebController::viewDidAppear(bool animated) {
  ULModelViewController::viewDidAppear(animated);
  pinToolbar();
}

void ULWebController::pinToolbar() {
  // The tool bar keeps to the bottom of a view that its container resized.
  if (!toolbar_) return;
  CGRect b = view()->bounds();
  CGRect f = toolbar_->frame();
  toolbar_->setFrame(
      CGRectMake(f.origin.x, b.size.height - f.size.height, b.size.width, f.size.height));
}

void ULWebController::viewWillDisappear(bool animated) {
  // A page's text field may have taken the key window: give it back.
  if (isViewLoaded())
    if (auto window = view()->window()) window->makeKeyWindow();
  ULModelViewController::viewWillDisappear(animated);
}

void ULWebController::viewDidUnload() {
  ULModelViewController::viewDidUnload();
  delegate_.reset();
  if (webView_) {
    webView_->setDelegate({});
    webView_->removeFromSuperview();
    webView_.reset();
  }
  toolbar_.reset();
  backButton_.reset();
  forwardButton_.reset();
  refreshButton_.reset();
  stopButton_.reset();
  activityItem_.reset();
}

bool ULWebController::shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation o) {
  return ULOrientationIsSupported(o);
}

void ULWebController::willAnimateRotationToInterfaceOrientation(UIInterfaceOrientation o,
                                                                double duration) {
  ULModelViewController::willAnimateRotationToInterfaceOrientation(o, duration);
  updateToolbarWithOrientation(o);
}

std::shared_ptr<UIView> ULWebController::rotatingFooterView() {
  return toolbar_;
}

void ULWebController::backAction() {
  if (webView_) webView_->goBack();
}
void ULWebController::forwardAction() {
  if (webView_) webView_->goForward();
}
void ULWebController::refreshAction() {
  if (webView_) webView_->reload();
}
void ULWebController::stopAction() {
  if (webView_) webView_->stopLoading();
}

void ULWebController::shareAction() {
  if (actionSheet_ && actionSheet_->isVisible()) {
    actionSheet_->dismissWithClickedButtonIndex(-1, true);
    actionSheet_.reset();
    return;
  }
  actionSheet_ = std::make_shared<UIActionSheet>(
      "", std::dynamic_pointer_cast<ULWebController>(shared_from_this()),
      ULLibraryLocalizedString("Cancel"), "",
      std::vector<std::string>{ULLibraryLocalizedString("Open in Safari")});
  actionSheet_->showInView(view());
}

void ULWebController::actionSheetClickedButtonAtIndex(const std::shared_ptr<UIActionSheet>&,
                                                      long buttonIndex) {
  if (buttonIndex == 0)
    if (auto url = URL()) UIApplication::sharedApplication()->openURL(url);
}

bool ULWebController::persistView(const ValueDictionary& state) {
  auto url = URL();
  std::string text = url ? url->absoluteString() : std::string();
  if (text.empty() || text == kBlank) return false;
  if (state) state->setObject(Value(text), "URL");
  return true;
}

void ULWebController::restoreView(const ValueDictionary& state) {
  std::string text = persistedURL(state);
  if (!text.empty()) openURL(NSURL::URLWithString(text));
}

void ULWebController::startActivity() {
  if (!navigationItem()->rightBarButtonItem())
    navigationItem()->setRightBarButtonItem(activityItem_, true);
}

void ULWebController::stopActivity() {
  if (activityItem_ && navigationItem()->rightBarButtonItem() == activityItem_)
    navigationItem()->setRightBarButtonItem(nullptr, true);
}

void ULWebController::setHeaderView(const std::shared_ptr<UIView>& header) {
  if (header == headerView_ || !webView_) return;
  auto scroller = webView_->scroller();
  auto document = webView_->documentView();
  CGFloat before = headerView_ ? headerView_->frame().size.height : 0;
  bool had = headerView_ != nullptr;
  if (headerView_) headerView_->removeFromSuperview();
  headerView_ = header;
  CGFloat shift = 0;
  if (headerView_) {
    CGRect f = headerView_->frame();
    headerView_->setFrame(CGRectMake(0, 0, webView_->frame().size.width, f.size.height));
    scroller->addSubview(headerView_);
    if (!had) shift = f.size.height;  // replacing one header by another moves nothing
  } else if (had) {
    shift = -before;
  }
  if (shift != 0) {
    CGRect d = document->frame();
    document->setFrame(
        CGRectMake(d.origin.x, d.origin.y + shift, d.size.width, d.size.height - shift));
  }
}

std::shared_ptr<NSURL> ULWebController::URL() const {
  if (loadingURL_) return loadingURL_;
  auto request = webView_ ? webView_->request() : nullptr;
  return request ? request->URL() : nullptr;
}

void ULWebController::updateHistoryButtons() {
  if (!webView_) return;
  if (backButton_) backButton_->setEnabled(webView_->canGoBack());
  if (forwardButton_) forwardButton_->setEnabled(webView_->canGoForward());
}

bool ULWebController::webViewShouldStartLoadWithRequest(
    UIWebView& view, const std::shared_ptr<NSURLRequest>& request, UIWebViewNavigationType type) {
  if (auto d = delegate();
      d && !d->webControllerShouldStartLoadWithRequest(*this, view, request, type))
    return false;
  auto navigator = ULBaseNavigator::globalNavigator();
  if (navigator && request->URL() && navigator->URLMap().isAppURL(request->URL())) {
    loadingURL_ = NSURL::URLWithString(kBlank);
    UIApplication::sharedApplication()->openURL(request->URL());
    return false;
  }
  loadingURL_ = request->URL();
  updateHistoryButtons();
  return true;
}

void ULWebController::webViewDidStartLoad(UIWebView& view) {
  if (auto d = delegate()) d->webControllerDidStartLoad(*this, view);
  setTitle(NSLocalizedString("Loading..."));
  startActivity();
  if (toolbar_) replaceItemWithTag(*toolbar_, kRefreshStopTag, stopButton_);
  updateHistoryButtons();
}

void ULWebController::webViewDidFinishLoad(UIWebView& view) {
  if (auto d = delegate()) d->webControllerDidFinishLoad(*this, view);
  loadingURL_.reset();
  setTitle(view.stringByEvaluatingJavaScriptFromString("document.title"));
  stopActivity();
  if (toolbar_) replaceItemWithTag(*toolbar_, kRefreshStopTag, refreshButton_);
  updateHistoryButtons();
}

void ULWebController::webViewDidFailLoadWithError(UIWebView& view, const NSErrorPtr& error) {
  if (auto d = delegate()) d->webControllerDidFailLoadWithError(*this, view, error);
  webViewDidFinishLoad(view);
}

NS_CLASS_IMPLEMENTATION(ULWebController) {}
