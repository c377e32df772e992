#include "ui/widgets/SlideTabBarController.h"

#include <algorithm>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"

SlideTabBarController::SlideTabBarController(
    std::vector<std::shared_ptr<UIViewController>> viewControllers, const Value& imageArray) {
  for (auto& c : viewControllers)
    if (c && !isContained(*c) &&
        std::find(children_.begin(), children_.end(), c) == children_.end()) {
      adoptChild(*c);
      children_.push_back(c);
    }
  containerView_ = std::make_shared<UIView>(UIScreen::mainScreen()->applicationFrame());
  CGFloat h = containerView_->frame().size.height;
  transitionView_ = std::make_shared<UIView>(CGRectMake(0, 0, 320, h - kBarHeight));
  transitionView_->setBackgroundColor(UIColor::groupTableViewBackgroundColor());
  tabBar_ = SlideTabBar::initWithFrame(CGRectMake(0, h - kBarHeight, 320, kBarHeight), imageArray);
}

SlideTabBarController::~SlideTabBarController() {
  for (auto& c : children_) releaseChild(*c);
}

void SlideTabBarController::loadView() {
  UIViewController::loadView();
  tabBar_->setDelegate(std::static_pointer_cast<SlideTabBarController>(selfPtr()));
  containerView_->addSubview(transitionView_);
  containerView_->addSubview(tabBar_);
  setView(containerView_);
}

void SlideTabBarController::viewDidLoad() {
  setSelectedIndex(0);
}

std::vector<std::shared_ptr<UIViewController>>
SlideTabBarController::childViewControllersForAppearance() const {
  if (auto c = selectedViewController();
      c && c->isViewLoaded() && c->view()->superview() == transitionView_)
    return {c};
  return {};
}

std::shared_ptr<UIViewController> SlideTabBarController::selectedViewController() const {
  return selectedIndex_ < children_.size() ? children_[selectedIndex_] : nullptr;
}

void SlideTabBarController::setSelectedIndex(size_t index) {
  if (index >= children_.size()) return;
  displayViewAtIndex(index);
  tabBar_->selectTabAtIndex(index);
}

void SlideTabBarController::displayViewAtIndex(size_t index) {
  if (index >= children_.size()) return;
  if (index == selectedIndex_ && !transitionView_->subviews().empty()) {
    if (auto navigation = std::dynamic_pointer_cast<UINavigationController>(children_[index]))
      navigation->popToRootViewControllerAnimated(true);
    return;
  }
  auto old = childViewControllersForAppearance();
  auto next = children_[index];
  bool onScreen = isViewLoaded() && isAppearing();
  if (onScreen) next->view();  // loaded before it appears
  if (onScreen && !old.empty()) old[0]->beginAppearanceTransition(false, false);
  if (onScreen) next->beginAppearanceTransition(true, false);
  selectedIndex_ = index;
  for (auto& sub : std::vector(transitionView_->subviews())) sub->removeFromSuperview();
  next->view()->setFrame(transitionView_->bounds());
  transitionView_->addSubview(next->view());
  if (onScreen && !old.empty()) old[0]->endAppearanceTransition();
  if (onScreen) next->endAppearanceTransition();

  tabBarControllerDidSelectViewController(*this, next);
  if (auto d = delegate_.lock()) d->tabBarControllerDidSelectViewController(*this, next);
}

bool SlideTabBarController::tabBarShouldSelectIndex(SlideTabBar&, size_t index) {
  auto d = delegate_.lock();
  if (!d || index >= children_.size()) return true;
  return d->tabBarControllerShouldSelectViewController(*this, children_[index]);
}

void SlideTabBarController::tabBarDidSelectIndex(SlideTabBar&, size_t index) {
  displayViewAtIndex(index);
}

void SlideTabBarController::tabBarControllerDidSelectViewController(
    SlideTabBarController&, const std::shared_ptr<UIViewController>&) {
  tabBar_->setTabBarItemNews(selectedIndex_, false);
}

void SlideTabBarController::setTabBarTransparent(bool transparent) {
  tabBarTransparent_ = transparent;
  CGFloat h = containerView_->frame().size.height;
  transitionView_->setFrame(transparent ? containerView_->bounds()
                                        : CGRectMake(0, 0, 320, h - kBarHeight));
}

void SlideTabBarController::hidesTabBar(bool hide, bool animated) {
  tabBarHidden_ = hide;
  CGFloat h = view()->frame().size.height;
  CGFloat y = hide ? h : h - kBarHeight;
  if (tabBar_->frame().origin.y == y) return;
  auto move = [bar = tabBar_, transition = transitionView_, y] {
    CGRect f = bar->frame();
    f.origin.y = y;
    bar->setFrame(f);
    CGRect t = transition->frame();
    t.size.height = y;
    transition->setFrame(t);
  };
  if (animated) {
    UIView::animateWithDuration(0.3, move);
  } else {
    move();
  }
}

void SlideTabBarController::removeViewControllerAtIndex(size_t index) {
  if (index >= children_.size()) return;
  auto child = children_[index];
  if (child->isViewLoaded()) child->view()->removeFromSuperview();
  releaseChild(*child);
  children_.erase(children_.begin() + long(index));
  tabBar_->removeTabAtIndex(index);
}

void SlideTabBarController::insertViewController(
    const std::shared_ptr<UIViewController>& controller, const Value& imageDic, size_t index) {
  if (!controller || isContained(*controller) || index > children_.size()) return;
  adoptChild(*controller);
  children_.insert(children_.begin() + long(index), controller);
  tabBar_->insertTabWithImageDic(imageDic, index);
}

NS_CLASS_IMPLEMENTATION(SlideTabBarController) {}
