// The in-app browser: a screen of the app's navigation controller (with its back button) that
// shows a web page above a bar of history back and forward buttons.  While it is on screen
// the system navigation bar shows, titled "网页" until the opener sets a title; a small white
// spinner takes the bar's right slot while a page loads, unless another item holds the slot.
// For a video page (isMediaPlay, set before the view loads) a large spinner shows and the
// page's first plain button is pressed every 0.5 s after each finished load until the video
// enters full screen; leaving full screen closes the screen.
//
// How an opener uses it: make it, optionally set isMediaPlay or a POST body (setPostBosy),
// push it, then displayWithURL, then optionally setTitle.
//
// A failed load ends the spinner item, the busy overlay and the network indicator and gives
// back and forward their state from the history, as a finished one does.  Main thread only.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

#include "Foundation/NSNotificationCenter.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIBarButtonItem.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIWebView.h"
#include "ui/framework/UIViewCtrl.h"
#include "ui/framework/UIYBWebView.h"

class WebViewCtrl : public UIViewCtrl, public UIWebViewDelegate {
  NS_CLASS(WebViewCtrl, UIViewCtrl)
 public:
  static constexpr long kBackButtonTag = 901;
  static constexpr long kForwardButtonTag = 902;
  static constexpr double kPlayPressInterval = 0.5;

  WebViewCtrl() = default;
  ~WebViewCtrl() override;

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

  // Observes the movie player's full-screen notifications, builds the page view at the top
  // and loads the address (nothing loads for text that is no URL).
  void displayWithURL(std::string_view url);
  void displayWithURL(std::string_view url, double originY);
  // The page goes out as a POST with the body as UTF-8; call before displayWithURL.
  void setPostBosy(std::string body);

  void BackAction(const Value& sender);
  void ForwardAction(const Value& sender);
  void startActivity();
  void stopActivity();
  // The view itself when it is exactly a platform button (no subclass), else the first such
  // button among its subviews, depth first; nullptr when there is none.
  static std::shared_ptr<UIButton> findButtonInView(const std::shared_ptr<UIView>& view);
  // One automatic press of the page's play button; again 0.5 s later until isInPlay.
  void sendActions();
  void moviePlayerWillEnterFullScreen(const NSNotificationPtr& notification);
  void moviePlayerWillExitFullScreen(const NSNotificationPtr& notification);
  void cancelButtonPushed(const Value& sender) override;
  void clickVideo();
  void detailedWatchTUI();

  // ---- UIWebViewDelegate
  void webViewDidStartLoad(UIWebView& view) override;
  void webViewDidFinishLoad(UIWebView& view) override;
  void webViewDidFailLoadWithError(UIWebView& view, const NSErrorPtr& error) override;

  bool isMediaPlay() const { return isMediaPlay_; }
  void setIsMediaPlay(bool media) { isMediaPlay_ = media; }
  bool isStatusBarHidden() const { return isStatusBarHidden_; }
  void setIsStatusBarHidden(bool hidden) { isStatusBarHidden_ = hidden; }
  bool isInPlay() const { return isInPlay_; }
  void setIsInPlay(bool playing) { isInPlay_ = playing; }
  int reqConut() const { return reqConut_; }
  void setReqConut(int count) { reqConut_ = count; }
  bool needPost() const { return needPost_; }
  const std::string& postBody() const { return postBody_; }
  const std::shared_ptr<UIYBWebView>& myWebView() const { return myWebView_; }
  void setMyWebView(std::shared_ptr<UIYBWebView> view) { myWebView_ = std::move(view); }
  const std::shared_ptr<UIActivityIndicatorView>& activityView() const { return activityView_; }
  void setActivityView(std::shared_ptr<UIActivityIndicatorView> view) {
    activityView_ = std::move(view);
  }
  const std::shared_ptr<UIBarButtonItem>& activityItem() const { return activityItem_; }
  const std::shared_ptr<UIButton>& btnBack() const { return btnBack_; }
  const std::shared_ptr<UIButton>& btnForward() const { return btnForward_; }

 private:
  void updateHistoryButtons();
  void loadEnded();

  std::shared_ptr<UIActivityIndicatorView> activityView_;
  bool needPost_ = false;
  std::string postBody_;
  std::shared_ptr<UIBarButtonItem> activityItem_;
  bool isMediaPlay_ = false;
  std::shared_ptr<UIYBWebView> myWebView_;
  bool isStatusBarHidden_ = false;
  std::shared_ptr<UIButton> btnBack_;
  std::shared_ptr<UIButton> btnForward_;
  std::shared_ptr<UIView> historyBar_;  // holds btnBack and btnForward
  std::atomic<bool> isInPlay_{false};
  std::atomic<int> reqConut_{0};
};
