#include <gtest/gtest.h>

#include "UIKit/UINavigationController.h"
#include "UIKit/UIWindow.h"
#include "UIKitTestSupport.h"

namespace {

class NavigationTest : public UIKitTest {
 protected:
  std::shared_ptr<LoggingController> make(std::string name) {
    return std::make_shared<LoggingController>(std::move(name), log);
  }
  // A key window showing a navigation controller whose root is "home"; the log starts empty.
  void showNavigation() {
    home = make("home");
    nav = std::make_shared<UINavigationController>(home);
    window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    window->setRootViewController(nav);
    window->makeKeyAndVisible();
    log->clear();
  }
  Log take() {
    Log out = *log;
    log->clear();
    return out;
  }

  std::shared_ptr<Log> log = std::make_shared<Log>();
  std::shared_ptr<LoggingController> home;
  std::shared_ptr<UINavigationController> nav;
  std::shared_ptr<UIWindow> window;
};

TEST_F(NavigationTest, TheRootAppearsWhenTheWindowIsShown) {
  home = make("home");
  nav = std::make_shared<UINavigationController>(home);
  EXPECT_FALSE(home->isViewLoaded());
  EXPECT_EQ(home->navigationController(), nav);
  window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
  window->setRootViewController(nav);
  EXPECT_EQ(take(), Log{"home.viewDidLoad"});  // loaded, but the window is still hidden
  window->makeKeyAndVisible();
  EXPECT_EQ(take(), (Log{"home.viewWillAppear", "home.viewDidAppear"}));
  EXPECT_TRUE(window->isKeyWindow());
  EXPECT_EQ(UIApplication::sharedApplication()->keyWindow(), window);

  // The navigation view fills the window below the status bar; the top view sits below the bar.
  EXPECT_EQ(nav->view()->frame(), CGRectMake(0, 20, 320, 460));
  EXPECT_EQ(home->view()->frame(), CGRectMake(0, 44, 320, 416));
  EXPECT_EQ(window->dump(),
            "UIWindow frame=(0 0; 320 480)\n"
            "  UILayoutContainerView frame=(0 20; 320 460)\n"
            "    UIView frame=(0 44; 320 416)\n"
            "    UINavigationBar frame=(0 0; 320 44)\n"
            "    UIToolbar frame=(0 416; 320 44) hidden\n");

  nav->setNavigationBarHidden(true, false);
  EXPECT_EQ(home->view()->frame(), CGRectMake(0, 0, 320, 460));
  EXPECT_TRUE(nav->navigationBar()->isHidden());
}

TEST_F(NavigationTest, AnimatedPushCallsTheDidMethodsWhenTheTransitionEnds) {
  showNavigation();
  auto detail = make("detail");
  nav->pushViewController(detail, true);
  EXPECT_EQ(take(), (Log{"detail.viewDidLoad", "home.viewWillDisappear(animated)",
                         "detail.viewWillAppear(animated)"}));
  // The views have swapped already.
  EXPECT_EQ(home->view()->window(), nullptr);
  EXPECT_EQ(detail->view()->window(), window);
  EXPECT_EQ(detail->view()->frame(), CGRectMake(0, 44, 320, 416));
  EXPECT_EQ(nav->topViewController(), detail);
  EXPECT_EQ(detail->navigationController(), nav);
  EXPECT_EQ(detail->parentViewController(), nav);

  MainLoop::advance(UIViewController::kTransitionDuration - 0.01);
  EXPECT_TRUE(take().empty());
  MainLoop::advance(0.02);
  EXPECT_EQ(take(), (Log{"home.viewDidDisappear(animated)", "detail.viewDidAppear(animated)"}));
}

TEST_F(NavigationTest, PopTakesTheTopOffAndTheRootStays) {
  showNavigation();
  auto detail = make("detail");
  nav->pushViewController(detail, false);
  take();

  auto popped = nav->popViewControllerAnimated(false);
  EXPECT_EQ(popped, detail);
  EXPECT_EQ(take(), (Log{"detail.viewWillDisappear", "home.viewWillAppear",
                         "detail.viewDidDisappear", "home.viewDidAppear"}));
  EXPECT_EQ(detail->navigationController(), nullptr);
  EXPECT_EQ(detail->view()->superview(), nullptr);
  EXPECT_EQ(home->view()->window(), window);
  EXPECT_EQ(nav->viewControllers().size(), 1u);

  EXPECT_EQ(nav->popViewControllerAnimated(true), nullptr);
  EXPECT_TRUE(nav->popToRootViewControllerAnimated(true).empty());
  EXPECT_TRUE(take().empty());
}

TEST_F(NavigationTest, PopToRootSkipsTheControllersInBetween) {
  showNavigation();
  auto a = make("a"), b = make("b"), c = make("c");
  nav->pushViewController(a, false);
  nav->pushViewController(b, false);
  nav->pushViewController(c, false);
  take();
  auto popped = nav->popToRootViewControllerAnimated(true);
  ASSERT_EQ(popped.size(), 3u);
  EXPECT_EQ(popped[0], a);
  EXPECT_EQ(popped[2], c);
  MainLoop::advance(1);
  EXPECT_EQ(take(), (Log{"c.viewWillDisappear(animated)", "home.viewWillAppear(animated)",
                         "c.viewDidDisappear(animated)", "home.viewDidAppear(animated)"}));
  for (auto& p : popped) EXPECT_EQ(p->navigationController(), nullptr);

  // popToViewController with a controller not on the stack does nothing.
  EXPECT_TRUE(nav->popToViewController(a, false).empty());
}

TEST_F(NavigationTest, ANewTransitionFinishesTheOneStillRunning) {
  showNavigation();
  auto a = make("a"), b = make("b");
  nav->pushViewController(a, true);
  nav->pushViewController(b, true);
  EXPECT_EQ(take(),
            (Log{"a.viewDidLoad", "home.viewWillDisappear(animated)", "a.viewWillAppear(animated)",
                 "home.viewDidDisappear(animated)", "a.viewDidAppear(animated)", "b.viewDidLoad",
                 "a.viewWillDisappear(animated)", "b.viewWillAppear(animated)"}));
  MainLoop::advance(1);
  EXPECT_EQ(take(), (Log{"a.viewDidDisappear(animated)", "b.viewDidAppear(animated)"}));
}

TEST_F(NavigationTest, OffScreenChangesWaitForTheNextAppearance) {
  home = make("home");
  nav = std::make_shared<UINavigationController>(home);
  auto detail = make("detail");
  nav->pushViewController(detail, true);
  nav->pushViewController(detail, true);  // twice: ignored
  nav->pushViewController(nav, true);     // itself: ignored
  EXPECT_TRUE(take().empty());
  EXPECT_EQ(nav->viewControllers().size(), 2u);

  window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
  window->setRootViewController(nav);
  window->makeKeyAndVisible();
  // Only the top is loaded and appears.
  EXPECT_EQ(take(), (Log{"detail.viewDidLoad", "detail.viewWillAppear", "detail.viewDidAppear"}));
  EXPECT_FALSE(home->isViewLoaded());

  auto other = std::make_shared<UINavigationController>(make("x"));
  other->pushViewController(detail, false);  // already on a stack: ignored
  EXPECT_EQ(other->viewControllers().size(), 1u);
}

TEST_F(NavigationTest, ModalPresentationCoversTheNavigationAndGoesAway) {
  showNavigation();
  auto web = make("web");
  home->presentModalViewController(web, true);
  EXPECT_EQ(take(), (Log{"web.viewDidLoad", "home.viewWillDisappear(animated)",
                         "web.viewWillAppear(animated)"}));
  EXPECT_EQ(home->modalViewController(), web);
  EXPECT_EQ(web->presentingViewController(), home);
  EXPECT_EQ(web->parentViewController(), home);
  EXPECT_EQ(web->view()->superview(), window);
  EXPECT_EQ(web->view()->frame(), CGRectMake(0, 20, 320, 460));
  EXPECT_EQ(window->subviews().back(), web->view());
  EXPECT_EQ(nav->visibleViewController(), web);
  MainLoop::advance(1);
  EXPECT_EQ(take(), (Log{"home.viewDidDisappear(animated)", "web.viewDidAppear(animated)"}));

  home->presentModalViewController(make("second"), false);  // already presenting: ignored
  EXPECT_TRUE(take().empty());

  // Sent to the presented controller, dismissal goes to its presenter.
  web->dismissModalViewControllerAnimated(false);
  EXPECT_EQ(take(), (Log{"web.viewWillDisappear", "home.viewWillAppear", "web.viewDidDisappear",
                         "home.viewDidAppear"}));
  EXPECT_EQ(home->modalViewController(), nullptr);
  EXPECT_EQ(web->presentingViewController(), nullptr);
  EXPECT_EQ(web->view()->superview(), nullptr);
}

TEST_F(NavigationTest, DismissingTakesAwayEverythingPresentedAbove) {
  showNavigation();
  auto first = make("first"), second = make("second");
  home->presentModalViewController(first, false);
  first->presentModalViewController(second, false);
  take();
  home->dismissModalViewControllerAnimated(false);
  EXPECT_EQ(take(), (Log{"second.viewWillDisappear", "home.viewWillAppear",
                         "second.viewDidDisappear", "home.viewDidAppear"}));
  EXPECT_EQ(first->view()->superview(), nullptr);
  EXPECT_EQ(second->view()->superview(), nullptr);
  EXPECT_EQ(window->subviews().size(), 1u);
}

TEST_F(NavigationTest, MemoryWarningsReachLoadedControllers) {
  UIApplicationDriver::launch(std::make_shared<UIApplicationDelegate>());
  showNavigation();
  auto unloaded = make("unloaded");
  UIApplicationDriver::receiveMemoryWarning();
  EXPECT_EQ(take(), Log{"home.didReceiveMemoryWarning"});
}

TEST_F(NavigationTest, ControllersGoAwayWithTheirContainer) {
  std::weak_ptr<LoggingController> weakHome, weakDetail;
  {
    showNavigation();
    auto detail = make("detail");
    nav->pushViewController(detail, true);  // a transition still pending
    weakHome = home;
    weakDetail = detail;
    window->setRootViewController(nullptr);
    window.reset();
    nav.reset();
    home.reset();
  }
  EXPECT_TRUE(weakHome.expired());
  EXPECT_TRUE(weakDetail.expired());
  MainLoop::advance(1);  // the transition's timer finds nothing
}

}  // namespace

namespace {

TEST_F(NavigationTest, EachNewScreenIsToldOnceItsTransitionHasEnded) {
  Log shown;
  UIViewController::setScreenShownObserver(
      [&](const std::shared_ptr<UIViewController>& screen, UIScreenChange change) {
        static const char* const kChanges[] = {"root", "push", "pop", "present", "dismiss"};
        auto c = std::dynamic_pointer_cast<LoggingController>(screen);
        shown.push_back(std::string(kChanges[int(change)]) + " " +
                        (c ? c->name() : screen->className()));
      });
  showNavigation();
  EXPECT_EQ(shown, Log{"root home"});

  auto detail = make("detail");
  nav->pushViewController(detail, true);
  EXPECT_EQ(shown.size(), 1u) << "not before the transition ends";
  MainLoop::advance(UIViewController::kTransitionDuration);
  EXPECT_EQ(shown.back(), "push detail");

  nav->popViewControllerAnimated(false);
  EXPECT_EQ(shown.back(), "pop home");

  auto sheet = make("sheet");
  nav->presentModalViewController(sheet, false);
  EXPECT_EQ(shown.back(), "present sheet");
  // A presented navigation controller stands for its top.
  auto inner = make("inner");
  sheet->presentModalViewController(std::make_shared<UINavigationController>(inner), true);
  MainLoop::advance(UIViewController::kTransitionDuration);
  EXPECT_EQ(shown.back(), "present inner");
  nav->dismissModalViewControllerAnimated(true);
  MainLoop::advance(UIViewController::kTransitionDuration);
  EXPECT_EQ(shown.back(), "dismiss home");
  EXPECT_EQ(shown.size(), 6u);

  // Changes off screen show nothing.
  auto away = std::make_shared<UINavigationController>(make("a"));
  away->view();
  away->pushViewController(make("b"), false);
  away->popViewControllerAnimated(false);
  EXPECT_EQ(shown.size(), 6u);
  UIViewController::setScreenShownObserver(nullptr);
}

}  // namespace
