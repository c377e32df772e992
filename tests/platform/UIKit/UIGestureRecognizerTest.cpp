#include <gtest/gtest.h>

#include <cmath>

#include "UIKit/UIButton.h"
#include "UIKit/UIEventDriver.h"
#include "UIKit/UILongPressGestureRecognizer.h"
#include "UIKit/UIPanGestureRecognizer.h"
#include "UIKit/UIPinchGestureRecognizer.h"
#include "UIKit/UISwipeGestureRecognizer.h"
#include "UIKit/UITapGestureRecognizer.h"
#include "UIKitTestSupport.h"
#include "support/ui/ScreenDriver.h"

namespace {

using UIGestureRecognizerTest = UIKitTest;

const char* stateName(UIGestureRecognizerState s) {
  switch (s) {
    case UIGestureRecognizerState::Possible:
      return "possible";
    case UIGestureRecognizerState::Began:
      return "began";
    case UIGestureRecognizerState::Changed:
      return "changed";
    case UIGestureRecognizerState::Ended:
      return "ended";
    case UIGestureRecognizerState::Cancelled:
      return "cancelled";
    case UIGestureRecognizerState::Failed:
      return "failed";
  }
  return "?";
}

// A recogniser whose action logs "<name>:<state>@<time since the test began>".
template <class R>
std::shared_ptr<R> logging(const std::string& name, std::shared_ptr<Log> log) {
  double t0 = MainLoop::now();
  return std::make_shared<R>(freeSelector(name + ":", [name, log, t0](const Value& v) {
    auto r = v.object<UIGestureRecognizer>();
    char when[32];
    std::snprintf(when, sizeof when, "@%.2f", MainLoop::now() - t0);
    log->push_back(name + ":" + stateName(r->state()) + when);
  }));
}

struct Stage {
  std::shared_ptr<UIWindow> window = showWindow();
  std::shared_ptr<Log> log = std::make_shared<Log>();
  std::shared_ptr<TouchLogView> view =
      std::make_shared<TouchLogView>("view", CGRectMake(0, 0, 320, 480), log);
  Stage() { window->addSubview(view); }
};

TEST_F(UIGestureRecognizerTest, ATapIsRecognisedAtLiftAndTakesTheTouchFromTheView) {
  Stage s;
  auto tap = logging<UITapGestureRecognizer>("tap", s.log);
  s.view->addGestureRecognizer(tap);
  EXPECT_EQ(tap->view(), s.view);
  ScreenDriver::tap(CGPointMake(100, 100));
  EXPECT_EQ(*s.log, (Log{"view.began", "tap:ended@0.05", "view.cancelled"}));
  EXPECT_EQ(tap->state(), UIGestureRecognizerState::Possible);  // reset for the next one
  EXPECT_EQ(tap->locationInView(s.view), CGPointMake(100, 100));

  s.log->clear();
  tap->setCancelsTouchesInView(false);
  ScreenDriver::wait(1);
  ScreenDriver::tap(CGPointMake(100, 100));
  EXPECT_EQ(*s.log, (Log{"view.began", "tap:ended@1.10", "view.ended"}));

  s.log->clear();
  ScreenDriver::drag(CGPointMake(100, 100), CGPointMake(100, 130));  // moved too far
  EXPECT_EQ(*s.log, (Log{"view.began", "view.moved", "view.moved", "view.moved", "view.moved",
                         "view.moved", "view.moved", "view.moved", "view.moved", "view.moved",
                         "view.moved", "view.moved", "view.moved", "view.moved", "view.moved",
                         "view.moved", "view.moved", "view.moved", "view.moved", "view.ended"}));
}

TEST_F(UIGestureRecognizerTest, ASingleTapWaitsForTheDoubleTapToFail) {
  Stage s;
  auto single = logging<UITapGestureRecognizer>("single", s.log);
  auto twice = logging<UITapGestureRecognizer>("double", s.log);
  twice->setNumberOfTapsRequired(2);
  single->requireGestureRecognizerToFail(twice);
  s.view->addGestureRecognizer(single);
  s.view->addGestureRecognizer(twice);

  ScreenDriver::tap(CGPointMake(100, 100));
  EXPECT_EQ(*s.log, Log{"view.began"});  // the end waits with the undecided double tap
  ScreenDriver::wait(0.5);
  // The double tap gives up 0.35 s after the lift; the single tap then takes the touch.
  EXPECT_EQ(*s.log, (Log{"view.began", "single:ended@0.40", "view.cancelled"}));

  // Two taps: the double tap takes both touches, the single tap fails.
  s.log->clear();
  ScreenDriver::wait(1);  // at 1.55
  ScreenDriver::tap(CGPointMake(100, 100), 2);
  ScreenDriver::wait(1);
  EXPECT_EQ(*s.log, (Log{"view.began", "view.began", "double:ended@1.75", "view.cancelled"}));
}

TEST_F(UIGestureRecognizerTest, ALongPressBeginsOnceWhenItsTimeIsUpAndStopsTheTap) {
  Stage s;
  auto press = logging<UILongPressGestureRecognizer>("press", s.log);
  auto tap = logging<UITapGestureRecognizer>("tap", s.log);
  s.view->addGestureRecognizer(press);
  s.view->addGestureRecognizer(tap);
  UIEventDriver::touchDown({100, 100});
  ScreenDriver::wait(0.49);
  EXPECT_EQ(*s.log, Log{"view.began"});
  ScreenDriver::wait(0.02);
  UIEventDriver::touchMove({100, 150});
  UIEventDriver::touchUp({100, 150});
  EXPECT_EQ(*s.log, (Log{"view.began", "press:began@0.50", "view.cancelled", "press:changed@0.51",
                         "press:ended@0.51"}));
  // Lifting early, or moving away first, is no long press.
  s.log->clear();
  ScreenDriver::longPress(CGPointMake(100, 100), 0.3);
  ScreenDriver::wait(1);
  ScreenDriver::drag(CGPointMake(100, 100), CGPointMake(100, 200), 1.0);
  for (const auto& line : *s.log) EXPECT_EQ(line.find("press:"), std::string::npos) << line;
}

TEST_F(UIGestureRecognizerTest, SwipesAreRecognisedInTheirDirectionsOnly) {
  struct Case {
    UISwipeGestureRecognizerDirection allowed;
    UISwipeGestureRecognizerDirection swiped;
    CGFloat distance;
    double duration;
    bool recognised;
  };
  const std::vector<Case> cases = {
      {UISwipeGestureRecognizerDirectionRight, UISwipeGestureRecognizerDirectionRight, 100, 0.15,
       true},
      {UISwipeGestureRecognizerDirectionRight, UISwipeGestureRecognizerDirectionLeft, 100, 0.15,
       false},
      {UISwipeGestureRecognizerDirectionLeft | UISwipeGestureRecognizerDirectionRight,
       UISwipeGestureRecognizerDirectionLeft, 100, 0.15, true},
      {UISwipeGestureRecognizerDirectionUp, UISwipeGestureRecognizerDirectionUp, 100, 0.15, true},
      {UISwipeGestureRecognizerDirectionDown, UISwipeGestureRecognizerDirectionUp, 100, 0.15,
       false},
      {UISwipeGestureRecognizerDirectionRight, UISwipeGestureRecognizerDirectionRight, 30, 0.15,
       false},  // too short
      {UISwipeGestureRecognizerDirectionRight, UISwipeGestureRecognizerDirectionRight, 100, 1.5,
       false},  // too slow
  };
  for (const auto& c : cases) {
    UIApplicationDriver::reset();
    Stage s;
    auto swipe = logging<UISwipeGestureRecognizer>("swipe", s.log);
    swipe->setDirection(c.allowed);
    s.view->addGestureRecognizer(swipe);
    ScreenDriver::swipe(CGPointMake(160, 240), c.swiped, c.distance, c.duration);
    bool seen = std::count_if(s.log->begin(), s.log->end(),
                              [](const auto& l) { return l.rfind("swipe:ended", 0) == 0; }) == 1;
    EXPECT_EQ(seen, c.recognised) << c.allowed << " " << c.swiped << " " << c.distance;
  }
}

TEST_F(UIGestureRecognizerTest, APanReportsItsTranslationAndVelocity) {
  Stage s;
  std::vector<std::tuple<UIGestureRecognizerState, CGPoint, CGPoint>> seen;
  auto pan = std::make_shared<UIPanGestureRecognizer>(freeSelector("pan:", [&](const Value& v) {
    auto p = v.object<UIPanGestureRecognizer>();
    seen.push_back({p->state(), p->translationInView(s.view), p->velocityInView(s.view)});
  }));
  s.view->addGestureRecognizer(pan);
  ScreenDriver::drag(CGPointMake(100, 300), CGPointMake(100, 0), 0.5);  // 600 points a second
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(std::get<0>(seen.front()), UIGestureRecognizerState::Began);
  EXPECT_EQ(std::get<1>(seen.front()), CGPointMake(0, -20));  // two frames of 10 points
  auto [state, translation, velocity] = seen.back();
  EXPECT_EQ(state, UIGestureRecognizerState::Ended);
  EXPECT_EQ(translation, CGPointMake(0, -300));
  EXPECT_NEAR(velocity.y, -600, 1);
  EXPECT_NEAR(velocity.x, 0, 1e-9);
  // A finger that rests before lifting leaves no speed.
  seen.clear();
  UIEventDriver::touchDown({100, 300});
  for (int i = 1; i <= 10; ++i) {
    ScreenDriver::wait(ScreenDriver::kFrame);
    UIEventDriver::touchMove({100, 300 - 5.0 * i});
  }
  ScreenDriver::wait(0.2);
  UIEventDriver::touchUp({100, 250});
  EXPECT_EQ(std::get<1>(seen.back()), CGPointMake(0, -50));
  EXPECT_EQ(std::get<2>(seen.back()), CGPointZero);
}

class Delegate : public UIGestureRecognizerDelegate {
 public:
  std::function<bool(const std::shared_ptr<UIGestureRecognizer>&)> shouldBegin;
  std::function<bool(const std::shared_ptr<UITouch>&)> shouldReceive;
  bool simultaneous = false;
  bool gestureRecognizerShouldBegin(const std::shared_ptr<UIGestureRecognizer>& r) override {
    return shouldBegin ? shouldBegin(r) : true;
  }
  bool gestureRecognizerShouldReceiveTouch(const std::shared_ptr<UIGestureRecognizer>&,
                                           const std::shared_ptr<UITouch>& t) override {
    return shouldReceive ? shouldReceive(t) : true;
  }
  bool gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(
      const std::shared_ptr<UIGestureRecognizer>&,
      const std::shared_ptr<UIGestureRecognizer>&) override {
    return simultaneous;
  }
};

TEST_F(UIGestureRecognizerTest, TheDelegateDecidesWhatBeginsAndWhatIsSeen) {
  Stage s;
  auto delegate = std::make_shared<Delegate>();
  // The channel screen's rule: a pan begins only when it goes more across than down.
  delegate->shouldBegin = [](const std::shared_ptr<UIGestureRecognizer>& r) {
    auto pan = std::static_pointer_cast<UIPanGestureRecognizer>(r);
    CGPoint t = pan->translationInView(pan->view());
    return std::fabs(t.x) > std::fabs(t.y);
  };
  auto pan = logging<UIPanGestureRecognizer>("pan", s.log);
  pan->setDelegate(delegate);
  s.view->addGestureRecognizer(pan);
  ScreenDriver::drag(CGPointMake(100, 100), CGPointMake(110, 200));
  EXPECT_EQ(std::count(s.log->begin(), s.log->end(), "view.cancelled"), 0);
  EXPECT_EQ(s.log->back(), "view.ended");
  s.log->clear();
  ScreenDriver::drag(CGPointMake(100, 100), CGPointMake(200, 110));
  EXPECT_EQ((*s.log)[0], "view.began");
  EXPECT_EQ((*s.log)[2].substr(0, 10), "pan:began@");
  EXPECT_EQ((*s.log)[3], "view.cancelled");
  EXPECT_EQ(s.log->back().substr(0, 10), "pan:ended@");
  // A touch the delegate turns away never reaches the recogniser.
  s.log->clear();
  delegate->shouldReceive = [](const std::shared_ptr<UITouch>&) { return false; };
  ScreenDriver::drag(CGPointMake(100, 100), CGPointMake(200, 110));
  EXPECT_EQ(s.log->back(), "view.ended");
  EXPECT_EQ(std::count_if(s.log->begin(), s.log->end(),
                          [](const auto& l) { return l.rfind("pan:", 0) == 0; }),
            0);
}

TEST_F(UIGestureRecognizerTest, RecognisersOfOneTouchExcludeEachOtherUnlessAllowed) {
  Stage s;
  auto pan = logging<UIPanGestureRecognizer>("pan", s.log);
  auto swipe = logging<UISwipeGestureRecognizer>("swipe", s.log);
  s.view->addGestureRecognizer(swipe);
  s.view->addGestureRecognizer(pan);
  ScreenDriver::swipe(CGPointMake(100, 100), UISwipeGestureRecognizerDirectionRight);
  // The pan begins first (10 points) and the swipe, sharing the touch, fails.
  EXPECT_EQ(std::count_if(s.log->begin(), s.log->end(),
                          [](const auto& l) { return l.rfind("swipe:", 0) == 0; }),
            0);
  s.log->clear();
  auto delegate = std::make_shared<Delegate>();
  delegate->simultaneous = true;
  swipe->setDelegate(delegate);
  ScreenDriver::wait(1);
  ScreenDriver::swipe(CGPointMake(100, 100), UISwipeGestureRecognizerDirectionRight);
  EXPECT_EQ(std::count_if(s.log->begin(), s.log->end(),
                          [](const auto& l) { return l.rfind("swipe:ended", 0) == 0; }),
            1);
  EXPECT_EQ(s.log->back().substr(0, 10), "pan:ended@");
}

TEST_F(UIGestureRecognizerTest, AButtonKeepsItsTapFromATapRecogniserAbove) {
  Stage s;
  auto tap = logging<UITapGestureRecognizer>("tap", s.log);
  s.view->addGestureRecognizer(tap);
  auto button = std::make_shared<UIButton>(CGRectMake(100, 100, 80, 40));
  s.view->addSubview(button);
  int pressed = 0;
  button->addTarget(freeSelector("pressed:", [&](const Value&) { ++pressed; }),
                    UIControlEventTouchUpInside);
  ScreenDriver::tap(button);
  EXPECT_EQ(pressed, 1);
  EXPECT_TRUE(s.log->empty());
  ScreenDriver::tap(CGPointMake(10, 10));  // elsewhere the recogniser has it
  EXPECT_EQ(pressed, 1);
  EXPECT_EQ(s.log->at(1).substr(0, 10), "tap:ended@");
  // A long press over the button still takes the touch from it.
  auto press = logging<UILongPressGestureRecognizer>("press", s.log);
  s.view->addGestureRecognizer(press);
  s.log->clear();
  ScreenDriver::longPress(button, 1.0);
  EXPECT_EQ(pressed, 1);
  EXPECT_EQ(s.log->at(0).substr(0, 12), "press:began@");
}

TEST_F(UIGestureRecognizerTest, DelayedTouchesReachTheViewOnlyWhenTheRecogniserFails) {
  Stage s;
  auto press = logging<UILongPressGestureRecognizer>("press", s.log);
  press->setDelaysTouchesBegan(true);
  s.view->addGestureRecognizer(press);
  UIEventDriver::touchDown({100, 100});
  ScreenDriver::wait(0.1);
  EXPECT_TRUE(s.log->empty());
  UIEventDriver::touchUp({100, 100});  // the press fails: the view gets both, late
  EXPECT_EQ(*s.log, (Log{"view.began", "view.ended"}));
  s.log->clear();
  ScreenDriver::longPress(CGPointMake(100, 100), 1.0);  // the press wins: the view sees nothing
  EXPECT_EQ(s.log->size(), 2u);
  EXPECT_EQ(s.log->at(0).substr(0, 12), "press:began@");
  EXPECT_EQ(s.log->at(1).substr(0, 12), "press:ended@");
}

TEST_F(UIGestureRecognizerTest, APinchScalesWithTheFingersSpread) {
  Stage s;
  std::vector<CGFloat> scales;
  UIGestureRecognizerState last = UIGestureRecognizerState::Possible;
  auto pinch =
      std::make_shared<UIPinchGestureRecognizer>(freeSelector("pinch:", [&](const Value& v) {
        auto p = v.object<UIPinchGestureRecognizer>();
        scales.push_back(p->scale());
        last = p->state();
      }));
  s.view->addGestureRecognizer(pinch);
  ASSERT_TRUE(ScreenDriver::pinch(CGPointMake(160, 240), 100, 200, 0.5));
  ASSERT_FALSE(scales.empty());
  EXPECT_EQ(last, UIGestureRecognizerState::Ended);
  EXPECT_DOUBLE_EQ(scales.back(), 2.0);
  EXPECT_TRUE(std::is_sorted(scales.begin(), scales.end()));
  EXPECT_EQ(UIEventDriver::fingersDown(), 0u);
}

TEST_F(UIGestureRecognizerTest, RemovingOrDisablingARecogniserMidGestureEndsIt) {
  Stage s;
  auto pan = logging<UIPanGestureRecognizer>("pan", s.log);
  s.view->addGestureRecognizer(pan);
  UIEventDriver::touchDown({100, 100});
  UIEventDriver::touchMove({100, 150});
  pan->setEnabled(false);
  UIEventDriver::touchMove({100, 200});
  UIEventDriver::touchUp({100, 200});
  ASSERT_GE(s.log->size(), 2u);
  EXPECT_EQ(s.log->at(1).substr(0, 10), "pan:began@");
  EXPECT_EQ(s.log->back().substr(0, 14), "pan:cancelled@");
  s.log->clear();
  pan->setEnabled(true);
  UIEventDriver::touchDown({100, 100});
  s.view->removeGestureRecognizer(pan);
  UIEventDriver::touchMove({100, 150});
  UIEventDriver::touchUp({100, 150});
  EXPECT_EQ(*s.log, (Log{"view.began", "view.moved", "view.ended"}));
  EXPECT_EQ(pan->view(), nullptr);
  EXPECT_TRUE(s.view->gestureRecognizers().empty());
}

TEST_F(UIGestureRecognizerTest, ATapThatTakesItselfOffItsViewInItsActionStillTakesTheTouch) {
  Stage s;
  std::shared_ptr<UITapGestureRecognizer> tap;
  tap = std::make_shared<UITapGestureRecognizer>(freeSelector("tap:", [&](const Value&) {
    s.log->push_back("tap");
    s.view->removeGestureRecognizer(tap);
  }));
  s.view->addGestureRecognizer(tap);
  ScreenDriver::tap(CGPointMake(100, 100));
  EXPECT_EQ(*s.log, (Log{"view.began", "tap", "view.cancelled"}));
  EXPECT_EQ(tap->view(), nullptr);
}

}  // namespace
