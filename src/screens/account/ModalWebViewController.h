// The modal web page screen, least stand-in until the account screens are built: its web view
// loads its page in the web view once the screen has been presented.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "UIKit/UIViewController.h"
#include "UIKit/UIWebView.h"

class ModalWebViewController : public UIViewController {
  NS_CLASS(ModalWebViewController, UIViewController)
 public:
  // initWithNibName:bundle: with the interface file "ModalWebViewController".
  ModalWebViewController() = default;
  void loadView() override;
  // Ready once the screen has been presented (its view is loaded).
  std::shared_ptr<UIWebView> myWebView() const { return webView_; }

 private:
  std::shared_ptr<UIWebView> webView_;
};
