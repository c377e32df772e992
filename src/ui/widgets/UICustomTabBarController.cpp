#include "ui/widgets/UICustomTabBarController.h"

#include <string>

#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSString.h"
#include "Foundation/NSThread.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UIScreen.h"
#include "core/UIBkImageView.h"
#include "ui/widgets/SlideTabBar.h"

namespace {

constexpr CGFloat kStatusBarHeight = 20;

// The views of the class below the view (not the view itself), depth first.
void collect(const std::shared_ptr<UIView>& view, std::string_view className,
             std::vector<std::shared_ptr<UIView>>& out) {
  for (auto& sub : view->subviews()) {
    if (sub->isKindOfClass(className)) out.push_back(sub);
    collect(sub, className, out);
  }
}

std::vector<std::shared_ptr<UIView>> viewsOfClass(const std::shared_ptr<UIView>& view,
                                                  std::string_view className) {
  std::vector<std::shared_ptr<UIView>> out;
  if (view) collect(view, className, out);
  return out;
}

}  // namespace

void UICustomTabBarController::viewDidLoad() {
  UITabBarController::viewDidLoad();
  setDelegate(std::static_pointer_cast<UICustomTabBarController>(selfPtr()));
  auto bar = tabBar();
  for (long tag : {kSelectionImageTag, kThemeImageTag})
    if (auto old = bar->viewWithTag(tag)) old->removeFromSuperview();
  auto theme = std::make_shared<UIImageView>(
      CGRectMake(0, 0, bar->frame().size.width, bar->frame().size.height));
  theme->setImage(imageFileNamed(UIBkImageView::tabBarThemeImage()));
  theme->setTag(kThemeImageTag);
  bar->addSubview(theme);
  std::weak_ptr<UICustomTabBarController> weakThis =
      std::static_pointer_cast<UICustomTabBarController>(selfPtr());
  performAfterDelay(
      [weakThis] {
        if (auto self = weakThis.lock()) self->didSelectTabBar();
      },
      0.5);
}

void UICustomTabBarController::didSelectTabBar() {
  auto bar = tabBar();
  auto selection = std::dynamic_pointer_cast<UIImageView>(bar->viewWithTag(kSelectionImageTag));
  if (!selection) {
    selection = std::make_shared<UIImageView>(
        CGRectMake(0, 0, bar->frame().size.width, bar->frame().size.height));
    selection->setTag(kSelectionImageTag);
    bar->insertSubviewAboveSubview(selection, bar->viewWithTag(kThemeImageTag));
  }
  size_t index = selectedIndex();
  selection->setImage(index < 5 ? imageFileNamed("tabSelect" + std::to_string(index + 1))
                                : nullptr);
  for (auto& button : bar->tabButtons()) bar->bringSubviewToFront(button);
  setNoHighlightTabBar();
  if (index != NSNotFound) setTabBarNewsBadge(*bar, index, false);
}

void UICustomTabBarController::setNoHighlightTabBar() {
  if (auto* appearance = UITabBar::appearance()) {
    appearance->setSelectionIndicatorImage(
        std::make_shared<UIImage>(nullptr, 1, UIImageOrientation::Up));
    for (auto& indicator : viewsOfClass(tabBar(), "UITabBarSelectionIndicatorView"))
      indicator->setNeedsDisplay();
    return;
  }
  for (auto& button : viewsOfClass(tabBar(), "UITabBarButton"))
    for (auto& indicator : viewsOfClass(button, "UITabBarSelectionIndicatorView"))
      indicator->removeFromSuperview();
}

const std::vector<std::shared_ptr<UILabel>>& UICustomTabBarController::tabTitleLabels() {
  if (tabTitleLabels_.size() == viewControllers().size()) return tabTitleLabels_;
  tabTitleLabels_.clear();
  for (auto& button : viewsOfClass(tabBar(), "UITabBarButton"))
    for (auto& sub : std::vector(button->subviews())) {
      auto label = std::dynamic_pointer_cast<UILabel>(sub);
      if (!label) continue;
      CGRect f = label->frame();
      auto copy = std::make_shared<UILabel>(CGRectMake(0, 0, f.size.width, f.size.height - 1));
      copy->setFont(label->font());
      copy->setText(label->text());
      copy->setBackgroundColor(label->backgroundColor());
      copy->setOpaque(true);
      label->addSubview(copy);
      tabTitleLabels_.push_back(copy);
    }
  return tabTitleLabels_;
}

void UICustomTabBarController::recolorTabBarTitleLabels() {
  for (auto& label : tabTitleLabels()) {
    label->setTextColor(UIColor::whiteColor());
    label->setBackgroundColor(UIColor::clearColor());
  }
}

void UICustomTabBarController::modifyTabBarBackGround() {
  auto bar = tabBar();
  bar->setBackgroundColor(UIColor::clearColor());
  bar->setBackgroundImage(nullptr);
  for (auto& background : viewsOfClass(bar, "_UITabBarBackgroundView"))
    background->removeFromSuperview();
}

void UICustomTabBarController::hideTabBar(bool hide) {
  isHideTabBar_ = hide;
  auto bar = tabBar();
  if (bar->isHidden() == hide) return;
  bar->setHidden(hide);
  CGFloat screen = UIScreen::mainScreen()->bounds().size.height;
  CGFloat height = screen - kStatusBarHeight - (hide ? 0 : UITabBar::kHeight);
  for (auto& transition : viewsOfClass(view(), "UITransitionView")) {
    CGRect f = transition->frame();
    f.size.height = height;
    transition->setFrame(f);
    transition->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
  }
}

void UICustomTabBarController::didReceiveMemoryWarning() {
  UITabBarController::didReceiveMemoryWarning();
  didSelectTabBar();
  hideTabBar(tabBar()->isHidden());
}

void UICustomTabBarController::setTabBarItemNews(size_t index, bool isNews) {
  if (index >= tabBarNew_.size() || tabBarNew_[index] == isNews) return;
  tabBarNew_[index] = isNews;
  setTabBarNewsBadge(*tabBar(), index, isNews);
}

void UICustomTabBarController::tabBarControllerDidSelectViewController(
    UITabBarController&, const std::shared_ptr<UIViewController>&) {
  recolorTabBarTitleLabels();
}

NS_CLASS_IMPLEMENTATION(UICustomTabBarController) {}
