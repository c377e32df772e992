// The home screen: the root of the main navigation, made once at start-up and never popped.
// Over a full-screen background picture it shows the reader's channels as the paged launcher
// grid of channel tiles, two columns (0, 5, 320, 455; (0, 25, 320, 523) on a 568-point
// screen), with the vertical menu bar at (262, 12) and a grey spinner at the centre.
//
// What callers rely on:
// - initWithNibName observes "weibo_login" and "bind_account_ok"; the view, once loaded,
//   observes "new_channels_added", "seminar_has_updated" and "seminar_has_request" and makes
//   the screen the shake detector's delegate.
// - A tile opens its channel: template 5 needs a logged-in platform account (else the login
//   starts 0.01 s later and nothing opens), template 50 presents the subscription editor
//   modally, any other pushes the channel screen (template 8 with the "channelSetting" button
//   on its bottom bar) and records it as the app delegate's channelViewController.
// - The launcher's paging scroll stays off until 3.0 s after the view loaded, or until the app
//   delegate turns it on through launcherView() when it removes the splash.
// - NEW marks live in the tiles' in-memory channel records: every rebuild from the stored list
//   starts without them.
// - Shakes change the background picture (when the setting is on) only while the home screen
//   is not covered by another screen.
// Main thread only.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIAlertView.h"
#include "UIKit/UIImageView.h"
#include "model/ChannelItem.h"
#include "net/api/WBEngine.h"
#include "ui/widgets/AccelerometerHelper.h"
#include "ui/widgets/UIMenuBar.h"
#include "uilib/navigator/ULBaseViewController.h"
#include "uilib/views/ULLauncherView.h"

class ChannelViewController;

class varimostaViewController : public ULViewController,
                                public WBEngineDelegate,
                                public ULLauncherViewDelegate,
                                public UIMenuBarDelegate,
                                public AccelerometerHelperDelegate,
                                public UIAlertViewDelegate {
  NS_CLASS(varimostaViewController, ULViewController)
 public:
  static constexpr double kScrollOffSeconds = 3.0;
  static constexpr double kLoginDelay = 0.01;
  static constexpr double kFeedChannelDelay = 0.5;
  // The pictures the shake cycles through, and the reader's own.
  static constexpr int kBackgroundPictures = 9;
  static constexpr int kOwnBackground = 10;

  // Made without the observations of initWithNibName; use that.
  varimostaViewController() = default;
  // initWithNibName:bundle:: hides the navigation bar and observes the account notifications.
  static std::shared_ptr<varimostaViewController> initWithNibName(const std::string& nibName);
  // Where a pushed channel screen is recorded as the application delegate's
  // channelViewController; the application installs it at start-up.
  using ChannelScreenRecorder = std::function<void(std::shared_ptr<ChannelViewController>)>;
  static void setChannelScreenRecorder(ChannelScreenRecorder recorder);
  ~varimostaViewController() override;

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void viewDidUnload() override;

  // ---- the tiles
  void refresh();
  void initLaucherViewPages(const std::shared_ptr<ULLauncherView>& launcher);
  // "new_channels_added", "seminar_has_updated", "seminar_has_request".
  void refreshLaunchView(const Value& notification);
  void seminarUpdated(const Value& notification);
  void updateOnlineTime(const Value& notification);
  void enableScroll();

  // ---- menu, shake, background, guide
  void touchMenuItem(long item) override;
  void shake() override;
  void changeOk();
  void loadGuideView();

  // ---- opening channels
  void openChannelViewControllerWithItem(const ChannelItemPtr& item);
  void openChannelViewController(int channelType, int actionType);
  void openFeedChannel(const Value& notification);
  void openFeedChannel();
  void overAnimating();

  // ---- the platform account
  void logIn();
  void engineDidLogIn(WBEngine& engine) override;
  void engineDidFailToLogInWithError(WBEngine& engine, const NSErrorPtr& error) override;
  void weiboDidLogin(const Value& notification);
  void bindAccountOk(const Value& notification);
  void alertViewDidDismissWithButtonIndex(const std::shared_ptr<UIAlertView>& alert,
                                          long buttonIndex) override;

  // ---- the launcher's delegate
  void launcherViewDidSelectItem(ULLauncherView& launcher, const ULLauncherItemPtr& item) override;
  void launcherViewDidBeginEditing(ULLauncherView& launcher) override;
  void launcherViewDidAddItem(ULLauncherView& launcher, const ULLauncherItemPtr& item) override;
  void launcherViewDidMoveItem(ULLauncherView& launcher, const ULLauncherItemPtr& item) override;
  void launcherViewDidRemoveItem(ULLauncherView& launcher, const ULLauncherItemPtr& item) override;
  void launcherViewDidEndEditing(ULLauncherView& launcher) override;
  void launcherViewUpdatePage(ULLauncherView& launcher, long page) override;

  // ---- properties
  // _launcherView: the grid; null until the view loaded and after it unloaded.
  const std::shared_ptr<ULLauncherView>& launcherView() const { return launcherView_; }
  void setLauncherView(std::shared_ptr<ULLauncherView> view) { launcherView_ = std::move(view); }
  const ChannelItemArray& channelItemsArray() const { return channelItemsArray_; }
  void setChannelItemsArray(ChannelItemArray items) { channelItemsArray_ = std::move(items); }
  bool isStartShake() const { return isStartShake_; }
  void setIsStartShake(bool on) { isStartShake_ = on; }
  bool isEditing() const { return isEditing_; }
  bool needToSave() const { return needToSave_; }
  const std::shared_ptr<UIMenuBar>& menuBar() const { return menuBar_; }
  const std::shared_ptr<UIImageView>& bgImageView() const { return bgImageView_; }
  const std::shared_ptr<UIActivityIndicatorView>& indicatorView() const { return indicatorView_; }

 private:
  void observeAccountNotifications();
  // Sets the NEW mark of the tile's channel and rebuilds the buttons.
  void markTile(const ULLauncherItemPtr& tile, bool shown);
  void push(const std::shared_ptr<UIViewController>& screen);
  // Pushes a channel screen, with the "channelSetting" button for the subscription template,
  // and records it with the channel screen recorder.
  void pushChannelScreen(const std::shared_ptr<ChannelViewController>& screen, bool subscription);

  std::atomic<bool> isStartShake_{false};
  std::shared_ptr<ULLauncherView> launcherView_;
  std::shared_ptr<UIMenuBar> menuBar_;
  bool isEditing_ = false;
  std::shared_ptr<UIImageView> bgImageView_;
  std::shared_ptr<UIActivityIndicatorView> indicatorView_;
  ChannelItemArray channelItemsArray_;
  bool needToSave_ = false;
  bool observingAccount_ = false;
};
