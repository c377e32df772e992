#include "UIKit/UIWindow.h"

#include <algorithm>

#include "Foundation/NSClass.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIViewController.h"

UIWindow::UIWindow() : UIWindow(CGRectZero) {}

UIWindow::UIWindow(CGRect frame) : UIView(frame) {
  UIView::setHidden(true);
}

UIWindow::~UIWindow() = default;

std::shared_ptr<UIResponder> UIWindow::nextResponder() const {
  return UIApplication::sharedApplication();
}

void UIWindow::makeKeyAndVisible() {
  makeKeyWindow();
  setHidden(false);
}

void UIWindow::makeKeyWindow() {
  registerWithApplication();
  UIApplication::sharedApplication()->keyWindow_ =
      std::static_pointer_cast<UIWindow>(weak_from_this().lock());
}

bool UIWindow::isKeyWindow() const {
  return UIApplication::sharedApplication()->keyWindow().get() == this;
}

void UIWindow::registerWithApplication() {
  auto self = std::static_pointer_cast<UIWindow>(weak_from_this().lock());
  if (!self) return;
  auto& list = UIApplication::sharedApplication()->windows_;
  std::erase_if(list, [](const auto& w) { return w.expired(); });
  if (std::none_of(list.begin(), list.end(), [&](const auto& w) { return w.lock() == self; }))
    list.push_back(self);
}

void UIWindow::setHidden(bool hidden) {
  bool wasHidden = isHidden();
  UIView::setHidden(hidden);
  if (hidden || !wasHidden) return;
  registerWithApplication();
  if (auto root = rootViewController_) {
    root->beginAppearanceTransition(true, false);
    root->endAppearanceTransition();
    UIViewController::screenShown(root, UIScreenChange::Root);
  }
}

CGRect UIWindow::contentFrame() const {
  CGRect b = bounds();
  CGFloat statusBar = UIApplication::sharedApplication()->statusBarFrame().size.height;
  CGFloat top = std::clamp(statusBar - frame().origin.y, 0.0, b.size.height);
  return CGRectMake(0, top, b.size.width, b.size.height - top);
}

void UIWindow::setRootViewController(std::shared_ptr<UIViewController> controller) {
  if (controller == rootViewController_) return;
  bool visible = !isHidden();
  if (auto old = rootViewController_) {
    if (visible) old->beginAppearanceTransition(false, false);
    if (old->isViewLoaded()) old->view()->removeFromSuperview();
    rootViewController_.reset();
    if (visible) old->endAppearanceTransition();
  }
  rootViewController_ = std::move(controller);
  if (auto root = rootViewController_) {
    auto view = root->view();
    view->setFrame(contentFrame());
    if (visible) root->beginAppearanceTransition(true, false);
    addSubview(view);
    if (visible) {
      root->endAppearanceTransition();
      UIViewController::screenShown(root, UIScreenChange::Root);
    }
  }
}

NS_CLASS_IMPLEMENTATION(UIWindow) {}
