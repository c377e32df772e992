// The application under test: the app delegate launched through the platform driver on a
// virtual clock, the service's hosts mapped to the local content server on a free port, the
// network forced on or off, the exit hook caught, the end of start-up (and whether the home
// screen's tiles showed then), the bus traffic and the stand-in views' reports recorded.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CFNetwork/CFNetworkConfiguration.h"
#include "Foundation/NSObject.h"
#include "Foundation/NSUserDefaults.h"
#include "Foundation/Value.h"
#include "SystemConfiguration/SCNetworkReachability.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIWindow.h"
#include "app/AppDelegate.h"
#include "app/StartUpWatch.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "net/api/ClientRequest.h"
#include "screens/home/varimostaViewController.h"
#include "server/ContentServer.h"
#include "support/BusRecorder.h"
#include "support/MainLoop.h"
#include "support/StandInRecorder.h"
#include "support/ui/ScreenDriver.h"
#include "ui/framework/UINaviCtrl.h"
#include "uilib/views/CustomerLauncherItem.h"
#include "uilib/views/ULLauncherView.h"

namespace apptest {

// The hosts the app reaches the service by (the bundle's configuration and the app store).
inline std::vector<std::string> serviceHosts() {
  return {"api.zept.example",   "post.zept.example", "account.zept.example", "log.zept.example",
          "share.zept.example", "www.zept.example",  "apps.zept.example"};
}

inline void mapServiceHostsTo(int port) {
  for (const auto& host : serviceHosts()) CFNetworkMapHost(host, 0, "127.0.0.1", port);
}

inline void forceOnline() {
  SCNetworkReachabilitySetTestFlags(kSCNetworkReachabilityFlagsReachable |
                                    kSCNetworkReachabilityFlagsIsDirect);
}

inline void forceOffline() {
  SCNetworkReachabilitySetTestFlags(SCNetworkReachabilityFlags(0));
}

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    stand = StandInRecorder::install();
    UIApplicationDriver::reset();
    UIApplication::terminateHook = [this](int status) { exits.push_back(status); };
    startUp = StartUpWatch::start([this](bool shown) { tilesShown = shown; });
    port = server.start();
    mapServiceHostsTo(port);
    // Crash reports are tested in children of their own: the test process keeps its handlers.
    server.setLoginSwitch("ErrorLogEnable", false);
    forceOnline();
  }
  void TearDown() override {
    server.releaseSilent();
    SCNetworkReachabilitySetTestFlags(std::nullopt);
  }

  // A client key the server knows, stored as a registered app stores it.
  std::string storeClientKey() {
    std::string key = server.addClient();
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(Value(key), "registerClientKey");
    defaults->setObject(Value(NSGlobe::getMacAddressOrIdentifier()), "register_key");
    defaults->synchronize();
    return key;
  }

  std::shared_ptr<AppDelegate> launch(Value options = {}) {
    app = std::make_shared<AppDelegate>();
    UIApplicationDriver::launch(app, std::move(options));
    // The home screen's first layout (its tiles) happens now, not while the test lets the
    // first virtual half second pass: the network status is read then, before the replies.
    if (app->window()) app->window()->layoutIfNeeded();
    return app;
  }

  static bool waitFor(const std::function<bool()>& done, double seconds = 30) {
    return MainLoop::runUntil(done, seconds);
  }
  static void advance(double seconds) { MainLoop::advance(seconds); }
  // Lets virtual time pass in steps, with real time in between for server replies, until the
  // predicate holds (for app delays that start when a reply has been read).
  static bool advanceUntil(const std::function<bool()>& done, double step = 0.5, int steps = 400) {
    for (int i = 0; i < steps; ++i) {
      if (MainLoop::runUntil(done, 0.02)) return true;
      MainLoop::advance(step);
    }
    return done();
  }

  std::shared_ptr<UIView> splash() const {
    return app && app->window() ? app->window()->viewWithTag(kSplashViewTag) : nullptr;
  }
  // Taps the home screen's tile of the channel named so, as a person would: its page shown
  // first.
  bool tapTile(const std::string& name) {
    auto home = app ? app->homeScreen() : nullptr;
    if (!home || !home->launcherView()) return false;
    for (const auto& page : home->launcherView()->pages()) {
      for (const auto& item : page) {
        auto tile = std::dynamic_pointer_cast<CustomerLauncherItem>(item);
        if (!tile || tile->channelItem()->name != name) continue;
        home->launcherView()->scrollToItem(item, false);
        app->window()->layoutIfNeeded();
        auto button = home->launcherView()->buttonForItem(*item);
        return button && ScreenDriver::tap(button);
      }
    }
    return false;
  }
  // Start-up is over: the login or re-open reply was handled (or an offline start went on).
  bool startUpOver() const { return tilesShown.has_value(); }
  // Over, with the server's login granted.
  bool loggedIn() const { return startUpOver() && ClientRequest::engine()->loginGranted(); }
  // Logged in, and the home screen shows its tiles.
  bool startedUp() const { return loggedIn() && tilesShown == true; }

  zept::server::ContentServer server;
  int port = 0;
  std::shared_ptr<AppDelegate> app;
  std::vector<int> exits;
  std::shared_ptr<StartUpWatch> startUp;
  // Whether the home screen showed tiles when start-up was over; nothing before.
  std::optional<bool> tilesShown;
  // What the stand-in views and screens would have shown or been asked.
  std::shared_ptr<StandInRecorder> stand;
};

}  // namespace apptest
