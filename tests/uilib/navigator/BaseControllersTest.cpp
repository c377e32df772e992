// The library's base screens in a navigation controller on a shown window: bar and status-bar
// styling on appearance (left alone under a popup), keyboard notifications turned into hooks,
// state frozen by a memory warning only while hidden, the request queue held while a screen
// appears, the built-in view, and the links these screens clear themselves.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Foundation/NSClass.h"
#include "Foundation/NSNotificationCenter.h"
#include "UIKit/NSValue+UIGeometry.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIKeyboard.h"
#include "UIKit/UINavigationBar.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"
#include "support/MainLoop.h"
#include "uilib/navigator/ULBaseViewController.h"
#include "uilib/navigator/ULNavigator.h"
#include "uilib/network/ULURLRequestQueue.h"

namespace {

class KeyboardScreen : public ULViewController {
  NS_CLASS(KeyboardScreen, ULViewController)
 public:
  void keyboardWillAppear(bool animated, CGRect bounds) override {
    calls.push_back(std::string("willAppear ") + (animated ? "animated " : "still ") +
                    std::to_string(int(bounds.size.height)));
  }
  void keyboardDidDisappear(bool animated, CGRect) override {
    calls.push_back(std::string("didDisappear ") + (animated ? "animated" : "still"));
  }
  void keyboardDidAppear(bool, CGRect) override { calls.push_back("didAppear"); }
  void keyboardWillDisappear(bool, CGRect) override { calls.push_back("willDisappear"); }
  bool persistView(const ValueDictionary& state) override {
    state->setObject(Value("page 3"), "position");
    return true;
  }
  std::vector<std::string> calls;
};
NS_CLASS_IMPLEMENTATION(KeyboardScreen) {}

class BaseControllersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    UIApplicationDriver::reset();
    ULBaseNavigator::setGlobalNavigator(nullptr);
    screen = std::make_shared<KeyboardScreen>();
    stack = std::make_shared<UINavigationController>(screen);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
  }
  void TearDown() override { ULURLRequestQueue::mainQueue()->setSuspended(false); }

  void show() {
    window->setRootViewController(stack);
    window->makeKeyAndVisible();
    MainLoop::advance(1);
  }

  void postKeyboard(std::string_view name, double beginY, double endY) {
    auto info = makeDictionary(
        {{std::string(UIKeyboardBoundsUserInfoKey), valueWithCGRect(CGRectMake(0, 0, 320, 216))},
         {std::string(UIKeyboardCenterBeginUserInfoKey),
          valueWithCGPoint(CGPointMake(160, beginY))},
         {std::string(UIKeyboardCenterEndUserInfoKey), valueWithCGPoint(CGPointMake(160, endY))}});
    NSNotificationCenter::defaultCenter()->postNotificationName(name, Value(), Value(info));
  }

  std::shared_ptr<KeyboardScreen> screen;
  std::shared_ptr<UINavigationController> stack;
  std::shared_ptr<UIWindow> window;
};

TEST_F(BaseControllersTest, KeyboardNotificationsBecomeHooksWhileObserved) {
  show();
  postKeyboard(UIKeyboardWillShowNotification, 588, 372);
  EXPECT_TRUE(screen->calls.empty());  // not observed yet

  screen->setAutoresizesForKeyboard(true);
  struct Case {
    std::string_view name;
    double beginY, endY;
    const char* call;
  } cases[] = {
      {UIKeyboardWillShowNotification, 588, 372, "willAppear animated 216"},
      {UIKeyboardWillShowNotification, 372, 372, "willAppear still 216"},
      {UIKeyboardDidShowNotification, 588, 372, "didAppear"},
      {UIKeyboardWillHideNotification, 372, 588, "willDisappear"},
      {UIKeyboardDidHideNotification, 372, 588, "didDisappear animated"},
  };
  for (const Case& c : cases) {
    screen->calls.clear();
    postKeyboard(c.name, c.beginY, c.endY);
    MainLoop::advance(1);
    EXPECT_EQ(screen->calls, std::vector<std::string>{c.call}) << c.name;
  }

  // Covered by another screen: the appearing hooks stay quiet.
  stack->pushViewController(std::make_shared<UIViewController>(), false);
  MainLoop::advance(1);
  screen->calls.clear();
  postKeyboard(UIKeyboardWillShowNotification, 588, 372);
  EXPECT_TRUE(screen->calls.empty());

  screen->setAutoresizesForKeyboard(false);
  postKeyboard(UIKeyboardDidShowNotification, 588, 372);
  EXPECT_TRUE(screen->calls.empty());
}

TEST_F(BaseControllersTest, AMemoryWarningFreezesTheStateOfAHiddenScreenOnly) {
  UIApplicationDriver::launch(std::make_shared<UIApplicationDelegate>());
  show();
  UIApplicationDriver::receiveMemoryWarning();
  EXPECT_EQ(screen->frozenState(), nullptr);
  EXPECT_TRUE(screen->hasViewAppeared());

  stack->pushViewController(std::make_shared<UIViewController>(), false);
  MainLoop::advance(1);
  EXPECT_FALSE(screen->isViewAppearing());
  UIApplicationDriver::receiveMemoryWarning();
  ASSERT_NE(screen->frozenState(), nullptr);
  EXPECT_EQ(screen->frozenState()->objectForKey("position"), Value("page 3"));
  EXPECT_FALSE(screen->hasViewAppeared());
}

TEST_F(BaseControllersTest, AppearingStylesTheBarsUnlessAPopupIsShown) {
  auto tint = UIColor::colorWithRed(0.5, 0.1, 0.1, 1);
  screen->setNavigationBarTintColor(tint);
  screen->setNavigationBarStyle(1);
  screen->setStatusBarStyle(2);
  show();
  EXPECT_EQ(stack->navigationBar()->tintColor(), tint);
  EXPECT_EQ(stack->navigationBar()->barStyle(), 1);
  EXPECT_EQ(UIApplication::sharedApplication()->statusBarStyle(), 2);

  // Under a popup the bars stay as they are.
  auto other = std::make_shared<KeyboardScreen>();
  auto popup = std::make_shared<UIViewController>();
  ULSetPopupViewController(other, popup);
  other->setNavigationBarStyle(0);
  other->setStatusBarStyle(0);
  stack->pushViewController(other, false);
  MainLoop::advance(1);
  EXPECT_TRUE(other->isViewAppearing());
  EXPECT_EQ(stack->navigationBar()->barStyle(), 1);
  EXPECT_EQ(UIApplication::sharedApplication()->statusBarStyle(), 2);
}

TEST_F(BaseControllersTest, TheRequestQueueHoldsWhileAScreenAppears) {
  show();
  EXPECT_FALSE(ULURLRequestQueue::mainQueue()->suspended());
  auto next = std::make_shared<KeyboardScreen>();
  stack->pushViewController(next, true);
  EXPECT_TRUE(ULURLRequestQueue::mainQueue()->suspended());
  MainLoop::advance(1);
  EXPECT_FALSE(ULURLRequestQueue::mainQueue()->suspended());

  // The view built in code: below the bar, filling the content frame, resizing with it.
  EXPECT_EQ(next->view()->frame().size, CGSizeMake(320, 416));
  EXPECT_EQ(next->view()->autoresizingMask(),
            UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  auto full = std::make_shared<KeyboardScreen>();
  full->setWantsFullScreenLayout(true);
  EXPECT_EQ(full->view()->frame(), CGRectMake(0, 0, 320, 480));
}

TEST_F(BaseControllersTest, LibraryScreensClearTheirOwnLinksWhenTheyGo) {
  ULURLMap map;
  ULControllerRegisters::globalURLMap = &map;
  auto owner = std::make_shared<KeyboardScreen>();
  auto opened = std::make_shared<KeyboardScreen>();
  map.setObject(opened, "zept-demo://opened");
  ULSetOriginalNavigatorURL(opened, "zept-demo://opened");
  ULSetSuperController(opened, owner);
  // Not held by the registers' sets: nothing to sweep.
  EXPECT_EQ(ULControllerRegisters::navigatorControllerCount(), 0u);
  EXPECT_EQ(ULControllerRegisters::commonControllerCount(), 0u);
  EXPECT_EQ(map.objectForURL("zept-demo://opened").object(), opened);

  opened.reset();
  EXPECT_TRUE(map.objectForURL("zept-demo://opened").isNil());
  // A new screen, perhaps at the same address, starts with no links.
  auto fresh = std::make_shared<KeyboardScreen>();
  EXPECT_EQ(ULOriginalNavigatorURL(*fresh), "");
  EXPECT_EQ(ULSuperController(*fresh), nullptr);
  ULControllerRegisters::globalURLMap = nullptr;
}

}  // namespace
