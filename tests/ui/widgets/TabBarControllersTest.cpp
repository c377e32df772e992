// The kit's tab containers: the slide tab bar and its controller, and the platform tab bar
// controller repainted with the theme.
#include <gtest/gtest.h>

#include "Foundation/NSString.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationController.h"
#include "support/ui/ScreenDriver.h"
#include "ui/widgets/SlideTabBar.h"
#include "ui/widgets/SlideTabBarController.h"
#include "ui/widgets/UICustomTabBarController.h"
#include "ui/widgets/WidgetTestSupport.h"

namespace {

using Log = std::vector<std::string>;

class TabBarsTest : public widgettest::WindowTest {};

// Tab dictionaries with a caption each (pictures drawn for the test).
Value tabs(const std::vector<std::string>& captions) {
  auto picture = UIImage::imageNamed("aboutBar");
  std::vector<Value> items;
  for (auto& caption : captions)
    items.push_back(Value::dictionaryOf({{"Default", Value(picture)},
                                         {"Highlighted", Value(picture)},
                                         {"Selected", Value(picture)},
                                         {"Text", Value(caption)}}));
  return Value::arrayOf(std::move(items));
}

class BarListener : public SlideTabBarDelegate {
 public:
  Log log;
  size_t refused = 99;
  bool tabBarShouldSelectIndex(SlideTabBar&, size_t index) override {
    log.push_back("should " + std::to_string(index));
    return index != refused;
  }
  void tabBarDidSelectIndex(SlideTabBar&, size_t index) override {
    log.push_back("did " + std::to_string(index));
  }
};

std::vector<CGRect> frames(const std::vector<std::shared_ptr<UIButton>>& buttons) {
  std::vector<CGRect> out;
  for (auto& b : buttons) out.push_back(b->frame());
  return out;
}

TEST_F(TabBarsTest, FiveSlideTabsShareTheWidthWithBoldCaptionsAndABadgeOnTabTwo) {
  auto bar = SlideTabBar::initWithFrame(CGRectMake(0, 411, 320, 49),
                                        tabs({"头条", "行情", "资讯", "企业", "我的"}));
  window->addSubview(bar);
  ASSERT_EQ(bar->buttons().size(), 5u);
  for (long i = 0; i < 5; ++i) {
    auto button = bar->buttons()[size_t(i)];
    EXPECT_EQ(button->frame(), CGRectMake(64 * i, 0, 64, 44));
    EXPECT_EQ(button->tag(), i);
    EXPECT_TRUE(button->showsTouchWhenHighlighted());
  }
  auto caption = std::dynamic_pointer_cast<UILabel>(ScreenDriver::findText("行情"));
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->frame(), CGRectMake(64, 25, 64, 32));
  EXPECT_TRUE(caption->font()->isBold());
  EXPECT_EQ(caption->font()->pointSize(), 12);
  EXPECT_EQ(bar->backgroundView()->frame(), CGRectMake(0, 0, 320, 49));

  bar->setTabBarItemNews(2, true);
  bar->setTabBarItemNews(2, true);
  auto badge = bar->viewWithTag(863);
  ASSERT_NE(badge, nullptr);
  EXPECT_EQ(badge->frame(), CGRectMake(177, 0, 15, 15));
  EXPECT_EQ(bar->subviews().size(), 12u);  // background, 5 tabs, 5 captions, one badge
  bar->setTabBarItemNews(2, false);
  EXPECT_EQ(bar->viewWithTag(863), nullptr);
}

TEST_F(TabBarsTest, ATapAsksTheDelegateSelectsTheTabAndSlidesTheMarker) {
  auto bar = SlideTabBar::initWithFrame(CGRectMake(0, 411, 320, 49),
                                        tabs({"头条", "行情", "资讯", "企业"}));
  window->addSubview(bar);
  auto listener = std::make_shared<BarListener>();
  bar->setDelegate(listener);
  bar->setAnimatedView(std::make_shared<UIView>(CGRectMake(0, 40, 80, 4)));

  ASSERT_TRUE(ScreenDriver::tap(bar->buttons()[2]));
  EXPECT_EQ(listener->log, (Log{"should 2", "did 2"}));
  EXPECT_EQ(bar->curSelectIndex(), 2u);
  EXPECT_TRUE(bar->buttons()[2]->isSelected());
  EXPECT_FALSE(bar->buttons()[0]->isSelected());
  EXPECT_EQ(bar->animatedView()->frame(), CGRectMake(160, 40, 80, 4));
  ASSERT_EQ(UIView::runningAnimations().size(), 1u);
  EXPECT_EQ(UIView::runningAnimations()[0].duration, 0.2);

  listener->log.clear();
  listener->refused = 3;
  ASSERT_TRUE(ScreenDriver::tap(bar->buttons()[3]));
  EXPECT_EQ(listener->log, Log{"should 3"});
  EXPECT_EQ(bar->curSelectIndex(), 2u);
  bar->selectTabAtIndex(7);  // out of range: nothing
  EXPECT_EQ(bar->curSelectIndex(), 2u);
}

TEST_F(TabBarsTest, RemovingAndInsertingTabsRenumbersAndLaysOutEveryButton) {
  auto bar =
      SlideTabBar::initWithFrame(CGRectMake(0, 0, 320, 49), tabs({"头条", "行情", "资讯", "企业"}));
  auto second = bar->buttons()[2], third = bar->buttons()[3];
  bar->removeTabAtIndex(1);
  ASSERT_EQ(bar->buttons().size(), 3u);
  EXPECT_EQ(second->tag(), 1);
  EXPECT_EQ(third->tag(), 2);
  CGFloat w = 320.0 / 3;
  auto laidOut = frames(bar->buttons());
  for (size_t i = 0; i < laidOut.size(); ++i) {
    EXPECT_NEAR(laidOut[i].origin.x, w * CGFloat(i), 1e-9);
    EXPECT_EQ(laidOut[i].size, CGSizeMake(w, 49));
  }
  bar->removeTabAtIndex(3);  // out of range: nothing
  EXPECT_EQ(bar->buttons().size(), 3u);

  bar->insertTabWithImageDic(tabs({"新"})[0], 1);
  ASSERT_EQ(bar->buttons().size(), 4u);
  EXPECT_EQ(bar->buttons()[1]->tag(), 1);
  EXPECT_EQ(second->tag(), 2);
  EXPECT_EQ(bar->buttons()[1]->frame(), CGRectMake(80, 0, 80, 49));
  EXPECT_EQ(third->frame(), CGRectMake(240, 0, 80, 49));
  bar->insertTabWithImageDic(tabs({"远"})[0], 9);  // past the end: nothing
  EXPECT_EQ(bar->buttons().size(), 4u);

  // No tab dictionaries give a bar without tabs.
  auto empty = SlideTabBar::initWithFrame(CGRectMake(0, 0, 320, 49), Value::arrayOf({}));
  EXPECT_TRUE(empty->buttons().empty());
  empty->selectTabAtIndex(0);
  empty->removeTabAtIndex(0);
}

class Named : public UIViewController {
 public:
  explicit Named(std::string name) { setTitle(std::move(name)); }
};

class ControllerListener : public SlideTabBarControllerDelegate {
 public:
  Log log;
  bool tabBarControllerShouldSelectViewController(
      SlideTabBarController&, const std::shared_ptr<UIViewController>& c) override {
    log.push_back("should " + c->title());
    return true;
  }
  void tabBarControllerDidSelectViewController(
      SlideTabBarController&, const std::shared_ptr<UIViewController>& c) override {
    log.push_back("did " + c->title());
  }
};

TEST_F(TabBarsTest, TheSlideContainerShowsTheTappedChildAndPopsANavigationChildWhenTappedAgain) {
  auto first = std::make_shared<Named>("first");
  auto deep = std::make_shared<Named>("deep");
  auto navigation = std::make_shared<UINavigationController>(std::make_shared<Named>("root"));
  navigation->setTitle("nav");
  auto container = std::make_shared<SlideTabBarController>(
      std::vector<std::shared_ptr<UIViewController>>{first, navigation}, tabs({"头条", "行情"}));
  auto listener = std::make_shared<ControllerListener>();
  container->setDelegate(listener);
  window->setRootViewController(container);
  EXPECT_EQ(container->view()->frame(), CGRectMake(0, 20, 320, 460));
  EXPECT_EQ(container->transitionView()->frame(), CGRectMake(0, 0, 320, 411));
  EXPECT_EQ(container->tabBar()->frame(), CGRectMake(0, 411, 320, 49));
  EXPECT_EQ(container->selectedViewController(), first);
  EXPECT_EQ(first->view()->superview(), container->transitionView());
  EXPECT_EQ(first->view()->frame(), CGRectMake(0, 0, 320, 411));
  EXPECT_EQ(listener->log, Log{"did first"});

  container->setTabBarItemNews(1, true);
  listener->log.clear();
  ASSERT_TRUE(ScreenDriver::tap(container->tabBar()->buttons()[1]));
  EXPECT_EQ(listener->log, (Log{"should nav", "did nav"}));
  EXPECT_EQ(container->selectedIndex(), 1u);
  EXPECT_EQ(navigation->view()->superview(), container->transitionView());
  EXPECT_EQ(first->view()->superview(), nullptr);
  EXPECT_EQ(container->tabBar()->viewWithTag(862), nullptr);  // the news badge went

  navigation->pushViewController(deep, false);
  listener->log.clear();
  ASSERT_TRUE(ScreenDriver::tap(container->tabBar()->buttons()[1]));
  ScreenDriver::wait(1);
  EXPECT_EQ(navigation->topViewController()->title(), "root");
  EXPECT_EQ(listener->log, Log{"should nav"});
  EXPECT_EQ(navigation->view()->superview(), container->transitionView());
}

TEST_F(TabBarsTest, TheSlideContainerHidesItsBarAndLetsChildrenUnderIt) {
  auto container = std::make_shared<SlideTabBarController>(
      std::vector<std::shared_ptr<UIViewController>>{std::make_shared<Named>("a")}, tabs({"头条"}));
  window->setRootViewController(container);
  container->hideTabBar(true);
  EXPECT_TRUE(container->tabBarHidden());
  EXPECT_EQ(container->tabBar()->frame().origin.y, 460);
  EXPECT_EQ(container->transitionView()->frame().size.height, 460);
  ASSERT_EQ(UIView::runningAnimations().size(), 1u);
  EXPECT_EQ(UIView::runningAnimations()[0].duration, 0.3);
  ScreenDriver::wait(0.5);
  container->hidesTabBar(true, false);  // already there
  EXPECT_TRUE(UIView::runningAnimations().empty());
  container->hidesTabBar(false, false);
  EXPECT_EQ(container->tabBar()->frame().origin.y, 411);
  EXPECT_TRUE(UIView::runningAnimations().empty());

  container->setTabBarTransparent(true);
  EXPECT_EQ(container->transitionView()->frame(), CGRectMake(0, 0, 320, 460));
  container->setTabBarTransparent(false);
  EXPECT_EQ(container->transitionView()->frame(), CGRectMake(0, 0, 320, 411));

  container->removeViewControllerAtIndex(3);  // out of range: nothing
  container->removeViewControllerAtIndex(0);
  EXPECT_TRUE(container->viewControllers().empty());
  EXPECT_TRUE(container->tabBar()->buttons().empty());
  EXPECT_TRUE(container->transitionView()->subviews().empty());
  container->insertViewController(std::make_shared<Named>("b"), tabs({"行情"})[0], 0);
  EXPECT_EQ(container->tabBar()->buttons().size(), 1u);
}

std::shared_ptr<UICustomTabBarController> customTabs(const std::shared_ptr<UIWindow>& window) {
  auto controller = std::make_shared<UICustomTabBarController>();
  controller->setViewControllers({std::make_shared<Named>("头条"), std::make_shared<Named>("行情"),
                                  std::make_shared<Named>("我的")});
  window->setRootViewController(controller);
  return controller;
}

TEST_F(TabBarsTest, TheCustomControllerLaysTheThemeOverThePlatformBarAndRepaintsTheSelection) {
  auto controller = customTabs(window);
  auto bar = controller->tabBar();
  auto theme = bar->viewWithTag(840);
  ASSERT_NE(theme, nullptr);
  EXPECT_EQ(theme->frame(), CGRectMake(0, 0, 320, 49));
  EXPECT_EQ(bar->subviews().back(), theme);  // over the tabs until the repaint
  EXPECT_EQ(bar->viewWithTag(850), nullptr);

  ScreenDriver::wait(0.5);
  auto selection = bar->viewWithTag(850);
  ASSERT_NE(selection, nullptr);
  const auto& subviews = bar->subviews();
  auto at = [&](const std::shared_ptr<UIView>& v) {
    return std::find(subviews.begin(), subviews.end(), v) - subviews.begin();
  };
  EXPECT_EQ(at(selection), at(theme) + 1);
  for (auto& button : bar->tabButtons()) EXPECT_GT(at(button), at(selection));
  ASSERT_NE(UITabBar::appearance()->selectionIndicatorImage(), nullptr);
  EXPECT_EQ(UITabBar::appearance()->selectionIndicatorImage()->CGImage(), nullptr);

  // A tap recolours the overlay titles, copies of the platform's titles.
  ASSERT_TRUE(ScreenDriver::tapText("行情"));
  EXPECT_EQ(controller->selectedIndex(), 1u);
  auto labels = controller->tabTitleLabels();
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_EQ(labels[1]->text(), "行情");
  EXPECT_EQ(labels[1]->superview(), bar->tabButtons()[1]->titleLabel());
  EXPECT_EQ(labels[1]->frame(), CGRectMake(0, 0, 320.0 / 3, 12));
  EXPECT_TRUE(widgettest::sameColor(labels[1]->textColor(), 255, 255, 255));
  EXPECT_TRUE(labels[1]->isOpaque());
}

TEST_F(TabBarsTest, TheCustomControllerHidesTheBarAndMarksNewsOnlyOnAChange) {
  auto controller = customTabs(window);
  auto transition = controller->transitionView();
  controller->hideTabBar(true);
  EXPECT_TRUE(controller->tabBar()->isHidden());
  EXPECT_EQ(transition->frame(), CGRectMake(0, 0, 320, 460));
  controller->hideTabBar(false);
  EXPECT_EQ(transition->frame(), CGRectMake(0, 0, 320, 411));
  EXPECT_EQ(transition->autoresizingMask(), UIViewAutoresizingFlexibleWidth);

  auto bar = controller->tabBar();
  controller->setTabBarItemNews(2, true);
  auto badge = bar->viewWithTag(863);
  ASSERT_NE(badge, nullptr);
  EXPECT_EQ(badge->frame(), CGRectMake(177, 0, 15, 15));
  badge->removeFromSuperview();
  controller->setTabBarItemNews(2, true);  // no change: no badge again
  EXPECT_EQ(bar->viewWithTag(863), nullptr);
  controller->setTabBarItemNews(5, true);  // past the fifth tab: nothing
  EXPECT_EQ(bar->viewWithTag(866), nullptr);
}

TEST_F(TabBarsTest, BeforeSystemFiveTheCustomControllerTakesThePlatformHighlightAway) {
  auto profile = UIDevice::profile();
  profile.systemVersion = "4.3";
  UIDevice::setProfile(profile);
  auto controller = customTabs(window);
  ASSERT_EQ(controller->tabBar()->tabButtons()[0]->subviews().size(), 2u);  // highlight, title
  ScreenDriver::wait(0.5);
  EXPECT_EQ(controller->tabBar()->tabButtons()[0]->subviews().size(), 1u);
  UIDevice::resetProfile();
}

}  // namespace
