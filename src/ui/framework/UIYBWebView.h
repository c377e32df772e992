// A web view that is its own delegate and hands every delegate call on to a second delegate,
// nextdelegate (not held).  A next delegate that does not override a call gets the platform's
// default: loads start, the other calls are dropped.  Main thread only.
#pragma once

#include <memory>

#include "UIKit/UIWebView.h"

class UIYBWebView : public UIWebView, public UIWebViewDelegate {
  NS_CLASS(UIYBWebView, UIWebView)
 public:
  using UIWebView::UIWebView;

  // Makes the view its own delegate and keeps the given one as the next (nullptr: none).
  void setNextdelegate(const std::shared_ptr<UIWebViewDelegate>& next);
  std::shared_ptr<UIWebViewDelegate> nextdelegate() const { return next_.lock(); }

  bool webViewShouldStartLoadWithRequest(UIWebView& view,
                                         const std::shared_ptr<NSURLRequest>& request,
                                         UIWebViewNavigationType type) override;
  void webViewDidStartLoad(UIWebView& view) override;
  void webViewDidFinishLoad(UIWebView& view) override;
  void webViewDidFailLoadWithError(UIWebView& view, const NSErrorPtr& error) override;

 private:
  std::weak_ptr<UIWebViewDelegate> next_;
};
