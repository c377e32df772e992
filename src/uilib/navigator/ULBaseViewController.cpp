#include "uilib/navigator/ULBaseViewController.h"

#include "Foundation/NSClass.h"
#include "UIKit/NSValue+UIGeometry.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIKeyboard.h"
#include "UIKit/UINavigationBar.h"
#include "UIKit/UINavigationController.h"
#include "uilib/network/ULURLRequestQueue.h"
#include "uilib/screen/ULOrientation.h"
#include "uilib/style/ULDefaultStyleSheet.h"

namespace {

constexpr double kKeyboardAnimationDuration = 0.3;

ULBaseViewController* popupOf(const UIViewController& controller) {
  return dynamic_cast<ULBaseViewController*>(ULPopupViewController(controller).get());
}

}  // namespace

// ---- ULBaseViewController

ULBaseViewController::ULBaseViewController() {
  if (auto application = UIApplication::sharedApplication())
    statusBarStyle_ = application->statusBarStyle();
}

ULBaseViewController::~ULBaseViewController() {
  ULUnsetCommonProperties(*this);
  setAutoresizesForKeyboard(false);
  viewDidUnload();
}

void ULBaseViewController::viewWillAppear(bool animated) {
  UIBaseViewCtrl::viewWillAppear(animated);
  isViewAppearing_ = true;
  hasViewAppeared_ = true;
  // A popup shown over this screen keeps the bars as it set them.
  if (ULPopupViewController(*this)) return;
  if (auto navigation = navigationController()) {
    if (auto bar = navigation->navigationBar()) {
      if (navigationBarTintColor_) bar->setTintColor(navigationBarTintColor_);
      bar->setBarStyle(navigationBarStyle_);
    }
  }
  if (!ULDeviceIsPad())
    if (auto application = UIApplication::sharedApplication())
      application->setStatusBarStyle(statusBarStyle_, true);
}

void ULBaseViewController::viewWillDisappear(bool animated) {
  UIBaseViewCtrl::viewWillDisappear(animated);
  isViewAppearing_ = false;
}

void ULBaseViewController::didReceiveMemoryWarning() {
  if (hasViewAppeared_ && !isViewAppearing_) {
    // Hidden behind another screen: keep what it needs to come back as it was.
    auto state = makeDictionary();
    ULPersistView(*this, state);
    frozenState_ = state;
    UIBaseViewCtrl::didReceiveMemoryWarning();
    hasViewAppeared_ = false;
    return;
  }
  UIBaseViewCtrl::didReceiveMemoryWarning();
}

bool ULBaseViewController::shouldAutorotateToInterfaceOrientation(
    UIInterfaceOrientation orientation) {
  if (ULDeviceIsPad()) return true;
  if (auto popup = ULPopupViewController(*this))
    return popup->shouldAutorotateToInterfaceOrientation(orientation);
  return UIBaseViewCtrl::shouldAutorotateToInterfaceOrientation(orientation);
}

void ULBaseViewController::willAnimateRotationToInterfaceOrientation(
    UIInterfaceOrientation orientation, double duration) {
  if (auto* popup = popupOf(*this))
    popup->willAnimateRotationToInterfaceOrientation(orientation, duration);
}

void ULBaseViewController::didRotateFromInterfaceOrientation(UIInterfaceOrientation orientation) {
  if (auto* popup = popupOf(*this)) popup->didRotateFromInterfaceOrientation(orientation);
}

std::shared_ptr<UIView> ULBaseViewController::rotatingHeaderView() {
  if (auto* popup = popupOf(*this)) return popup->rotatingHeaderView();
  return nullptr;
}

std::shared_ptr<UIView> ULBaseViewController::rotatingFooterView() {
  if (auto* popup = popupOf(*this)) return popup->rotatingFooterView();
  return nullptr;
}

void ULBaseViewController::setAutoresizesForKeyboard(bool autoresizes) {
  if (autoresizes == autoresizesForKeyboard_) return;
  autoresizesForKeyboard_ = autoresizes;
  auto center = NSNotificationCenter::defaultCenter();
  std::weak_ptr<NSObject> self = weak_from_this();
  if (!autoresizes) {
    for (auto name : {UIKeyboardWillShowNotification, UIKeyboardWillHideNotification,
                      UIKeyboardDidShowNotification, UIKeyboardDidHideNotification})
      center->removeObserver(self, name);
    return;
  }
  center->addObserver(
      self, [this](const NSNotificationPtr& n) { keyboardWillShow(n); },
      UIKeyboardWillShowNotification);
  center->addObserver(
      self, [this](const NSNotificationPtr& n) { keyboardWillHide(n); },
      UIKeyboardWillHideNotification);
  center->addObserver(
      self, [this](const NSNotificationPtr& n) { keyboardDidShow(n); },
      UIKeyboardDidShowNotification);
  center->addObserver(
      self, [this](const NSNotificationPtr& n) { keyboardDidHide(n); },
      UIKeyboardDidHideNotification);
}

namespace {

CGRect keyboardBounds(const NSNotificationPtr& notification) {
  auto info = notification ? notification->userInfo().dictionary() : nullptr;
  return info ? CGRectValue(info->objectForKey(UIKeyboardBoundsUserInfoKey)) : CGRectZero;
}

}  // namespace

void ULBaseViewController::keyboardWillShow(const NSNotificationPtr& notification) {
  if (isViewAppearing_) resizeForKeyboard(notification, true);
}

void ULBaseViewController::keyboardDidHide(const NSNotificationPtr& notification) {
  if (isViewAppearing_) resizeForKeyboard(notification, false);
}

void ULBaseViewController::keyboardDidShow(const NSNotificationPtr& notification) {
  keyboardDidAppear(true, keyboardBounds(notification));
}

void ULBaseViewController::keyboardWillHide(const NSNotificationPtr& notification) {
  keyboardWillDisappear(true, keyboardBounds(notification));
}

void ULBaseViewController::resizeForKeyboard(const NSNotificationPtr& notification,
                                             bool appearing) {
  auto info = notification ? notification->userInfo().dictionary() : nullptr;
  CGRect bounds = keyboardBounds(notification);
  CGPoint begin =
      info ? CGPointValue(info->objectForKey(UIKeyboardCenterBeginUserInfoKey)) : CGPointZero;
  CGPoint end =
      info ? CGPointValue(info->objectForKey(UIKeyboardCenterEndUserInfoKey)) : CGPointZero;
  bool animated = begin.y != end.y;
  if (animated) {
    UIView::beginAnimations();
    UIView::setAnimationDuration(kKeyboardAnimationDuration);
  }
  if (appearing)
    keyboardWillAppear(animated, bounds);
  else
    keyboardDidDisappear(animated, bounds);
  if (animated) UIView::commitAnimations();
}

// ---- ULNavigatorViewController

ULNavigatorViewController::~ULNavigatorViewController() {
  ULUnsetNavigatorProperties(*this);
}

// ---- ULViewController

ULViewController::ULViewController() {
  if (auto sheet = std::dynamic_pointer_cast<ULDefaultStyleSheet>(ULStyleSheet::globalStyleSheet()))
    setNavigationBarTintColor(sheet->navigationBarTintColor());
}

ULViewController::~ULViewController() {
  std::weak_ptr<const void> self = weak_from_this();
  ULURLRequestQueue::mainQueue()->cancelRequestsWithDelegate(self);
}

void ULViewController::loadView() {
  if (!nibName_.empty()) {
    UIBaseViewCtrl::loadView();
    return;
  }
  auto view = std::make_shared<UIView>(wantsFullScreenLayout_ ? ULOrientedScreenBounds()
                                                              : ULContentFrameBelowBar());
  view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  if (auto sheet = std::dynamic_pointer_cast<ULDefaultStyleSheet>(ULStyleSheet::globalStyleSheet()))
    view->setBackgroundColor(sheet->backgroundColor());
  setView(view);
}

void ULViewController::viewWillAppear(bool animated) {
  ULNavigatorViewController::viewWillAppear(animated);
  ULURLRequestQueue::mainQueue()->setSuspended(true);
}

void ULViewController::viewDidAppear(bool animated) {
  ULNavigatorViewController::viewDidAppear(animated);
  ULURLRequestQueue::mainQueue()->setSuspended(false);
}

void ULViewController::doGarbageCollection() {
  ULControllerRegisters::doNavigatorGarbageCollection();
  ULControllerRegisters::doCommonGarbageCollection();
}

NS_CLASS_IMPLEMENTATION(ULBaseViewController) {}
NS_CLASS_IMPLEMENTATION(ULNavigatorViewController) {}
NS_CLASS_IMPLEMENTATION(ULViewController) {}
