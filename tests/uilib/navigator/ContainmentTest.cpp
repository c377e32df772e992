// Controllers as the navigator sees them: super-controller, popup and opening-URL links, the
// 20-second sweeps that clear links of controllers nothing else holds, neighbours in a
// navigation stack, and navigation controllers that flip and curl (backwards on the way back)
// with the request queue suspended meanwhile.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "UIKit/UINavigationController.h"
#include "UIKit/UIView.h"
#include "UIKit/UIViewController.h"
#include "support/MainLoop.h"
#include "uilib/navigator/UIViewController+ULNavigator.h"
#include "uilib/navigator/ULNavigationController.h"
#include "uilib/navigator/ULURLMap.h"
#include "uilib/network/ULURLRequestQueue.h"

namespace {

class Screen : public UIViewController {
  NS_CLASS(Screen, UIViewController)
};
NS_CLASS_IMPLEMENTATION(Screen) {}

class ContainmentTest : public ::testing::Test {
 protected:
  void SetUp() override { MainLoop::install(); }
  void TearDown() override {
    ULControllerRegisters::globalURLMap = nullptr;
    ULURLRequestQueue::mainQueue()->setSuspended(false);
  }
};

TEST_F(ContainmentTest, APopupsLinksLastUntilASweepFindsNothingElseHoldingIt) {
  auto owner = std::make_shared<Screen>();
  auto popup = std::make_shared<Screen>();
  ULSetSuperController(popup, owner);
  ULSetPopupViewController(owner, popup);
  EXPECT_EQ(ULSuperController(*popup), owner);
  EXPECT_EQ(ULPopupViewController(*owner), popup);
  EXPECT_TRUE(ULControllerRegisters::isSweepingCommonControllers());

  // Held from outside: the sweep keeps the links.
  MainLoop::advance(20);
  EXPECT_EQ(ULSuperController(*popup), owner);
  EXPECT_EQ(ULControllerRegisters::commonControllerCount(), 2u);

  // Links never keep the linked controller alive: the sets do until the sweep.
  std::weak_ptr<Screen> weakPopup = popup;
  popup.reset();
  EXPECT_FALSE(weakPopup.expired());
  MainLoop::advance(20);
  EXPECT_TRUE(weakPopup.expired());
  EXPECT_EQ(ULControllerRegisters::commonControllerCount(), 1u);
  EXPECT_FALSE(ULPopupViewController(*owner));  // the popup is gone

  owner.reset();
  MainLoop::advance(20);
  EXPECT_EQ(ULControllerRegisters::commonControllerCount(), 0u);
  EXPECT_FALSE(ULControllerRegisters::isSweepingCommonControllers());

  // A new controller (perhaps at a dead one's address) starts with no links.
  auto fresh = std::make_shared<Screen>();
  EXPECT_FALSE(ULSuperController(*fresh));
}

TEST_F(ContainmentTest, ControllersAreKeptApartByIdentity) {
  auto a = std::make_shared<Screen>();
  auto b = std::make_shared<Screen>();
  auto parentA = std::make_shared<Screen>();
  auto parentB = std::make_shared<Screen>();
  ULSetSuperController(a, parentA);
  ULSetSuperController(b, parentB);
  EXPECT_EQ(ULSuperController(*a), parentA);
  EXPECT_EQ(ULSuperController(*b), parentB);
  ULSetSuperController(a, nullptr);
  EXPECT_FALSE(ULSuperController(*a));
  EXPECT_EQ(ULSuperController(*b), parentB);
}

TEST_F(ContainmentTest, TheSweepForgetsTheURLAndItsStoredObject) {
  ULURLMap map;
  ULControllerRegisters::globalURLMap = &map;
  auto screen = std::make_shared<Screen>();
  map.setObject(screen, "app://screen");
  ULSetOriginalNavigatorURL(screen, "app://screen");
  EXPECT_EQ(ULOriginalNavigatorURL(*screen), "app://screen");

  MainLoop::advance(20);
  EXPECT_EQ(ULOriginalNavigatorURL(*screen), "app://screen");

  std::weak_ptr<Screen> weak = screen;
  screen.reset();
  MainLoop::advance(20);
  EXPECT_TRUE(weak.expired());
  EXPECT_EQ(ULControllerRegisters::navigatorControllerCount(), 0u);
  EXPECT_FALSE(ULControllerRegisters::isSweepingNavigatorControllers());
  EXPECT_TRUE(map.objectForURL("app://screen").isNil());
}

TEST_F(ContainmentTest, NeighboursInANavigationStack) {
  auto first = std::make_shared<Screen>();
  auto second = std::make_shared<Screen>();
  auto navigation = std::make_shared<ULNavigationController>(first);
  navigation->pushViewController(second, false);
  EXPECT_FALSE(ULPreviousViewController(*first));
  EXPECT_EQ(ULPreviousViewController(*second), first);
  EXPECT_EQ(ULNextViewController(*first), second);
  EXPECT_FALSE(ULNextViewController(*second));
  EXPECT_EQ(ULSuperController(*second), navigation);
  Screen alone;
  EXPECT_FALSE(ULPreviousViewController(alone));
}

TEST_F(ContainmentTest, ANavigationControllerContainsItsStack) {
  auto root = std::make_shared<Screen>();
  auto navigation = std::make_shared<ULNavigationController>(root);
  EXPECT_TRUE(ULCanContainControllers(*navigation));
  EXPECT_FALSE(ULCanContainControllers(*root));
  EXPECT_FALSE(ULTopSubcontroller(*root));

  // A plain controller hands the push to its navigation controller.
  auto second = std::make_shared<Screen>();
  ULAddSubcontroller(*root, second, false, 0);
  auto third = std::make_shared<Screen>();
  ULAddSubcontroller(*navigation, third, false, 0);
  EXPECT_EQ(ULTopSubcontroller(*navigation), third);

  struct Key {
    std::shared_ptr<Screen> controller;
    const char* key;
  } keys[] = {{root, "0"}, {second, "1"}, {third, "2"}, {std::make_shared<Screen>(), ""}};
  for (const Key& k : keys) {
    EXPECT_EQ(ULKeyForSubcontroller(*navigation, *k.controller), k.key);
    if (*k.key) {
      EXPECT_EQ(ULSubcontrollerForKey(*navigation, k.key), k.controller);
    }
  }
  EXPECT_FALSE(ULSubcontrollerForKey(*navigation, "3"));
  EXPECT_FALSE(ULSubcontrollerForKey(*navigation, "-1"));
  EXPECT_FALSE(ULSubcontrollerForKey(*navigation, ""));
  EXPECT_EQ(ULKeyForSubcontroller(*root, *second), "");

  ULBringControllerToFront(*navigation, second, false);
  EXPECT_EQ(ULTopSubcontroller(*navigation), second);
  ULBringControllerToFront(*navigation, third, false);  // no longer in the stack
  EXPECT_EQ(ULTopSubcontroller(*navigation), second);

  ULRemoveFromSupercontroller(*second, false);
  EXPECT_EQ(ULTopSubcontroller(*navigation), root);

  // Animated with a transition, the push flips.
  ULAddSubcontroller(*navigation, third, true, 2);
  EXPECT_EQ(ULTopSubcontroller(*navigation), third);
  ASSERT_EQ(UIView::runningAnimations().size(), 1u);
  EXPECT_EQ(UIView::runningAnimations()[0].transition, UIViewAnimationTransition::FlipFromRight);
  MainLoop::advance(1);
}

TEST_F(ContainmentTest, TransitionsInvert) {
  struct Case {
    int transition, inverted;
  } cases[] = {{0, 0}, {1, 2}, {2, 1}, {3, 4}, {4, 3}, {5, 0}, {-1, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(ULBaseNavigationController::invertTransition(c.transition), c.inverted)
        << c.transition;
}

TEST_F(ContainmentTest, APushWithATransitionSuspendsTheQueueUntilTheAnimationEnds) {
  auto navigation = std::make_shared<ULNavigationController>(std::make_shared<Screen>());
  auto pushed = std::make_shared<Screen>();
  navigation->pushViewControllerAnimatedWithTransition(pushed, 1);
  EXPECT_EQ(navigation->topViewController(), pushed);
  ASSERT_EQ(UIView::runningAnimations().size(), 1u);
  EXPECT_EQ(UIView::runningAnimations()[0].transition, UIViewAnimationTransition::FlipFromLeft);
  EXPECT_DOUBLE_EQ(UIView::runningAnimations()[0].duration, 0.7);
  EXPECT_TRUE(ULURLRequestQueue::mainQueue()->suspended());

  MainLoop::advance(0.7);
  EXPECT_TRUE(UIView::runningAnimations().empty());
  EXPECT_FALSE(ULURLRequestQueue::mainQueue()->suspended());
}

TEST_F(ContainmentTest, AnAnimatedPopPlaysThePatternsTransitionBackwards) {
  ULURLMap map;
  map.fromToViewController("app://curl", &Screen::classObject(), {}, 3);
  map.fromToViewController("app://plain", &Screen::classObject());
  ULControllerRegisters::globalURLMap = &map;

  auto navigation = std::make_shared<ULNavigationController>(std::make_shared<Screen>());
  auto curled = std::make_shared<Screen>();
  ULSetOriginalNavigatorURL(curled, "app://curl");
  navigation->pushViewController(curled, false);
  EXPECT_EQ(navigation->popViewControllerAnimated(true), curled);
  ASSERT_EQ(UIView::runningAnimations().size(), 1u);
  EXPECT_EQ(UIView::runningAnimations()[0].transition, UIViewAnimationTransition::CurlDown);
  MainLoop::advance(1);

  // A pattern without a transition keeps the platform's pop.
  auto plain = std::make_shared<Screen>();
  ULSetOriginalNavigatorURL(plain, "app://plain");
  navigation->pushViewController(plain, false);
  EXPECT_EQ(navigation->popViewControllerAnimated(true), plain);
  for (const auto& animation : UIView::runningAnimations())
    EXPECT_EQ(animation.transition, UIViewAnimationTransition::None);
  MainLoop::advance(1);
  EXPECT_FALSE(ULURLRequestQueue::mainQueue()->suspended());
}

}  // namespace
