#include "UIKit/UIWebView.h"

#include "Foundation/NSClass.h"
#include "Foundation/NSURL.h"

UIWebView::UIWebView(CGRect frame) : UIView(frame) {}

void UIWebView::loadRequest(std::shared_ptr<NSURLRequest> request) {
  offer(std::move(request), UIWebViewNavigationType::Other);
}

void UIWebView::loadHTMLString(std::string html, std::shared_ptr<NSURL> baseURL) {
  html_ = std::move(html);
  htmlBaseURL_ = std::move(baseURL);
}

bool UIWebView::navigate(std::shared_ptr<NSURLRequest> request, UIWebViewNavigationType type) {
  return offer(std::move(request), type);
}

bool UIWebView::offer(std::shared_ptr<NSURLRequest> request, UIWebViewNavigationType type) {
  if (!request) return false;
  // Keep this view alive through delegate calls that may take it out of its window.
  auto keep = shared_from_this();
  if (auto d = delegate(); d && !d->webViewShouldStartLoadWithRequest(*this, request, type))
    return false;
  request_ = std::move(request);
  loading_ = true;
  if (auto d = delegate()) d->webViewDidStartLoad(*this);
  return true;
}

void UIWebView::finishLoad() {
  if (!loading_) return;
  auto keep = shared_from_this();
  loading_ = false;
  if (auto d = delegate()) d->webViewDidFinishLoad(*this);
}

void UIWebView::failLoad(NSErrorPtr error) {
  if (!loading_) return;
  auto keep = shared_from_this();
  loading_ = false;
  if (auto d = delegate()) d->webViewDidFailLoadWithError(*this, error);
}

std::string UIWebView::stringByEvaluatingJavaScriptFromString(std::string_view script) {
  scripts_.emplace_back(script);
  return scriptHandler_ ? scriptHandler_(script) : std::string();
}

void UIWebView::describeAttributes(std::string& line) const {
  if (request_ && request_->URL()) line += " url=" + request_->URL()->absoluteString();
  if (loading_) line += " loading";
}

NS_CLASS_IMPLEMENTATION(UIWebView) {}
