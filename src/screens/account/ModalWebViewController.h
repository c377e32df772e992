// The modal web page screen, least stand-in until the account screens are built: its web view
// keeps the address it is asked to load once the screen has been presented.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "UIKit/UIViewController.h"

class ModalWebViewController : public UIViewController {
  NS_CLASS(ModalWebViewController, UIViewController)
 public:
  // The web view of the screen (what `myWebView` stands for): it records what it loads.
  class WebView : public UIView {
    NS_CLASS_NAMED(WebView, UIView, "UIWebView")
   public:
    using UIView::UIView;
    void loadRequest(std::string_view url) { loaded_ = std::string(url); }
    const std::string& loadedURL() const { return loaded_; }

   private:
    std::string loaded_;
  };

  // initWithNibName:bundle: with the interface file "ModalWebViewController".
  ModalWebViewController() = default;
  void loadView() override;
  // Ready once the screen has been presented (its view is loaded).
  std::shared_ptr<WebView> myWebView() const { return webView_; }

 private:
  std::shared_ptr<WebView> webView_;
};
