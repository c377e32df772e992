#include "ui/framework/UIYBWebView.h"

#include "Foundation/NSClass.h"

void UIYBWebView::setNextdelegate(const std::shared_ptr<UIWebViewDelegate>& next) {
  setDelegate(std::static_pointer_cast<UIYBWebView>(shared_from_this()));
  next_ = next;
}

bool UIYBWebView::webViewShouldStartLoadWithRequest(UIWebView& view,
                                                    const std::shared_ptr<NSURLRequest>& request,
                                                    UIWebViewNavigationType type) {
  auto next = nextdelegate();
  return !next || next->webViewShouldStartLoadWithRequest(view, request, type);
}

void UIYBWebView::webViewDidStartLoad(UIWebView& view) {
  if (auto next = nextdelegate()) next->webViewDidStartLoad(view);
}

void UIYBWebView::webViewDidFinishLoad(UIWebView& view) {
  if (auto next = nextdelegate()) next->webViewDidFinishLoad(view);
}

void UIYBWebView::webViewDidFailLoadWithError(UIWebView& view, const NSErrorPtr& error) {
  if (auto next = nextdelegate()) next->webViewDidFailLoadWithError(view, error);
}

NS_CLASS_IMPLEMENTATION(UIYBWebView) {}
