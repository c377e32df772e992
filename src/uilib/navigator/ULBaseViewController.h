// The library's screen controllers, on the app's base screen:
//
//   ULViewController -> ULNavigatorViewController -> ULBaseViewController -> UIBaseViewCtrl
//
// ULBaseViewController styles the navigation bar (tint, bar style) and the status bar as it
// appears, tracks whether its view is appearing, turns keyboard notifications into four hooks,
// hands rotation to a popup controller it shows, and freezes its view state (persistView) when
// a memory warning finds it hidden.  ULNavigatorViewController forgets the URL it was opened
// with (and the map's object for it) when it goes.  ULViewController builds a plain view in
// code, takes the style sheet's colours and keeps the main request queue suspended while it
// appears, so no image or data load starts during the transition.
//
// What callers rely on:
// - isViewAppearing: from viewWillAppear to viewWillDisappear.  hasViewAppeared: from
//   viewWillAppear until a memory warning froze the hidden view.
// - Keyboard hooks run only while keyboard observation is on (setAutoresizesForKeyboard);
//   keyboardWillAppear / keyboardDidDisappear only while the view is appearing.
// - These controllers keep their own links (super controller, popup, URL) and clear them in
//   their destruction: the registers' sweeps do not hold them.
// - Main thread only.
#pragma once

#include <memory>
#include <string>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/Value.h"
#include "ui/framework/UIBaseViewCtrl.h"
#include "uilib/navigator/UIViewController+ULNavigator.h"

class UIColor;

class ULBaseViewController : public UIBaseViewCtrl, public ULControllerHooks {
  NS_CLASS(ULBaseViewController, UIBaseViewCtrl)
 public:
  ULBaseViewController();
  ~ULBaseViewController() override;

  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void didReceiveMemoryWarning() override;
  bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) override;

  int navigationBarStyle() const { return navigationBarStyle_; }
  void setNavigationBarStyle(int style) { navigationBarStyle_ = style; }
  const std::shared_ptr<UIColor>& navigationBarTintColor() const { return navigationBarTintColor_; }
  void setNavigationBarTintColor(std::shared_ptr<UIColor> color) {
    navigationBarTintColor_ = std::move(color);
  }
  // The application's style when the controller was made.
  int statusBarStyle() const { return statusBarStyle_; }
  void setStatusBarStyle(int style) { statusBarStyle_ = style; }
  bool isViewAppearing() const { return isViewAppearing_; }
  bool hasViewAppeared() const { return hasViewAppeared_; }

  ValueDictionary frozenState() const override { return frozenState_; }
  void setFrozenState(const ValueDictionary& state) override { frozenState_ = state; }

  bool autoresizesForKeyboard() const { return autoresizesForKeyboard_; }
  // YES observes the keyboard's will-show, will-hide, did-show and did-hide notifications.
  void setAutoresizesForKeyboard(bool autoresizes);
  void keyboardWillShow(const NSNotificationPtr& notification);
  void keyboardWillHide(const NSNotificationPtr& notification);
  void keyboardDidShow(const NSNotificationPtr& notification);
  void keyboardDidHide(const NSNotificationPtr& notification);
  // Reads the keyboard's bounds and centres; when its vertical centre moves, the hook runs
  // inside a 0.3-s animation so that what the subclass changes moves with the keyboard.
  void resizeForKeyboard(const NSNotificationPtr& notification, bool appearing);
  // ---- hooks for subclasses: the animated flag and the keyboard's bounds.
  virtual void keyboardWillAppear(bool /*animated*/, CGRect /*bounds*/) {}
  virtual void keyboardWillDisappear(bool /*animated*/, CGRect /*bounds*/) {}
  virtual void keyboardDidAppear(bool /*animated*/, CGRect /*bounds*/) {}
  virtual void keyboardDidDisappear(bool /*animated*/, CGRect /*bounds*/) {}

  // ---- rotation goes to the popup controller shown over this one, when there is one.
  virtual void willAnimateRotationToInterfaceOrientation(UIInterfaceOrientation orientation,
                                                         double duration);
  virtual void didRotateFromInterfaceOrientation(UIInterfaceOrientation orientation);
  virtual std::shared_ptr<UIView> rotatingHeaderView();
  virtual std::shared_ptr<UIView> rotatingFooterView();

  // A hidden view that a memory warning unloads gives up its state here.
  virtual void viewDidUnload() {}

 private:
  int navigationBarStyle_ = 0;
  int statusBarStyle_ = 0;
  std::shared_ptr<UIColor> navigationBarTintColor_;
  ValueDictionary frozenState_;
  bool isViewAppearing_ = false;
  bool hasViewAppeared_ = false;
  bool autoresizesForKeyboard_ = false;
};

class ULNavigatorViewController : public ULBaseViewController {
  NS_CLASS(ULNavigatorViewController, ULBaseViewController)
 public:
  ~ULNavigatorViewController() override;
};

class ULViewController : public ULNavigatorViewController {
  NS_CLASS(ULViewController, ULNavigatorViewController)
 public:
  ULViewController();
  ~ULViewController() override;

  // With a nib name: the platform's view.  Otherwise a plain view of the oriented screen
  // (full-screen layout) or of the content frame below the bar, in the style sheet's
  // background colour.
  void loadView() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;

  // The controller's interface file; empty: the view is built in code.
  const std::string& nibName() const { return nibName_; }
  void setNibName(std::string name) { nibName_ = std::move(name); }
  bool wantsFullScreenLayout() const { return wantsFullScreenLayout_; }
  void setWantsFullScreenLayout(bool full) { wantsFullScreenLayout_ = full; }

  // The search results controller; the search display controller comes with the search
  // screens, so none here.
  std::shared_ptr<UIViewController> searchViewController() const { return nullptr; }

  // Both registers' sweeps at once.
  static void doGarbageCollection();

 private:
  std::string nibName_;
  bool wantsFullScreenLayout_ = false;
};
