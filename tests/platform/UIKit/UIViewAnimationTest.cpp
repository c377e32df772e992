#include <gtest/gtest.h>

#include "UIKit/UIApplication.h"
#include "UIKit/UIView.h"
#include "UIKit/UIWindow.h"
#include "UIKitTestSupport.h"

namespace {

using UIViewAnimationTest = UIKitTest;

class StopListener : public NSObject {
 public:
  void didStop(const Value& animationID) {
    stops.push_back(animationID.isNil() ? std::string("(nil)") : std::string(animationID.string()));
  }
  std::vector<std::string> stops;
};

TEST_F(UIViewAnimationTest, BlockAnimationSetsEndValuesAtOnceAndCompletesOnTheClock) {
  auto view = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
  std::vector<bool> finished;
  UIView::animateWithDuration(
      0.3, [&] { view->setAlpha(0); }, [&](bool f) { finished.push_back(f); });
  EXPECT_EQ(view->alpha(), 0);
  MainLoop::advance(0.29);
  EXPECT_TRUE(finished.empty());
  MainLoop::advance(0.02);
  EXPECT_EQ(finished, std::vector<bool>{true});

  // The delay comes first.
  finished.clear();
  UIView::animateWithDuration(
      0.2, 0.5, UIViewAnimationOptionCurveLinear, [&] { view->setAlpha(1); },
      [&](bool f) { finished.push_back(f); });
  ASSERT_EQ(UIView::runningAnimations().size(), 1u);
  UIViewAnimationRecord r = UIView::runningAnimations()[0];
  EXPECT_EQ(r.curve, UIViewAnimationCurve::Linear);
  EXPECT_NEAR(r.endTime - r.commitTime, 0.7, 1e-6);
  MainLoop::advance(0.69);
  EXPECT_TRUE(finished.empty());
  MainLoop::advance(0.02);
  EXPECT_EQ(finished.size(), 1u);
  EXPECT_TRUE(UIView::runningAnimations().empty());
}

TEST_F(UIViewAnimationTest, NamedAnimationReportsItsNameToTheDidStopSelector) {
  auto listener = std::make_shared<StopListener>();
  auto splash = std::make_shared<UIView>(CGRectMake(0, 20, 320, 460));
  UIView::beginAnimations("rawReadAnimation");
  UIView::setAnimationDuration(0.85);
  UIView::setAnimationCurve(UIViewAnimationCurve::EaseInOut);
  UIView::setAnimationDelegate(listener);
  UIView::setAnimationDidStopSelector(
      selector(listener, &StopListener::didStop, "animationDidStop:finished:context:"));
  splash->setFrame(CGRectMake(-320, 20, 320, 460));
  UIView::commitAnimations();
  EXPECT_EQ(splash->frame().origin.x, -320);

  auto running = UIView::runningAnimations();
  ASSERT_EQ(running.size(), 1u);
  EXPECT_EQ(running[0].animationID, "rawReadAnimation");
  EXPECT_DOUBLE_EQ(running[0].duration, 0.85);

  MainLoop::advance(0.84);
  EXPECT_TRUE(listener->stops.empty());
  MainLoop::advance(0.02);
  EXPECT_EQ(listener->stops, std::vector<std::string>{"rawReadAnimation"});

  // Unnamed, with the default duration of 0.2 s.
  UIView::beginAnimations();
  UIView::setAnimationDidStopSelector(selector(listener, &StopListener::didStop, "stop:"));
  UIView::commitAnimations();
  MainLoop::advance(0.21);
  EXPECT_EQ(listener->stops.back(), "(nil)");
}

TEST_F(UIViewAnimationTest, NestedBlocksEndSeparatelyAndSettersOutsideBlocksAreIgnored) {
  auto listener = std::make_shared<StopListener>();
  UIView::setAnimationDuration(5);  // no open block: ignored
  UIView::beginAnimations("outer");
  UIView::setAnimationDuration(1.0);
  UIView::setAnimationDidStopSelector(selector(listener, &StopListener::didStop, "s:"));
  UIView::beginAnimations("inner");
  UIView::setAnimationDuration(0.3);
  UIView::setAnimationDelay(0.1);
  UIView::setAnimationDidStopSelector(selector(listener, &StopListener::didStop, "s:"));
  UIView::commitAnimations();
  UIView::commitAnimations();
  UIView::commitAnimations();  // unbalanced: ignored
  MainLoop::advance(0.41);
  EXPECT_EQ(listener->stops, std::vector<std::string>{"inner"});
  MainLoop::advance(0.6);
  EXPECT_EQ(listener->stops, (std::vector<std::string>{"inner", "outer"}));
}

TEST_F(UIViewAnimationTest, AGoneDelegateIsNotCalled) {
  auto listener = std::make_shared<StopListener>();
  auto other = std::make_shared<StopListener>();
  UIView::beginAnimations("a");
  UIView::setAnimationDelegate(other);
  UIView::setAnimationDidStopSelector(selector(listener, &StopListener::didStop, "s:"));
  UIView::commitAnimations();
  other.reset();
  MainLoop::advance(1);
  EXPECT_TRUE(listener->stops.empty());

  // Nor a gone selector target.
  UIView::beginAnimations("b");
  UIView::setAnimationDidStopSelector(selector(listener, &StopListener::didStop, "s:"));
  UIView::commitAnimations();
  std::weak_ptr<StopListener> weak = listener;
  listener.reset();
  MainLoop::advance(1);
  EXPECT_TRUE(weak.expired());
}

TEST_F(UIViewAnimationTest, WithAnimationsOffBlocksEndOnTheNextPass) {
  UIView::setAnimationsEnabled(false);
  EXPECT_FALSE(UIView::areAnimationsEnabled());
  int completions = 0;
  UIView::animateWithDuration(
      10, [] {}, [&](bool) { ++completions; });
  EXPECT_EQ(completions, 0);  // never inside the call
  MainLoop::pump();
  EXPECT_EQ(completions, 1);
  UIView::setAnimationsEnabled(true);
}

TEST_F(UIViewAnimationTest, ShrinkingTheWindowThenEndingTheProcess) {
  std::vector<int> exits;
  auto savedHook = UIApplication::terminateHook;
  UIApplication::terminateHook = [&](int status) { exits.push_back(status); };
  auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
  window->makeKeyAndVisible();

  UIView::animateWithDuration(
      1.0,
      [&] { window->setTransform(CGAffineTransformScale(CGAffineTransformIdentity, 0.01, 0.01)); },
      [](bool) { UIApplication::exitProcess(0); });
  EXPECT_NEAR(window->frame().size.width, 3.2, 1e-9);
  MainLoop::advance(0.99);
  EXPECT_TRUE(exits.empty());
  MainLoop::advance(0.02);
  EXPECT_EQ(exits, std::vector<int>{0});
  UIApplication::terminateHook = savedHook;
}

}  // namespace
