// The in-app browser, least stand-in: a screen of the app's navigation controller with its back
// button that keeps the address it was asked to display, which is what its callers rely on
// until the browser itself is built.
#pragma once

#include <string>
#include <string_view>

#include "ui/framework/UIViewCtrl.h"

class WebViewCtrl : public UIViewCtrl {
  NS_CLASS(WebViewCtrl, UIViewCtrl)
 public:
  // displayWithURL: loads the page once the screen is pushed.
  void displayWithURL(std::string_view url) { url_ = std::string(url); }
  const std::string& url() const { return url_; }
  // setIsMediaPlay: starts the page's video once it has loaded.
  void setIsMediaPlay(bool play) { isMediaPlay_ = play; }
  bool isMediaPlay() const { return isMediaPlay_; }

 private:
  std::string url_;
  bool isMediaPlay_ = false;
};
