#include "UIKit/UIViewController.h"

#include "Foundation/NSClass.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UINavigationItem.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"

namespace {

std::shared_ptr<UIViewController> lockController(const std::weak_ptr<NSObject>& weak) {
  return std::static_pointer_cast<UIViewController>(weak.lock());
}

}  // namespace

UIViewController::UIViewController() = default;

UIViewController::~UIViewController() {
  if (view_ && view_->controller_ == this) view_->controller_ = nullptr;
  if (transitionTimer_) transitionTimer_->invalidate();
  if (modal_) modal_->presenting_ = nullptr;
  if (observingMemoryWarnings_)
    NSNotificationCenter::defaultCenter()->removeObserver(weak_from_this());
}

std::shared_ptr<UIViewController> UIViewController::selfPtr() const {
  return std::static_pointer_cast<UIViewController>(
      std::const_pointer_cast<NSObject>(weak_from_this().lock()));
}

// ---- the view

std::shared_ptr<UIView> UIViewController::view() {
  if (!view_) {
    loadView();
    if (!view_) UIViewController::loadView();
    viewDidLoad();
    observeMemoryWarnings();
  }
  return view_;
}

void UIViewController::setView(std::shared_ptr<UIView> view) {
  if (view_ && view_->controller_ == this) view_->controller_ = nullptr;
  view_ = std::move(view);
  if (view_) view_->controller_ = this;
}

std::shared_ptr<UIResponder> UIViewController::nextResponder() const {
  return view_ ? view_->superview() : nullptr;
}

void UIViewController::loadView() {
  setView(std::make_shared<UIView>(UIScreen::mainScreen()->applicationFrame()));
}

void UIViewController::observeMemoryWarnings() {
  std::weak_ptr<NSObject> weak = weak_from_this();
  if (observingMemoryWarnings_ || weak.expired()) return;
  observingMemoryWarnings_ = true;
  NSNotificationCenter::defaultCenter()->addObserver(
      weak,
      [weak](const NSNotificationPtr&) {
        if (auto self = lockController(weak)) self->didReceiveMemoryWarning();
      },
      UIApplicationDidReceiveMemoryWarningNotification);
}

// ---- title

namespace {
UIViewController::TitleHook& titleHook() {
  static UIViewController::TitleHook hook;
  return hook;
}
}  // namespace

void UIViewController::setTitleHook(TitleHook hook) {
  titleHook() = std::move(hook);
}

void UIViewController::setTitle(std::string title) {
  if (const TitleHook& hook = titleHook()) {
    hook(*this, title);
    return;
  }
  title_ = std::move(title);
  navigationItem()->setTitle(title_);
}

std::shared_ptr<UINavigationItem> UIViewController::navigationItem() {
  if (!navigationItem_) navigationItem_ = std::make_shared<UINavigationItem>();
  return navigationItem_;
}

// ---- relations

std::shared_ptr<UIViewController> UIViewController::parentViewController() const {
  if (parent_) return parent_->selfPtr();
  return presentingViewController();
}

std::shared_ptr<UINavigationController> UIViewController::navigationController() const {
  for (UIViewController* c = parent_; c; c = c->parent_) {
    if (dynamic_cast<UINavigationController*>(c))
      return std::static_pointer_cast<UINavigationController>(c->selfPtr());
  }
  return nullptr;
}

std::shared_ptr<UIViewController> UIViewController::presentingViewController() const {
  return presenting_ ? presenting_->selfPtr() : nullptr;
}

UIViewController* UIViewController::appearanceRoot() {
  UIViewController* c = this;
  while (c->parent_) c = c->parent_;
  return c;
}

// ---- modal presentation

void UIViewController::presentModalViewController(
    const std::shared_ptr<UIViewController>& controller, bool animated) {
  if (!controller || modal_ || isContained(*controller) || controller->modal_) return;
  // Presenting a controller that (indirectly) holds this one would make a cycle.
  for (UIViewController* c = this; c; c = c->parent_ ? c->parent_ : c->presenting_)
    if (c == controller.get()) return;

  UIViewController* root = appearanceRoot();
  finishTransition();
  root->finishTransition();
  auto window = root->isViewLoaded() ? root->view()->window() : nullptr;
  if (!window) window = UIApplication::sharedApplication()->keyWindow();

  modal_ = controller;
  controller->presenting_ = this;
  auto view = controller->view();
  root->beginAppearanceTransition(false, animated);
  if (window) {
    view->setFrame(window->contentFrame());
    controller->beginAppearanceTransition(true, animated);
    window->addSubview(view);
  }
  std::weak_ptr<NSObject> weakRoot = root->weak_from_this(),
                          weakShown = controller->weak_from_this();
  bool shown = bool(window);
  runTransition(animated, [weakRoot, weakShown, shown] {
    if (auto r = lockController(weakRoot)) r->endAppearanceTransition();
    auto s = lockController(weakShown);
    if (s) s->endAppearanceTransition();
    if (s && shown) screenShown(s, UIScreenChange::Present);
  });
}

void UIViewController::dismissModalViewControllerAnimated(bool animated) {
  if (!modal_) {
    if (presenting_) presenting_->dismissModalViewControllerAnimated(animated);
    return;
  }
  UIViewController* root = appearanceRoot();
  finishTransition();
  root->finishTransition();

  // Everything presented from here up goes; only the top one was showing.
  std::vector<std::shared_ptr<UIViewController>> chain;
  for (auto c = modal_; c; c = c->modal_) chain.push_back(c);
  auto top = chain.back();
  top->finishTransition();
  top->beginAppearanceTransition(false, animated);
  root->beginAppearanceTransition(true, animated);
  for (auto& c : chain) {
    if (c->isViewLoaded()) c->view()->removeFromSuperview();
    c->presenting_ = nullptr;
    c->modal_.reset();
  }
  modal_.reset();
  std::weak_ptr<NSObject> weakRoot = root->weak_from_this();
  // The dismissed controllers live until their did-calls have been made.
  runTransition(animated, [weakRoot, chain] {
    chain.back()->endAppearanceTransition();
    auto r = lockController(weakRoot);
    if (!r) return;
    r->endAppearanceTransition();
    if (r->isViewLoaded() && r->view()->window()) screenShown(r, UIScreenChange::Dismiss);
  });
}

// ---- screens shown

namespace {

UIScreenShownObserver& screenShownObserver() {
  static UIScreenShownObserver observer;
  return observer;
}

}  // namespace

void UIViewController::setScreenShownObserver(UIScreenShownObserver observer) {
  screenShownObserver() = std::move(observer);
}

void UIViewController::screenShown(const std::shared_ptr<UIViewController>& screen,
                                   UIScreenChange change) {
  auto observer = screenShownObserver();  // it may replace itself
  if (!observer || !screen) return;
  if (auto front = screen->frontViewController()) observer(front, change);
}

std::shared_ptr<UIViewController> UIViewController::frontViewController() {
  auto front = selfPtr();
  for (;;) {
    if (!front) return nullptr;
    if (front->modal_) {
      front = front->modal_;
    } else if (auto nav = std::dynamic_pointer_cast<UINavigationController>(front);
               nav && nav->topViewController()) {
      front = nav->topViewController();
    } else {
      return front;
    }
  }
}

// ---- appearance

bool UIViewController::isAppearing() const {
  return appearance_ == Appearance::Appearing || appearance_ == Appearance::Appeared;
}

void UIViewController::beginAppearanceTransition(bool isAppearing, bool animated) {
  auto keep = selfPtr();
  if (isAppearing) {
    if (appearance_ == Appearance::Appearing || appearance_ == Appearance::Appeared) return;
    if (appearance_ == Appearance::Disappearing) endAppearanceTransition();
    appearance_ = Appearance::Appearing;
    appearanceAnimated_ = animated;
    viewWillAppear(animated);
  } else {
    if (appearance_ == Appearance::Disappearing || appearance_ == Appearance::Disappeared) return;
    if (appearance_ == Appearance::Appearing) endAppearanceTransition();
    appearance_ = Appearance::Disappearing;
    appearanceAnimated_ = animated;
    viewWillDisappear(animated);
  }
  appearanceChildren_ = childViewControllersForAppearance();
  for (auto& child : appearanceChildren_) child->beginAppearanceTransition(isAppearing, animated);
}

void UIViewController::endAppearanceTransition() {
  auto keep = selfPtr();
  if (appearance_ == Appearance::Appearing) {
    appearance_ = Appearance::Appeared;
    viewDidAppear(appearanceAnimated_);
  } else if (appearance_ == Appearance::Disappearing) {
    appearance_ = Appearance::Disappeared;
    viewDidDisappear(appearanceAnimated_);
  } else {
    return;
  }
  auto children = std::move(appearanceChildren_);
  appearanceChildren_.clear();
  for (auto& child : children) child->endAppearanceTransition();
}

// ---- transitions

void UIViewController::runTransition(bool animated, std::function<void()> end) {
  finishTransition();
  std::weak_ptr<NSObject> weak = weak_from_this();
  if (!animated || weak.expired()) {
    if (end) end();
    return;
  }
  transitionEnd_ = std::move(end);
  transitionTimer_ = NSTimer::timerWithTimeInterval(kTransitionDuration, false,
                                                    [weak](const std::shared_ptr<NSTimer>&) {
                                                      if (auto self = lockController(weak))
                                                        self->finishTransition();
                                                    });
  NSRunLoop::mainRunLoop()->addTimer(transitionTimer_, NSRunLoopCommonModes);
}

void UIViewController::finishTransition() {
  if (transitionTimer_) {
    transitionTimer_->invalidate();
    transitionTimer_.reset();
  }
  auto end = std::move(transitionEnd_);
  transitionEnd_ = nullptr;
  if (end) end();
}

NS_CLASS_IMPLEMENTATION(UIViewController) {}
