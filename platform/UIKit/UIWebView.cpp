#include "UIKit/UIWebView.h"

#include "Foundation/NSClass.h"

UIWebView::UIWebView(CGRect frame) : UIView(frame) {}

std::string UIWebView::stringByEvaluatingJavaScriptFromString(std::string_view script) {
  scripts_.emplace_back(script);
  return scriptHandler_ ? scriptHandler_(script) : std::string();
}

NS_CLASS_IMPLEMENTATION(UIWebView) {}
