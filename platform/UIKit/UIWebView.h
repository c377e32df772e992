// The web view.  The stand-in renders no page and fetches nothing: the page side is scripted.
// Tests and the runner drive each load (finishLoad, failLoad), make the page navigate as a tap
// on a link or a form's submit would (navigate), and answer the scripts the app runs in the
// page (setScriptHandler).  The app side sees the platform's sequence: every load, its own or
// the page's, is first offered to the delegate (webViewShouldStartLoadWithRequest), and an
// accepted one starts (webViewDidStartLoad) and later finishes or fails.  Main thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSError.h"
#include "Foundation/NSURLRequest.h"
#include "UIKit/UIView.h"

class UIWebView;

enum class UIWebViewNavigationType {
  LinkClicked = 0,
  FormSubmitted = 1,
  BackForward = 2,
  Reload = 3,
  FormResubmitted = 4,
  Other = 5,
};

class UIWebViewDelegate {
 public:
  virtual ~UIWebViewDelegate() = default;
  virtual bool webViewShouldStartLoadWithRequest(UIWebView&, const std::shared_ptr<NSURLRequest>&,
                                                 UIWebViewNavigationType) {
    return true;
  }
  virtual void webViewDidStartLoad(UIWebView&) {}
  virtual void webViewDidFinishLoad(UIWebView&) {}
  virtual void webViewDidFailLoadWithError(UIWebView&, const NSErrorPtr&) {}
};

class UIWebView : public UIView {
 public:
  UIWebView() = default;
  explicit UIWebView(CGRect frame);

  NS_CLASS(UIWebView, UIView)
 public:
  void setDelegate(std::weak_ptr<UIWebViewDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<UIWebViewDelegate> delegate() const { return delegate_.lock(); }

  // Offers the request to the delegate as a load of type Other; an accepted one starts.
  void loadRequest(std::shared_ptr<NSURLRequest> request);
  // The request of the current page (or of the load under way); null before any.
  std::shared_ptr<NSURLRequest> request() const { return request_; }
  bool isLoading() const { return loading_; }
  // Shows the page given as text, relative to the base address (none: null).  The stand-in
  // keeps the text (htmlString) and offers nothing to the delegate.
  void loadHTMLString(std::string html, std::shared_ptr<NSURL> baseURL);
  // The text of the page last given to loadHTMLString; "" before any.
  const std::string& htmlString() const { return html_; }
  const std::shared_ptr<NSURL>& htmlBaseURL() const { return htmlBaseURL_; }
  // The page's answer to the script; "" when the page has no answer (no handler).
  std::string stringByEvaluatingJavaScriptFromString(std::string_view script);

  // ---- the page side
  // Answers the scripts run in the page from now on.
  using ScriptHandler = std::function<std::string(std::string_view script)>;
  void setScriptHandler(ScriptHandler handler) { scriptHandler_ = std::move(handler); }
  // Every script run in the page, oldest first.
  const std::vector<std::string>& evaluatedScripts() const { return scripts_; }
  // The load under way ends: webViewDidFinishLoad.  Nothing when none is under way.
  void finishLoad();
  // The load under way fails with the error: webViewDidFailLoadWithError.
  void failLoad(NSErrorPtr error);
  // The page goes to another address; true when the delegate let the load start.
  bool navigate(std::shared_ptr<NSURLRequest> request,
                UIWebViewNavigationType type = UIWebViewNavigationType::LinkClicked);

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  bool offer(std::shared_ptr<NSURLRequest> request, UIWebViewNavigationType type);

  std::weak_ptr<UIWebViewDelegate> delegate_;
  std::shared_ptr<NSURLRequest> request_;
  bool loading_ = false;
  ScriptHandler scriptHandler_;
  std::vector<std::string> scripts_;
  std::string html_;
  std::shared_ptr<NSURL> htmlBaseURL_;
};
