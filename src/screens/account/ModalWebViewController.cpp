#include "screens/account/ModalWebViewController.h"

void ModalWebViewController::loadView() {
  UIViewController::loadView();
  webView_ = std::make_shared<WebView>(view()->bounds());
  view()->addSubview(webView_);
}
