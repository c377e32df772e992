// The tab bar controller: its parts, selection in code and by a tap, the delegate's say and
// the appearance of the selected controller.
#include <gtest/gtest.h>

#include "Foundation/NSString.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIImage.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UITabBarController.h"
#include "UIKitTestSupport.h"
#include "support/ui/ScreenDriver.h"

namespace {

class Chooser : public UITabBarControllerDelegate {
 public:
  explicit Chooser(std::shared_ptr<Log> log) : log_(std::move(log)) {}
  bool tabBarControllerShouldSelectViewController(
      UITabBarController&, const std::shared_ptr<UIViewController>& c) override {
    log_->push_back("should " + c->title());
    return c->title() != "locked";
  }
  void tabBarControllerDidSelectViewController(
      UITabBarController&, const std::shared_ptr<UIViewController>& c) override {
    log_->push_back("did " + c->title());
  }

 private:
  std::shared_ptr<Log> log_;
};

class TabBarControllerTest : public UIKitTest {
 protected:
  std::shared_ptr<LoggingController> make(std::string name) {
    auto c = std::make_shared<LoggingController>(name, log);
    c->setTitle(name);
    return c;
  }
  // A key window showing a tab bar controller of "news", "mine" and "locked"; the log starts
  // empty.
  void show() {
    news = make("news"), mine = make("mine"), locked = make("locked");
    tabs = std::make_shared<UITabBarController>();
    tabs->setViewControllers({news, mine, locked});
    window = showWindow(tabs);
    log->clear();
  }
  Log take() { return takeLog(*log); }

  std::shared_ptr<Log> log = std::make_shared<Log>();
  std::shared_ptr<LoggingController> news, mine, locked;
  std::shared_ptr<UITabBarController> tabs;
  std::shared_ptr<UIWindow> window;
};

TEST_F(TabBarControllerTest, TheFirstControllerShowsAboveABarOfOneTabPerController) {
  show();
  EXPECT_EQ(tabs->selectedIndex(), 0u);
  EXPECT_EQ(tabs->selectedViewController(), news);
  EXPECT_EQ(news->parentViewController(), tabs);
  EXPECT_TRUE(news->isAppearing());
  EXPECT_FALSE(mine->isViewLoaded());
  EXPECT_EQ(window->dump(),
            "UIWindow frame=(0 0; 320 480)\n"
            "  UIView frame=(0 20; 320 460)\n"
            "    UITransitionView frame=(0 0; 320 411)\n"
            "      UIView frame=(0 0; 320 411)\n"
            "    UITabBar frame=(0 411; 320 49)\n"
            "      _UITabBarBackgroundView frame=(0 0; 320 49)\n"
            "      UITabBarButton frame=(0 1; 106.667 48) selected\n"
            "        UITabBarSelectionIndicatorView frame=(0 0; 106.667 48)\n"
            "        UILabel frame=(0 33; 106.667 13) text=\"news\"\n"
            "      UITabBarButton frame=(106.667 1; 106.667 48)\n"
            "        UILabel frame=(0 33; 106.667 13) text=\"mine\"\n"
            "      UITabBarButton frame=(213.333 1; 106.667 48)\n"
            "        UILabel frame=(0 33; 106.667 13) text=\"locked\"\n");
}

TEST_F(TabBarControllerTest, ATapAsksTheDelegateThenSwapsTheControllersAndTellsIt) {
  show();
  auto chooser = std::make_shared<Chooser>(log);
  tabs->setDelegate(chooser);

  ASSERT_TRUE(ScreenDriver::tapText("mine"));
  EXPECT_EQ(take(),
            (Log{"should mine", "mine.viewDidLoad", "news.viewWillDisappear", "mine.viewWillAppear",
                 "news.viewDidDisappear", "mine.viewDidAppear", "did mine"}));
  EXPECT_EQ(tabs->selectedIndex(), 1u);
  EXPECT_EQ(news->view()->superview(), nullptr);
  EXPECT_EQ(mine->view()->superview(), tabs->transitionView());
  EXPECT_EQ(mine->view()->frame(), CGRectMake(0, 0, 320, 411));
  EXPECT_EQ(tabs->tabBar()->selectedIndex(), 1);

  // The delegate may refuse; a tap on the selected tab is still told.
  ASSERT_TRUE(ScreenDriver::tapText("locked"));
  EXPECT_EQ(take(), Log{"should locked"});
  EXPECT_EQ(tabs->selectedViewController(), mine);
  ASSERT_TRUE(ScreenDriver::tapText("mine"));
  EXPECT_EQ(take(), (Log{"should mine", "did mine"}));

  // Without a delegate a tap just selects.
  chooser.reset();
  ASSERT_TRUE(ScreenDriver::tapText("locked"));
  EXPECT_EQ(tabs->selectedViewController(), locked);
}

TEST_F(TabBarControllerTest, SelectingInCodeAsksNoOneAndIgnoresWhatIsNotThere) {
  show();
  auto chooser = std::make_shared<Chooser>(log);
  tabs->setDelegate(chooser);
  tabs->setSelectedIndex(2);
  EXPECT_EQ(tabs->selectedViewController(), locked);
  EXPECT_EQ(take(), (Log{"locked.viewDidLoad", "news.viewWillDisappear", "locked.viewWillAppear",
                         "news.viewDidDisappear", "locked.viewDidAppear"}));
  tabs->setSelectedIndex(3);
  tabs->setSelectedViewController(make("stranger"));
  tabs->setSelectedViewController(nullptr);
  EXPECT_EQ(tabs->selectedIndex(), 2u);
  tabs->setSelectedViewController(news);
  EXPECT_EQ(tabs->selectedIndex(), 0u);
  take();

  // New controllers: the index stays while in range, else the first is selected; a controller
  // of another container, a null and a repeat are left out.
  auto other = make("other");
  auto nav = std::make_shared<UINavigationController>(other);
  tabs->setSelectedIndex(1);
  tabs->setViewControllers({locked, mine, nullptr, other, locked});
  EXPECT_EQ(tabs->viewControllers().size(), 2u);
  EXPECT_EQ(tabs->selectedViewController(), mine);
  EXPECT_EQ(news->parentViewController(), nullptr);
  EXPECT_EQ(other->parentViewController(), nav);
  EXPECT_EQ(tabs->tabBar()->tabButtons().size(), 2u);
  take();
  tabs->setViewControllers({news});
  EXPECT_EQ(tabs->selectedViewController(), news);
  EXPECT_EQ(take(), (Log{"mine.viewWillDisappear", "news.viewWillAppear", "mine.viewDidDisappear",
                         "news.viewDidAppear"}));
  tabs->setViewControllers({});
  EXPECT_EQ(tabs->selectedIndex(), NSNotFound);
  EXPECT_EQ(tabs->selectedViewController(), nullptr);
  EXPECT_TRUE(tabs->transitionView()->subviews().empty());
}

TEST_F(TabBarControllerTest, TheTransitionViewKeepsTheSelectedViewItsSize) {
  show();
  auto transition = tabs->transitionView();
  transition->setFrame(CGRectMake(0, 0, 320, 460));
  ScreenDriver::wait(0.1);
  EXPECT_EQ(news->view()->frame(), CGRectMake(0, 0, 320, 460));
}

TEST_F(TabBarControllerTest, TheAppearanceIsOfferedFromSystemFiveOn) {
  ASSERT_NE(UITabBar::appearance(), nullptr);
  auto profile = UIDevice::profile();
  profile.systemVersion = "4.3";
  UIDevice::setProfile(profile);
  EXPECT_EQ(UITabBar::appearance(), nullptr);
  UIDevice::resetProfile();
  auto empty = std::make_shared<UIImage>(nullptr, 1, UIImageOrientation::Up);
  UITabBar::appearance()->setSelectionIndicatorImage(empty);
  EXPECT_EQ(UITabBar::appearance()->selectionIndicatorImage(), empty);
}

}  // namespace
