#include "screens/account/ModalWebViewController.h"

#include "Foundation/NSClass.h"

void ModalWebViewController::loadView() {
  UIViewController::loadView();
  webView_ = std::make_shared<UIWebView>(view()->bounds());
  view()->addSubview(webView_);
}

NS_CLASS_IMPLEMENTATION(ModalWebViewController) {}
