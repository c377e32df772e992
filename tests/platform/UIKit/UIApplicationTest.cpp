#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSTimer.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"
#include "UIKitTestSupport.h"

namespace {

const char* stateName(UIApplicationState s) {
  switch (s) {
    case UIApplicationState::Active:
      return "active";
    case UIApplicationState::Inactive:
      return "inactive";
    case UIApplicationState::Background:
      return "background";
  }
  return "?";
}

// Logs each call as "<call>@<state at the time>".
class RecordingDelegate : public UIApplicationDelegate {
 public:
  bool applicationDidFinishLaunchingWithOptions(UIApplication& app, const Value& options) override {
    add("didFinishLaunching", app);
    launchOptions = options;
    return launchAnswer;
  }
  void applicationWillResignActive(UIApplication& app) override { add("willResignActive", app); }
  void applicationDidBecomeActive(UIApplication& app) override { add("didBecomeActive", app); }
  void applicationDidEnterBackground(UIApplication& app) override {
    add("didEnterBackground", app);
  }
  void applicationWillEnterForeground(UIApplication& app) override {
    add("willEnterForeground", app);
  }
  void applicationWillTerminate(UIApplication& app) override { add("willTerminate", app); }
  void applicationDidReceiveMemoryWarning(UIApplication& app) override {
    add("memoryWarning", app);
  }
  void applicationDidRegisterForRemoteNotificationsWithDeviceToken(UIApplication& app,
                                                                   const Value& token) override {
    add("token " + token.description(), app);
  }
  void applicationDidFailToRegisterForRemoteNotificationsWithError(
      UIApplication& app, const NSErrorPtr& error) override {
    add("registrationError " + std::to_string(error->code()), app);
  }
  void applicationDidReceiveRemoteNotification(UIApplication& app, const Value& userInfo) override {
    add("push t=" + userInfo["t"].description(), app);
  }
  bool applicationHandleOpenURL(UIApplication& app, const std::shared_ptr<NSURL>& url) override {
    add("handleOpenURL " + url->absoluteString(), app);
    return url->scheme() == "zept";
  }

  Log log;
  Value launchOptions;
  bool launchAnswer = true;

 private:
  void add(const std::string& what, UIApplication& app) {
    log.push_back(what + "@" + stateName(app.applicationState()));
  }
};

// Also implements the newer open-URL entry point.
class NewerURLDelegate : public RecordingDelegate {
 public:
  bool applicationOpenURLSourceApplicationAnnotation(UIApplication& app,
                                                     const std::shared_ptr<NSURL>& url,
                                                     const std::string& source,
                                                     const Value& annotation) override {
    log.push_back("openURL " + url->absoluteString() + " from " + source + " " +
                  annotation.description() + "@" + stateName(app.applicationState()));
    return true;
  }
};

class UIApplicationTest : public UIKitTest {
 protected:
  void SetUp() override {
    UIKitTest::SetUp();
    app = UIApplication::sharedApplication();
    delegate = std::make_shared<RecordingDelegate>();
  }
  Log take() {
    Log out = delegate->log;
    delegate->log.clear();
    return out;
  }
  std::shared_ptr<UIApplication> app;
  std::shared_ptr<RecordingDelegate> delegate;
};

TEST_F(UIApplicationTest, LifeCycleCallsComeInThePlatformOrderWithItsStates) {
  Log notes;
  auto token = NSNotificationCenter::defaultCenter()->addObserverForName(
      "", Value(), [&](const NSNotificationPtr& n) {
        if (n->name().rfind("UIApplication", 0) == 0) notes.push_back(n->name());
      });

  EXPECT_FALSE(UIApplicationDriver::enterBackground());  // not launched yet
  EXPECT_TRUE(UIApplicationDriver::launch(delegate));
  EXPECT_FALSE(UIApplicationDriver::launch(delegate));  // once
  EXPECT_EQ(take(), (Log{"didFinishLaunching@inactive", "didBecomeActive@active"}));
  EXPECT_EQ(app->delegate(), delegate);
  EXPECT_TRUE(delegate->launchOptions.isNil());

  EXPECT_TRUE(UIApplicationDriver::enterBackground());
  EXPECT_EQ(take(), (Log{"willResignActive@active", "didEnterBackground@background"}));
  EXPECT_FALSE(UIApplicationDriver::enterBackground());
  EXPECT_FALSE(UIApplicationDriver::becomeActive());

  EXPECT_TRUE(UIApplicationDriver::enterForeground());
  EXPECT_EQ(take(), (Log{"willEnterForeground@background", "didBecomeActive@active"}));
  EXPECT_FALSE(UIApplicationDriver::enterForeground());

  EXPECT_TRUE(UIApplicationDriver::resignActive());
  EXPECT_EQ(app->applicationState(), UIApplicationState::Inactive);
  EXPECT_TRUE(UIApplicationDriver::becomeActive());
  EXPECT_TRUE(UIApplicationDriver::receiveMemoryWarning());
  EXPECT_EQ(take(),
            (Log{"willResignActive@active", "didBecomeActive@active", "memoryWarning@active"}));

  EXPECT_TRUE(UIApplicationDriver::terminate());
  EXPECT_EQ(take(), (Log{"willResignActive@active", "willTerminate@inactive"}));
  EXPECT_TRUE(UIApplicationDriver::isTerminated());
  EXPECT_FALSE(UIApplicationDriver::enterBackground());
  EXPECT_FALSE(UIApplicationDriver::terminate());

  EXPECT_EQ(
      notes,
      (Log{"UIApplicationDidFinishLaunchingNotification",
           "UIApplicationDidBecomeActiveNotification", "UIApplicationWillResignActiveNotification",
           "UIApplicationDidEnterBackgroundNotification",
           "UIApplicationWillEnterForegroundNotification",
           "UIApplicationDidBecomeActiveNotification", "UIApplicationWillResignActiveNotification",
           "UIApplicationDidBecomeActiveNotification",
           "UIApplicationDidReceiveMemoryWarningNotification",
           "UIApplicationWillResignActiveNotification", "UIApplicationWillTerminateNotification"}));
  NSNotificationCenter::defaultCenter()->removeObserver(token);
}

TEST_F(UIApplicationTest, TerminatingInTheBackgroundOnlyTerminates) {
  UIApplicationDriver::launch(delegate);
  UIApplicationDriver::enterBackground();
  take();
  UIApplicationDriver::terminate();
  EXPECT_EQ(take(), Log{"willTerminate@background"});
}

TEST_F(UIApplicationTest, PushesReachTheDelegateOnlyWhileRunningInTheForeground) {
  UIApplicationDriver::launch(delegate);
  take();
  Value push = Value::dictionaryOf({{"aps", Value::dictionaryOf({{"badge", 1}})}, {"t", "12"}});

  EXPECT_TRUE(UIApplicationDriver::receiveRemoteNotification(push));
  UIApplicationDriver::resignActive();
  EXPECT_TRUE(UIApplicationDriver::receiveRemoteNotification(push));
  UIApplicationDriver::becomeActive();
  EXPECT_EQ(take(), (Log{"push t=12@active", "willResignActive@active", "push t=12@inactive",
                         "didBecomeActive@active"}));

  UIApplicationDriver::enterBackground();
  take();
  EXPECT_FALSE(UIApplicationDriver::receiveRemoteNotification(push));  // suspended
  EXPECT_TRUE(take().empty());

  // The user opens it: the application comes forward and gets it on the way.
  EXPECT_TRUE(UIApplicationDriver::openRemoteNotification(push));
  EXPECT_EQ(take(), (Log{"willEnterForeground@background", "push t=12@inactive",
                         "didBecomeActive@active"}));
}

TEST_F(UIApplicationTest, ALaunchByAPushCarriesItInTheOptionsOnly) {
  Value push = Value::dictionaryOf({{"t", 7}});
  UIApplicationDriver::launch(delegate,
                              UIApplicationDriver::launchOptionsForRemoteNotification(push));
  EXPECT_EQ(take(), (Log{"didFinishLaunching@inactive", "didBecomeActive@active"}));
  EXPECT_EQ(
      delegate->launchOptions[UIApplicationLaunchOptionsRemoteNotificationKey]["t"].intValue(), 7);
}

TEST_F(UIApplicationTest, RemoteNotificationRegistrationIsAnsweredByTheDriver) {
  UIApplicationDriver::launch(delegate);
  take();
  EXPECT_FALSE(UIApplicationDriver::answerRemoteNotificationRegistration("x"));  // none asked
  app->registerForRemoteNotificationTypes(UIRemoteNotificationTypeBadge |
                                          UIRemoteNotificationTypeSound |
                                          UIRemoteNotificationTypeAlert);
  EXPECT_TRUE(UIApplicationDriver::hasPendingRemoteNotificationRegistration());
  EXPECT_EQ(UIApplicationDriver::requestedRemoteNotificationTypes(), 7u);
  EXPECT_EQ(app->enabledRemoteNotificationTypes(), 0u);
  EXPECT_TRUE(take().empty());  // nothing until the answer

  EXPECT_TRUE(UIApplicationDriver::answerRemoteNotificationRegistration(
      std::string("\x0a\x1b\x2c\x3d\x4e\x5f\x60\x71\x82", 9)));
  EXPECT_EQ(take(), Log{"token <0a1b2c3d 4e5f6071 82>@active"});
  EXPECT_EQ(app->enabledRemoteNotificationTypes(), 7u);
  EXPECT_FALSE(UIApplicationDriver::hasPendingRemoteNotificationRegistration());

  app->registerForRemoteNotificationTypes(7);
  EXPECT_TRUE(UIApplicationDriver::failRemoteNotificationRegistration(
      NSError::errorWithDomain("NSCocoaErrorDomain", 3010)));
  EXPECT_EQ(take(), Log{"registrationError 3010@active"});
  EXPECT_FALSE(UIApplicationDriver::failRemoteNotificationRegistration(
      NSError::errorWithDomain("NSCocoaErrorDomain", 3010)));
}

TEST_F(UIApplicationTest, OpeningURLsGoesToTheInstalledApplications) {
  auto url = [](const char* text) { return NSURL::URLWithString(text); };
  EXPECT_TRUE(app->openURL(url("http://example.com/a")));
  EXPECT_TRUE(app->openURL(url("mailto:a@example.com?subject=x")));
  EXPECT_FALSE(app->openURL(url("lumiapp://app/123/")));
  EXPECT_FALSE(app->canOpenURL(url("lumi://")));
  EXPECT_FALSE(app->openURL(nullptr));

  std::vector<std::string> received;
  UIApplicationDriver::installApplication(
      "Lumi", [&](const std::shared_ptr<NSURL>& u) { received.push_back(u->absoluteString()); });
  UIApplicationDriver::installApplication("lumiapp");
  EXPECT_TRUE(app->canOpenURL(url("lumi://")));
  EXPECT_TRUE(app->canOpenURL(url("LUMIAPP://app/123/")));
  EXPECT_TRUE(app->openURL(url("lumi://send?x=1")));
  EXPECT_TRUE(received.empty());  // the other app gets it later
  MainLoop::pump();
  EXPECT_EQ(received, std::vector<std::string>{"lumi://send?x=1"});

  UIApplicationDriver::uninstallApplication("lumi");
  EXPECT_FALSE(app->openURL(url("lumi://again")));
  MainLoop::pump();
  EXPECT_EQ(received.size(), 1u);

  // canOpenURL asks without opening; every openURL is recorded, taken or not.
  EXPECT_EQ(UIApplicationDriver::openedURLs(),
            (std::vector<std::string>{"http://example.com/a", "mailto:a@example.com?subject=x",
                                      "lumiapp://app/123/", "lumi://send?x=1", "lumi://again"}));
  UIApplicationDriver::clearOpenedURLs();
  EXPECT_TRUE(UIApplicationDriver::openedURLs().empty());
}

TEST_F(UIApplicationTest, URLsFromOtherAppsReachTheOpenURLEntryPoints) {
  UIApplicationDriver::launch(delegate);
  UIApplicationDriver::enterBackground();
  take();
  // A delegate with only the older entry gets the URL through it.
  EXPECT_TRUE(UIApplicationDriver::openURL(NSURL::URLWithString("zept://sso?code=1"), "com.x"));
  EXPECT_EQ(take(), (Log{"willEnterForeground@background",
                         "handleOpenURL zept://sso?code=1@inactive", "didBecomeActive@active"}));
  EXPECT_FALSE(UIApplicationDriver::openURL(NSURL::URLWithString("other://x")));
  EXPECT_EQ(take(), (Log{"willResignActive@active", "handleOpenURL other://x@inactive",
                         "didBecomeActive@active"}));
}

TEST_F(UIApplicationTest, ALaunchToOpenAURLHandsItOverAfterLaunching) {
  auto newer = std::make_shared<NewerURLDelegate>();
  auto url = NSURL::URLWithString("zept://open?id=5");
  EXPECT_TRUE(UIApplicationDriver::launch(
      newer, UIApplicationDriver::launchOptionsForURL(url, "com.lumi", Value("note"))));
  EXPECT_EQ(newer->log, (Log{"didFinishLaunching@inactive",
                             "openURL zept://open?id=5 from com.lumi note@inactive",
                             "didBecomeActive@active"}));
  EXPECT_EQ(newer->launchOptions[UIApplicationLaunchOptionsSourceApplicationKey].string(),
            "com.lumi");

  // A delegate declining the launch is not asked to open it.
  UIApplicationDriver::reset();
  delegate->launchAnswer = false;
  EXPECT_FALSE(
      UIApplicationDriver::launch(delegate, UIApplicationDriver::launchOptionsForURL(url)));
  EXPECT_EQ(take(), (Log{"didFinishLaunching@inactive", "didBecomeActive@active"}));
}

TEST_F(UIApplicationTest, BackgroundTasksExpireOnceAndEnd) {
  std::vector<UIBackgroundTaskIdentifier> expired;
  UIBackgroundTaskIdentifier first = UIBackgroundTaskInvalid, second = UIBackgroundTaskInvalid;
  first = app->beginBackgroundTaskWithExpirationHandler([&] {
    expired.push_back(first);
    app->endBackgroundTask(first);
  });
  second = app->beginBackgroundTaskWithExpirationHandler([&] { expired.push_back(second); });
  EXPECT_NE(first, UIBackgroundTaskInvalid);
  EXPECT_NE(first, second);
  EXPECT_EQ(UIApplicationDriver::backgroundTaskCount(), 2u);

  UIApplicationDriver::expireBackgroundTasks();
  UIApplicationDriver::expireBackgroundTasks();
  EXPECT_EQ(expired, (std::vector<UIBackgroundTaskIdentifier>{first, second}));
  EXPECT_EQ(UIApplicationDriver::backgroundTaskCount(), 1u);  // the second never ended
  app->endBackgroundTask(second);
  app->endBackgroundTask(second);
  app->endBackgroundTask(UIBackgroundTaskInvalid);
  EXPECT_EQ(UIApplicationDriver::backgroundTaskCount(), 0u);
}

TEST_F(UIApplicationTest, TheApplicationEndsThroughTheExitHook) {
  std::vector<int> exits;
  auto saved = UIApplication::terminateHook;
  UIApplication::terminateHook = [&](int status) { exits.push_back(status); };
  UIApplication::exitProcess(0);
  UIApplication::exitProcess(3);
  EXPECT_EQ(exits, (std::vector<int>{0, 3}));
  UIApplication::terminateHook = saved;
}

TEST_F(UIApplicationTest, TheHookReallyEndsTheProcessByDefault) {
  EXPECT_EXIT(UIApplication::exitProcess(4), ::testing::ExitedWithCode(4), "");
}

TEST_F(UIApplicationTest, WindowsAreListedByLevelAndTheLastMadeKeyIsKey) {
  auto mainWindow = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
  auto statusBar = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 20));
  statusBar->setWindowLevel(UIWindowLevelStatusBar + 1);
  auto never = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
  statusBar->setHidden(false);
  mainWindow->makeKeyAndVisible();
  EXPECT_EQ(app->windows(), (std::vector<std::shared_ptr<UIWindow>>{mainWindow, statusBar}));
  EXPECT_EQ(app->keyWindow(), mainWindow);
  EXPECT_FALSE(statusBar->isKeyWindow());

  statusBar.reset();
  EXPECT_EQ(app->windows().size(), 1u);

  EXPECT_EQ(app->statusBarFrame(), CGRectMake(0, 0, 320, 20));
  app->setStatusBarHidden(true);
  EXPECT_EQ(mainWindow->contentFrame(), CGRectMake(0, 0, 320, 480));
  EXPECT_EQ(app->statusBarOrientation(), UIInterfaceOrientation::Portrait);
  app->setStatusBarHidden(false);

  // Turned, the status bar stands along the edge that is on top for the user.
  const std::tuple<UIInterfaceOrientation, CGRect, CGRect> turns[] = {
      {UIInterfaceOrientation::Portrait, CGRectMake(0, 0, 320, 20), CGRectMake(0, 20, 320, 460)},
      {UIInterfaceOrientation::PortraitUpsideDown, CGRectMake(0, 460, 320, 20),
       CGRectMake(0, 0, 320, 460)},
      {UIInterfaceOrientation::LandscapeLeft, CGRectMake(0, 0, 20, 480),
       CGRectMake(20, 0, 300, 480)},
      {UIInterfaceOrientation::LandscapeRight, CGRectMake(300, 0, 20, 480),
       CGRectMake(0, 0, 300, 480)},
  };
  for (auto& [orientation, bar, application] : turns) {
    app->setStatusBarOrientation(orientation);
    EXPECT_EQ(app->statusBarFrame(), bar);
    EXPECT_EQ(UIScreen::mainScreen()->applicationFrame(), application);
  }
  UIApplicationDriver::reset();
  EXPECT_EQ(app->statusBarOrientation(), UIInterfaceOrientation::Portrait);
}

TEST_F(UIApplicationTest, BadgeAndActivityIndicatorAreKept) {
  app->setApplicationIconBadgeNumber(3);
  app->setNetworkActivityIndicatorVisible(true);
  EXPECT_EQ(app->applicationIconBadgeNumber(), 3);
  EXPECT_TRUE(app->isNetworkActivityIndicatorVisible());
  UIApplicationDriver::reset();
  EXPECT_EQ(app->applicationIconBadgeNumber(), 0);
  EXPECT_FALSE(app->isNetworkActivityIndicatorVisible());
}

// The entry point the runner uses: launch on the first pass, then the main loop until stopped.
class MainDelegate : public UIApplicationDelegate {
 public:
  bool applicationDidFinishLaunchingWithOptions(UIApplication& app, const Value&) override {
    stateAtLaunch = app.applicationState();
    loopModeAtLaunch = NSRunLoop::mainRunLoop()->currentMode();
    window_ = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    NSTimer::scheduledTimerWithTimeInterval(2.0, false, [this](const std::shared_ptr<NSTimer>&) {
      timerFired = true;
      UIApplication::stopMainLoop(5);
    });
    return true;
  }
  std::shared_ptr<UIWindow> window() const override { return window_; }
  UIApplicationState stateAtLaunch = UIApplicationState::Background;
  std::string loopModeAtLaunch;
  std::atomic<bool> timerFired{false};
  std::shared_ptr<UIWindow> window_;
};

TEST_F(UIApplicationTest, UIApplicationMainLaunchesAndRunsTheMainLoop) {
  auto appDelegate = std::make_shared<MainDelegate>();
  // The virtual clock stands still while the loop waits: move it from another thread.
  auto clock = MainLoop::clock();
  std::thread ticker([clock, appDelegate] {
    for (int i = 0; i < 20000 && !appDelegate->timerFired; ++i) {
      clock->advance(0.5);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  int result = UIApplicationMain(0, nullptr, appDelegate);
  ticker.join();
  EXPECT_EQ(result, 5);
  EXPECT_TRUE(appDelegate->timerFired);
  EXPECT_EQ(appDelegate->stateAtLaunch, UIApplicationState::Inactive);
  EXPECT_EQ(appDelegate->loopModeAtLaunch, NSDefaultRunLoopMode);
  EXPECT_EQ(app->applicationState(), UIApplicationState::Active);
  EXPECT_EQ(app->keyWindow(), appDelegate->window());
}

}  // namespace
