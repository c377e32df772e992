// The library's in-app browser screen: a web view between the bars with a tool bar of back,
// forward and reload/stop below it, a white spinner in the navigation bar's right slot while a
// page loads, and the page's title ("document.title") as the screen's title once it loaded.
//
// What callers rely on:
// - initWithNavigatorURL (after construction) opens the query's "request" when it holds one,
//   else the URL; openRequest loads the view first when needed.
// - URLs that the global navigator's map classes as another application's (store and map
//   pages, non-web schemes) are never loaded: the system opens them, and URL reports
//   "about:blank" until the next load.
// - A failed load ends as a finished one does (webViewDidFinishLoad runs): no error page.
// - A hidden view that a memory warning unloads keeps its URL (persistView) and reopens it when
//   restored, unless it is empty or "about:blank".
// - Subclasses change the bars: loadToolBar, updateToolbarWithOrientation, startActivity,
//   stopActivity.  Main thread only.
#pragma once

#include <memory>
#include <string>

#include "Foundation/NSURL.h"
#include "Foundation/NSURLRequest.h"
#include "UIKit/UIActionSheet.h"
#include "UIKit/UIBarButtonItem.h"
#include "UIKit/UIToolbar.h"
#include "UIKit/UIWebView.h"
#include "uilib/navigator/ULModelViewController.h"

class ULWebController;

// Every call optional.
class ULWebControllerDelegate {
 public:
  virtual ~ULWebControllerDelegate() = default;
  virtual bool webControllerShouldStartLoadWithRequest(ULWebController&, UIWebView&,
                                                       const std::shared_ptr<NSURLRequest>&,
                                                       UIWebViewNavigationType) {
    return true;
  }
  virtual void webControllerDidStartLoad(ULWebController&, UIWebView&) {}
  virtual void webControllerDidFinishLoad(ULWebController&, UIWebView&) {}
  virtual void webControllerDidFailLoadWithError(ULWebController&, UIWebView&, const NSErrorPtr&) {}
};

class ULWebController : public ULModelViewController,
                        public UIWebViewDelegate,
                        public UIActionSheetDelegate {
  NS_CLASS(ULWebController, ULModelViewController)
 public:
  static constexpr long kBackTag = 2;
  static constexpr long kForwardTag = 1;
  static constexpr long kRefreshStopTag = 3;

  ULWebController() = default;
  ~ULWebController() override;

  void initWithNavigatorURL(const std::shared_ptr<NSURL>& url, const ValueDictionary& query);
  void openURL(const std::shared_ptr<NSURL>& url);
  void openRequest(const std::shared_ptr<NSURLRequest>& request);

  void loadView() override;
  virtual void loadToolBar();
  virtual void updateToolbarWithOrientation(UIInterfaceOrientation orientation);
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void viewDidUnload() override;
  bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) override;
  void willAnimateRotationToInterfaceOrientation(UIInterfaceOrientation orientation,
                                                 double duration) override;
  std::shared_ptr<UIView> rotatingFooterView() override;

  void backAction();
  void forwardAction();
  void refreshAction();
  void stopAction();
  void shareAction();
  void actionSheetClickedButtonAtIndex(const std::shared_ptr<UIActionSheet>& sheet,
                                       long buttonIndex) override;
  bool persistView(const ValueDictionary& state) override;
  void restoreView(const ValueDictionary& state) override;
  virtual void startActivity();
  virtual void stopActivity();

  // A view scrolled above the page, in the web view's inner scroller.
  const std::shared_ptr<UIView>& headerView() const { return headerView_; }
  void setHeaderView(const std::shared_ptr<UIView>& header);

  std::shared_ptr<ULWebControllerDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<ULWebControllerDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  // The load under way, else the page shown; nullptr when there is neither.
  std::shared_ptr<NSURL> URL() const;

  // ---- UIWebViewDelegate
  bool webViewShouldStartLoadWithRequest(UIWebView& view,
                                         const std::shared_ptr<NSURLRequest>& request,
                                         UIWebViewNavigationType type) override;
  void webViewDidStartLoad(UIWebView& view) override;
  void webViewDidFinishLoad(UIWebView& view) override;
  void webViewDidFailLoadWithError(UIWebView& view, const NSErrorPtr& error) override;

  const std::shared_ptr<UIWebView>& webView() const { return webView_; }
  const std::shared_ptr<UIToolbar>& toolbar() const { return toolbar_; }
  const std::shared_ptr<UIBarButtonItem>& activityItem() const { return activityItem_; }
  const std::shared_ptr<UIBarButtonItem>& backButton() const { return backButton_; }
  const std::shared_ptr<UIBarButtonItem>& forwardButton() const { return forwardButton_; }
  const std::shared_ptr<UIBarButtonItem>& refreshButton() const { return refreshButton_; }
  const std::shared_ptr<UIBarButtonItem>& stopButton() const { return stopButton_; }
  const std::shared_ptr<UIActionSheet>& actionSheet() const { return actionSheet_; }

 protected:
  void setToolbar(std::shared_ptr<UIToolbar> toolbar) { toolbar_ = std::move(toolbar); }
  void updateHistoryButtons();

 private:
  void pinToolbar();
  std::weak_ptr<ULWebControllerDelegate> delegate_;
  std::shared_ptr<NSURL> loadingURL_;
  std::shared_ptr<UIView> headerView_;
  std::shared_ptr<UIActionSheet> actionSheet_;
  std::shared_ptr<UIWebView> webView_;
  std::shared_ptr<UIToolbar> toolbar_;
  std::shared_ptr<UIBarButtonItem> activityItem_;
  std::shared_ptr<UIBarButtonItem> backButton_;
  std::shared_ptr<UIBarButtonItem> forwardButton_;
  std::shared_ptr<UIBarButtonItem> refreshButton_;
  std::shared_ptr<UIBarButtonItem> stopButton_;
};
