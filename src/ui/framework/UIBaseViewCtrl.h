// The root of every screen: when its view has loaded it records a page-view usage event (bus
// type 37 on "log_action" with [37, the usage-log name of its class]) while the server's
// login switch `useBehaviorEnable` is on.  It keeps the platform's rotation rule.  The UI
// library's base controller derives from it.
#pragma once

#include "UIKit/UIViewController.h"

class NSObject;

class UIBaseViewCtrl : public UIViewController {
  NS_CLASS(UIBaseViewCtrl, UIViewController)
 public:
  // The platform's, then recodeView.
  void viewDidLoad() override;
  // Sends the page-view usage event.
  virtual void recodeView();
};

// The page-view usage event of a screen or content view, under its class's record name;
// nothing while the configuration's `useBehaviorEnable` is off (or no login data is stored).
void recordPageView(const NSObject& screen);
