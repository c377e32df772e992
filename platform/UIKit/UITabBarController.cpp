#include "UIKit/UITabBarController.h"

#include <algorithm>

#include "Foundation/NSClass.h"
#include "Foundation/NSString.h"
#include "UIKit/UIScreen.h"

namespace {

// Keeps every subview (the selected controller's view) the size of its bounds.
class UITransitionView : public UIView {
  NS_CLASS(UITransitionView, UIView)
 public:
  using UIView::UIView;
  void layoutSubviews() override {
    for (auto& sub : subviews()) sub->setFrame(bounds());
  }
};

}  // namespace

NS_CLASS_IMPLEMENTATION(UITransitionView) {}

UITabBarController::UITabBarController()
    : selected_(NSNotFound), tabBar_(std::make_shared<UITabBar>()) {}

UITabBarController::~UITabBarController() {
  for (auto& c : children_) releaseChild(*c);
}

std::shared_ptr<UIViewController> UITabBarController::selectedViewController() const {
  return selected_ < children_.size() ? children_[selected_] : nullptr;
}

std::vector<std::shared_ptr<UIViewController>>
UITabBarController::childViewControllersForAppearance() const {
  if (auto c = selectedViewController()) return {c};
  return {};
}

void UITabBarController::setViewControllers(
    std::vector<std::shared_ptr<UIViewController>> controllers, bool) {
  std::vector<std::shared_ptr<UIViewController>> kept;
  for (auto& c : controllers) {
    if (!c || c.get() == this || std::find(kept.begin(), kept.end(), c) != kept.end()) continue;
    bool ours = std::find(children_.begin(), children_.end(), c) != children_.end();
    if (!ours && isContained(*c)) continue;
    kept.push_back(c);
  }
  auto old = selectedViewController();
  bool onScreen = isViewLoaded() && isAppearing();
  size_t index = kept.empty() ? NSNotFound : (selected_ < kept.size() ? selected_ : 0);
  auto next = index < kept.size() ? kept[index] : nullptr;
  if (onScreen && next) next->view();  // loaded before it appears
  if (onScreen && old && old != next) old->beginAppearanceTransition(false, false);
  if (onScreen && next && next != old) next->beginAppearanceTransition(true, false);

  for (auto& c : children_)
    if (std::find(kept.begin(), kept.end(), c) == kept.end()) {
      if (c->isViewLoaded() && c->view()->superview() == transitionView())
        c->view()->removeFromSuperview();
      releaseChild(*c);
    }
  for (auto& c : kept) adoptChild(*c);
  children_ = std::move(kept);
  selected_ = index;
  updateTabs();
  showSelected();

  if (onScreen && old && old != next) old->endAppearanceTransition();
  if (onScreen && next && next != old) next->endAppearanceTransition();
}

void UITabBarController::updateTabs() {
  std::vector<std::string> titles;
  for (auto& c : children_) titles.push_back(c->title());
  tabBar_->setTabTitles(titles);
  tabBar_->setSelectedIndex(selected_ < children_.size() ? long(selected_) : -1);
}

void UITabBarController::showSelected() {
  auto transition = transitionView();
  if (!transition) return;
  auto shown = selectedViewController();
  for (auto& sub : std::vector(transition->subviews()))
    if (!shown || sub != shown->view()) sub->removeFromSuperview();
  if (shown) {
    shown->view()->setFrame(transition->bounds());
    transition->addSubview(shown->view());
  }
}

void UITabBarController::setSelectedIndex(size_t index) {
  if (index >= children_.size()) return;
  select(index);
}

void UITabBarController::setSelectedViewController(
    const std::shared_ptr<UIViewController>& controller) {
  auto it = std::find(children_.begin(), children_.end(), controller);
  if (!controller || it == children_.end()) return;
  select(size_t(it - children_.begin()));
}

void UITabBarController::select(size_t index) {
  if (index == selected_) return;
  auto old = selectedViewController();
  auto next = children_[index];
  bool onScreen = isViewLoaded() && isAppearing();
  if (onScreen) next->view();  // loaded before it appears
  if (onScreen && old) old->beginAppearanceTransition(false, false);
  if (onScreen) next->beginAppearanceTransition(true, false);
  selected_ = index;
  tabBar_->setSelectedIndex(long(index));
  showSelected();
  if (onScreen && old) old->endAppearanceTransition();
  if (onScreen) next->endAppearanceTransition();
}

void UITabBarController::tabTapped(size_t index) {
  if (index >= children_.size()) return;
  auto controller = children_[index];
  auto delegate = delegate_.lock();
  if (delegate && !delegate->tabBarControllerShouldSelectViewController(*this, controller)) return;
  select(index);
  if (delegate) delegate->tabBarControllerDidSelectViewController(*this, controller);
}

void UITabBarController::loadView() {
  CGRect frame = UIScreen::mainScreen()->applicationFrame();
  auto container = std::make_shared<UIView>(frame);
  CGFloat w = frame.size.width, h = frame.size.height;
  auto transition =
      std::make_shared<UITransitionView>(CGRectMake(0, 0, w, std::max(0.0, h - UITabBar::kHeight)));
  transitionView_ = transition;
  container->addSubview(transition);
  tabBar_->setFrame(CGRectMake(0, h - UITabBar::kHeight, w, UITabBar::kHeight));
  container->addSubview(tabBar_);
  std::weak_ptr<UITabBarController> weakThis =
      std::static_pointer_cast<UITabBarController>(selfPtr());
  tabBar_->setTapHandler([weakThis](size_t index) {
    if (auto self = weakThis.lock()) self->tabTapped(index);
  });
  setView(container);
  updateTabs();
  showSelected();
}

NS_CLASS_IMPLEMENTATION(UITabBarController) {
  c.property("selectedIndex", &UITabBarController::selectedIndex,
             &UITabBarController::setSelectedIndex);
}
