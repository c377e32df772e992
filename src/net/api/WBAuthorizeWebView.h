// The dialog of the web login: the platform's authorisation page in a web view under a top bar
// (cancel button, title) with a bottom bar holding the follow switch (tag 10, on at start).  It
// watches the page's loads: the redirect to the login's redirect URI carries the code (or the
// platform's error code), and while "needSaveAccount" is on it remembers the account name
// typed into the page and fills it in on the next visit.  Main thread.
#pragma once

#include <memory>
#include <string>

#include "UIKit/UIApplication.h"
#include "UIKit/UIWebView.h"

class UIActivityIndicatorView;
class WBAuthorizeWebViewDelegate;

class WBAuthorizeWebView : public UIView, public UIWebViewDelegate {
 public:
  static constexpr long kFollowSwitchTag = 10;

  WBAuthorizeWebView();
  NS_CLASS(WBAuthorizeWebView, UIView)
 public:
  // Builds the dialog's views (called once, after creation).
  void setUp();
  void setDelegate(std::weak_ptr<WBAuthorizeWebViewDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  // The redirect URI whose loads bring the code.
  void setRedirectURI(std::string uri) { redirectURI_ = std::move(uri); }
  const std::shared_ptr<UIWebView>& webView() const { return webView_; }
  const std::shared_ptr<UIView>& panelView() const { return panelView_; }

  // Loads the page, ignoring cached data, with a 60-second timeout.
  void loadRequestWithURL(const std::shared_ptr<NSURL>& url);
  // Into the key window (the first window when none is key).
  void show(bool animated);
  // Out of the window at once (the fade is what is seen).
  void hide(bool animated);
  // The follow switch is on.
  bool needAttend();
  void hideKeyboard();
  void cancelBtn();
  void sizeToFitOrientation(UIInterfaceOrientation orientation);
  static CGAffineTransform transformForOrientation(UIInterfaceOrientation orientation);

  bool webViewShouldStartLoadWithRequest(UIWebView& webView,
                                         const std::shared_ptr<NSURLRequest>& request,
                                         UIWebViewNavigationType type) override;
  void webViewDidStartLoad(UIWebView& webView) override;
  void webViewDidFinishLoad(UIWebView& webView) override;
  void webViewDidFailLoadWithError(UIWebView& webView, const NSErrorPtr& error) override;

  // The script that fills the page's account field with the name (an escaped string literal).
  static std::string fillAccountScript(const std::string& name);

 private:
  std::shared_ptr<UIView> panelView_;
  std::shared_ptr<UIView> containerView_;
  std::shared_ptr<UIActivityIndicatorView> indicatorView_;
  std::shared_ptr<UIWebView> webView_;
  UIInterfaceOrientation previousOrientation_ = UIInterfaceOrientation::Portrait;
  std::weak_ptr<WBAuthorizeWebViewDelegate> delegate_;
  std::string redirectURI_;
};
