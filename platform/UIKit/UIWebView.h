// The web view, first slice: it renders no page and fetches nothing.  The page side is
// scripted: every script run in the page is recorded, and the answer comes from the handler a
// test or the runner installs ("" without one).  Main thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "UIKit/UIView.h"

class UIWebView : public UIView {
 public:
  UIWebView() = default;
  explicit UIWebView(CGRect frame);

  NS_CLASS(UIWebView, UIView)
 public:
  // The page's answer to the script; "" when the page has no answer (no handler).
  std::string stringByEvaluatingJavaScriptFromString(std::string_view script);

  // ---- the page side
  // Answers the scripts run in the page from now on.
  using ScriptHandler = std::function<std::string(std::string_view script)>;
  void setScriptHandler(ScriptHandler handler) { scriptHandler_ = std::move(handler); }
  // Every script run in the page, oldest first.
  const std::vector<std::string>& evaluatedScripts() const { return scripts_; }

 private:
  ScriptHandler scriptHandler_;
  std::vector<std::string> scripts_;
};
