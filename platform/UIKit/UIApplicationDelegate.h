// The application delegate protocol: every method is optional, so each has a do-nothing default
// (answers: launching succeeds, no URL is handled).
#pragma once

#include <memory>
#include <string>

#include "Foundation/NSError.h"
#include "Foundation/Value.h"

class NSURL;
class UIApplication;
class UIWindow;

class UIApplicationDelegate {
 public:
  virtual ~UIApplicationDelegate() = default;

  // Launch options: a dictionary with the UIApplicationLaunchOptions... keys, or nil.
  virtual bool applicationDidFinishLaunchingWithOptions(UIApplication& /*application*/,
                                                        const Value& /*launchOptions*/) {
    return true;
  }
  virtual void applicationWillResignActive(UIApplication&) {}
  virtual void applicationDidBecomeActive(UIApplication&) {}
  virtual void applicationDidEnterBackground(UIApplication&) {}
  virtual void applicationWillEnterForeground(UIApplication&) {}
  virtual void applicationWillTerminate(UIApplication&) {}
  virtual void applicationDidReceiveMemoryWarning(UIApplication&) {}

  // The device token is data.
  virtual void applicationDidRegisterForRemoteNotificationsWithDeviceToken(
      UIApplication&, const Value& /*deviceToken*/) {}
  virtual void applicationDidFailToRegisterForRemoteNotificationsWithError(
      UIApplication&, const NSErrorPtr& /*error*/) {}
  // The notification's payload dictionary ("aps" and the sender's own keys).
  virtual void applicationDidReceiveRemoteNotification(UIApplication&, const Value& /*userInfo*/) {}

  // The older open-URL entry point.
  virtual bool applicationHandleOpenURL(UIApplication&, const std::shared_ptr<NSURL>& /*url*/) {
    return false;
  }
  // The newer one; the application calls only this, and by default it hands the URL to the
  // older one, as the platform does for delegates that implement just that.
  virtual bool applicationOpenURLSourceApplicationAnnotation(
      UIApplication& application, const std::shared_ptr<NSURL>& url,
      const std::string& /*sourceApplication*/, const Value& /*annotation*/) {
    return applicationHandleOpenURL(application, url);
  }

  // The delegate's window.
  virtual std::shared_ptr<UIWindow> window() const { return nullptr; }
};
