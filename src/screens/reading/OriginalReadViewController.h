// A bare full-screen reader of an article's web page: the page fitted to the screen, a back
// button in the bottom-right corner, and the network indicator with the busy overlay from the
// first page start until a load finishes or fails (shown once per screen: later loads of
// redirects and frames show nothing new).  Leaving stops both.  Portrait only.
#pragma once

#include <memory>
#include <string_view>

#include "UIKit/UIWebView.h"
#include "ui/framework/UIBaseViewCtrl.h"
#include "ui/framework/UIYBWebView.h"

class OriginalReadViewController : public UIBaseViewCtrl, public UIWebViewDelegate {
  NS_CLASS(OriginalReadViewController, UIBaseViewCtrl)
 public:
  OriginalReadViewController() = default;
  ~OriginalReadViewController() override;

  void loadView() override;
  void viewWillDisappear(bool animated) override;
  void viewDidUnload();

  // Stops the page under way and loads the URL made from the text.
  void readOriginalWithURL(std::string_view url);
  void backAction(const Value& sender);

  bool webViewShouldStartLoadWithRequest(UIWebView&, const std::shared_ptr<NSURLRequest>&,
                                         UIWebViewNavigationType) override {
    return true;
  }
  void webViewDidStartLoad(UIWebView& view) override;
  void webViewDidFinishLoad(UIWebView& view) override;
  void webViewDidFailLoadWithError(UIWebView& view, const NSErrorPtr& error) override;
  bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) override {
    return orientation == UIInterfaceOrientation::Portrait;
  }

  const std::shared_ptr<UIYBWebView>& originalWebView() const { return originalWebView_; }
  bool hasShowBusy() const { return hasShowBusy_; }

 private:
  void loadEnded();

  std::shared_ptr<UIYBWebView> originalWebView_;
  bool hasShowBusy_ = false;
};
