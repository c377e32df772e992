// The general web page screen (channel lists, full articles, the company list): the library's
// browser under the app's own themed top bar ("channelTopBar" in the day theme) with the
// page's title in it, the app's themed tool bar, and the busy overlay from the view's load and
// every page start until the page finishes.  An optional right-hand button (tag 355) shows for
// the first page only: it hides when the second load finishes.  Portrait only.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ui/web/AppWebScreen.h"

class UIComWebViewCtrl : public AppWebScreen {
  NS_CLASS(UIComWebViewCtrl, ULWebController)
 public:
  static constexpr long kRightButtonTag = 355;

  UIComWebViewCtrl() : AppWebScreen("channelTopBar") {}
  ~UIComWebViewCtrl() override;

  // Opens the URL made from the text (call after construction).
  void initWithNavigatorString(std::string_view url);

  void viewDidLoad() override;
  void updateToolbarWithOrientation(UIInterfaceOrientation orientation) override;
  void webViewDidStartLoad(UIWebView& view) override;
  void webViewDidFinishLoad(UIWebView& view) override;
  // A tool-bar button titled `title` at (310 − its width, 6) that sends `action` ("rightAction:"
  // of the opener) on touch up inside.
  void setRightBtn(const std::string& title, Selector action);
  int isFirstFinish() const { return isFirstFinish_; }

 private:
  int isFirstFinish_ = 0;
};
