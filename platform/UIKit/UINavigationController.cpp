#include "UIKit/UINavigationController.h"

#include <algorithm>

#include "Foundation/NSClass.h"
#include "UIKit/UIScreen.h"

namespace {

// The navigation controller's own view: it lays the bar and the top view out with its bounds.
class UILayoutContainerView : public UIView {
  NS_CLASS(UILayoutContainerView, UIView)
 public:
  UILayoutContainerView(CGRect frame, UINavigationController* owner)
      : UIView(frame), owner_(owner) {}
  void layoutSubviews() override {
    if (owner_) owner_->layoutChildren();
  }
  UINavigationController* owner_;
};
NS_CLASS_IMPLEMENTATION(UILayoutContainerView) {}

template <class T>
std::weak_ptr<NSObject> weakOf(const std::shared_ptr<T>& p) {
  return p ? p->weak_from_this() : std::weak_ptr<NSObject>();
}

std::shared_ptr<UIViewController> lockController(const std::weak_ptr<NSObject>& weak) {
  return std::static_pointer_cast<UIViewController>(weak.lock());
}

}  // namespace

UINavigationController::UINavigationController()
    : UINavigationController(nullptr, nullptr, nullptr) {}

UINavigationController::UINavigationController(std::shared_ptr<UIViewController> root)
    : UINavigationController(std::move(root), nullptr, nullptr) {}

UINavigationController::UINavigationController(std::shared_ptr<UIViewController> root,
                                               const NavigationBarFactory& navigationBar,
                                               const ToolbarFactory& toolbar) {
  if (navigationBar) navigationBar_ = navigationBar();
  if (!navigationBar_) navigationBar_ = std::make_shared<UINavigationBar>();
  if (toolbar) toolbar_ = toolbar();
  if (!toolbar_) toolbar_ = std::make_shared<UIToolbar>();
  toolbar_->setHidden(true);
  if (root && !isContained(*root) && root.get() != this) {
    adoptChild(*root);
    stack_.push_back(std::move(root));
  }
}

void UINavigationController::updateBarItems() {
  std::vector<std::shared_ptr<UINavigationItem>> items;
  for (auto& c : stack_) items.push_back(c->navigationItem());
  navigationBar_->setItems(std::move(items));
}

UINavigationController::~UINavigationController() {
  for (auto& c : stack_) releaseChild(*c);
  if (isViewLoaded())
    if (auto container = dynamic_cast<UILayoutContainerView*>(view().get()))
      container->owner_ = nullptr;
}

std::shared_ptr<UIViewController> UINavigationController::topViewController() const {
  return stack_.empty() ? nullptr : stack_.back();
}

std::shared_ptr<UIViewController> UINavigationController::visibleViewController() const {
  auto shown = modalViewController() ? modalViewController() : topViewController();
  while (shown && shown->modalViewController()) shown = shown->modalViewController();
  return shown;
}

std::vector<std::shared_ptr<UIViewController>>
UINavigationController::childViewControllersForAppearance() const {
  if (auto top = topViewController()) return {top};
  return {};
}

void UINavigationController::loadView() {
  auto container =
      std::make_shared<UILayoutContainerView>(UIScreen::mainScreen()->applicationFrame(), this);
  setView(container);
  container->addSubview(navigationBar_);
  container->addSubview(toolbar_);
  if (auto top = topViewController())
    container->insertSubviewBelowSubview(top->view(), navigationBar_);
  updateBarItems();
  layoutChildren();
}

void UINavigationController::layoutChildren() {
  if (!isViewLoaded()) return;
  CGRect b = view()->bounds();
  navigationBar_->setHidden(navigationBarHidden_);
  navigationBar_->setFrame(
      CGRectMake(b.origin.x, b.origin.y, b.size.width, UINavigationBar::kHeight));
  toolbar_->setHidden(toolbarHidden_);
  toolbar_->setFrame(CGRectMake(b.origin.x, CGRectGetMaxY(b) - UIToolbar::kHeight, b.size.width,
                                UIToolbar::kHeight));
  CGFloat top = navigationBarHidden_ ? 0 : UINavigationBar::kHeight;
  CGFloat bottom = toolbarHidden_ ? 0 : UIToolbar::kHeight;
  if (auto t = topViewController(); t && t->isViewLoaded())
    t->view()->setFrame(CGRectMake(b.origin.x, b.origin.y + top, b.size.width,
                                   std::max(0.0, b.size.height - top - bottom)));
}

void UINavigationController::setNavigationBarHidden(bool hidden, bool) {
  navigationBarHidden_ = hidden;
  layoutChildren();
}

void UINavigationController::setToolbarHidden(bool hidden, bool) {
  toolbarHidden_ = hidden;
  layoutChildren();
}

void UINavigationController::showTop(const std::shared_ptr<UIViewController>& oldTop) {
  if (!isViewLoaded()) return;
  auto container = view();
  if (oldTop && oldTop->isViewLoaded() && oldTop->view()->superview() == container)
    oldTop->view()->removeFromSuperview();
  if (auto top = topViewController()) {
    if (navigationBar_->superview() == container) {
      container->insertSubviewBelowSubview(top->view(), navigationBar_);
    } else {
      container->addSubview(top->view());
    }
  }
  updateBarItems();
  layoutChildren();
}

void UINavigationController::pushViewController(const std::shared_ptr<UIViewController>& controller,
                                                bool animated) {
  if (!controller || isContained(*controller)) return;
  for (auto c = selfPtr(); c; c = c->parentViewController())
    if (c == controller) return;  // pushing a container of this one would make a cycle
  finishTransition();
  auto oldTop = topViewController();
  adoptChild(*controller);
  stack_.push_back(controller);
  if (!isViewLoaded()) return;  // the view shows the top when it is made

  bool onScreen = isAppearing();
  controller->view();  // loaded before it appears
  if (onScreen && oldTop) oldTop->beginAppearanceTransition(false, animated);
  if (onScreen) controller->beginAppearanceTransition(true, animated);
  showTop(oldTop);
  if (!onScreen) return;
  std::weak_ptr<NSObject> weakOld = weakOf(oldTop), weakNew = weakOf(controller);
  runTransition(animated, [weakOld, weakNew] {
    if (auto c = lockController(weakOld)) c->endAppearanceTransition();
    if (auto c = lockController(weakNew)) {
      c->endAppearanceTransition();
      screenShown(c, UIScreenChange::Push);
    }
  });
}

std::vector<std::shared_ptr<UIViewController>> UINavigationController::popTo(size_t keep,
                                                                             bool animated) {
  if (keep + 1 >= stack_.size()) return {};
  finishTransition();
  auto oldTop = stack_.back();
  std::vector<std::shared_ptr<UIViewController>> popped(stack_.begin() + long(keep) + 1,
                                                        stack_.end());
  stack_.resize(keep + 1);
  auto newTop = stack_.back();
  bool onScreen = isViewLoaded() && isAppearing();
  if (onScreen) {
    oldTop->beginAppearanceTransition(false, animated);
    newTop->view();
    newTop->beginAppearanceTransition(true, animated);
  }
  for (auto& c : popped) releaseChild(*c);
  showTop(oldTop);
  if (onScreen) {
    std::weak_ptr<NSObject> weakNew = weakOf(newTop);
    // The old top lives until its viewDidDisappear.
    runTransition(animated, [oldTop, weakNew] {
      oldTop->endAppearanceTransition();
      if (auto c = lockController(weakNew)) {
        c->endAppearanceTransition();
        screenShown(c, UIScreenChange::Pop);
      }
    });
  }
  return popped;
}

std::shared_ptr<UIViewController> UINavigationController::popViewControllerAnimated(bool animated) {
  if (stack_.size() < 2) return nullptr;
  auto popped = popTo(stack_.size() - 2, animated);
  return popped.empty() ? nullptr : popped.back();
}

std::vector<std::shared_ptr<UIViewController>>
UINavigationController::popToRootViewControllerAnimated(bool animated) {
  return popTo(0, animated);
}

std::vector<std::shared_ptr<UIViewController>> UINavigationController::popToViewController(
    const std::shared_ptr<UIViewController>& controller, bool animated) {
  auto it = std::find(stack_.begin(), stack_.end(), controller);
  if (!controller || it == stack_.end()) return {};
  return popTo(size_t(it - stack_.begin()), animated);
}

NS_CLASS_IMPLEMENTATION(UINavigationController) {}
