#include <gtest/gtest.h>

#include <cmath>

#include "UIKit/UIButton.h"
#include "UIKit/UIControl.h"
#include "UIKit/UIEventDriver.h"
#include "UIKit/UILabel.h"
#include "UIKitTestSupport.h"
#include "support/ui/ScreenDriver.h"

namespace {

using UITouchTest = UIKitTest;

std::shared_ptr<UIView> viewAt(CGRect frame, long tag) {
  auto v = std::make_shared<UIView>(frame);
  v->setTag(tag);
  return v;
}

TEST_F(UITouchTest, HitTestingFindsTheDeepestViewThatTakesTouches) {
  // A 200 × 200 parent at the origin with a child (tag 2) at (50, 50, 100, 100) and, in the
  // child, a grandchild (tag 3) at (10, 10, 20, 20); each case changes one thing and taps.
  struct Case {
    const char* what;
    std::function<void(UIView& parent, UIView& child, UIView& grand)> change;
    CGPoint point;  // in the parent
    long expected;  // tag of the view hit; -1: none
  };
  const std::vector<Case> cases = {
      {"deepest", [](auto&, auto&, auto&) {}, {65, 65}, 3},
      {"child outside grandchild", [](auto&, auto&, auto&) {}, {120, 120}, 2},
      {"parent outside child", [](auto&, auto&, auto&) {}, {10, 10}, 1},
      {"outside everything", [](auto&, auto&, auto&) {}, {250, 10}, -1},
      {"hidden grandchild", [](auto&, auto&, auto& g) { g.setHidden(true); }, {65, 65}, 2},
      {"faint grandchild", [](auto&, auto&, auto& g) { g.setAlpha(0.005); }, {65, 65}, 2},
      {"just visible grandchild", [](auto&, auto&, auto& g) { g.setAlpha(0.01); }, {65, 65}, 3},
      {"grandchild without interaction",
       [](auto&, auto&, auto& g) { g.setUserInteractionEnabled(false); },
       {65, 65},
       2},
      {"child without interaction takes its subtree along",
       [](auto&, auto& c, auto&) { c.setUserInteractionEnabled(false); },
       {65, 65},
       1},
      {"a subview sticking out of its parent is not reached",
       [](auto&, auto& c, auto& g) { g.setFrame(CGRectMake(90, 90, 50, 50)); },
       {170, 170},
       1},
      {"clipping or not",
       [](auto&, auto& c, auto& g) {
         c.setClipsToBounds(true);
         g.setFrame(CGRectMake(90, 90, 50, 50));
       },
       {145, 145},
       3},
      {"a moved bounds origin moves the subviews",
       [](auto&, auto& c, auto&) { c.setBounds(CGRectMake(10, 10, 100, 100)); },
       {55, 55},
       3},
      {"a scaled child",
       [](auto&, auto& c, auto&) { c.setTransform(CGAffineTransformMakeScale(2, 2)); },
       {40, 40},
       3},
  };
  for (const auto& c : cases) {
    auto parent = viewAt(CGRectMake(0, 0, 200, 200), 1);
    auto child = viewAt(CGRectMake(50, 50, 100, 100), 2);
    auto grand = viewAt(CGRectMake(10, 10, 20, 20), 3);
    parent->addSubview(child);
    child->addSubview(grand);
    c.change(*parent, *child, *grand);
    auto hit = parent->hitTest(c.point, nullptr);
    EXPECT_EQ(hit ? hit->tag() : -1, c.expected) << c.what;
  }
}

TEST_F(UITouchTest, TheFrontmostSiblingWinsAndDisabledControlsLetTouchesThrough) {
  auto parent = viewAt(CGRectMake(0, 0, 100, 100), 1);
  auto back = viewAt(CGRectMake(0, 0, 100, 100), 2);
  auto front = std::make_shared<UIButton>(CGRectMake(0, 0, 100, 100));
  front->setTag(3);
  parent->addSubview(back);
  parent->addSubview(front);
  EXPECT_EQ(parent->hitTest({50, 50}, nullptr)->tag(), 3);
  front->setEnabled(false);
  EXPECT_EQ(parent->hitTest({50, 50}, nullptr)->tag(), 2);
  // A label takes no touches unless told to.
  auto label = std::make_shared<UILabel>(CGRectMake(0, 0, 100, 100));
  label->setTag(4);
  parent->addSubview(label);
  EXPECT_EQ(parent->hitTest({50, 50}, nullptr)->tag(), 2);
  label->setUserInteractionEnabled(true);
  EXPECT_EQ(parent->hitTest({50, 50}, nullptr)->tag(), 4);
}

TEST_F(UITouchTest, PointsAndRectsConvertThroughFramesBoundsTransformsAndWindows) {
  auto window = showWindow();
  auto a = viewAt(CGRectMake(10, 20, 200, 200), 1);
  auto b = viewAt(CGRectMake(30, 40, 100, 100), 2);
  window->addSubview(a);
  a->addSubview(b);
  auto near = [](CGPoint p, CGPoint q) {
    return std::fabs(p.x - q.x) + std::fabs(p.y - q.y) < 1e-9;
  };
  EXPECT_TRUE(near(b->convertPointToView(CGPointMake(1, 2), nullptr), CGPointMake(41, 62)));
  EXPECT_TRUE(near(b->convertPointFromView(CGPointMake(41, 62), window), CGPointMake(1, 2)));
  EXPECT_TRUE(near(a->convertPointFromView(CGPointMake(1, 2), b), CGPointMake(31, 42)));
  // Scrolling a view (its bounds origin) moves what is inside it.
  a->setBounds(CGRectMake(0, 15, 200, 200));
  EXPECT_TRUE(near(b->convertPointToView(CGPointZero, nullptr), CGPointMake(40, 45)));
  // A scaled view: its rectangles grow about its centre.
  b->setTransform(CGAffineTransformMakeScale(2, 2));
  CGRect r = b->convertRectToView(b->bounds(), a);
  EXPECT_EQ(r, CGRectMake(-20, -10, 200, 200));
  EXPECT_EQ(b->convertRectFromView(r, a), b->bounds());
  // Another window, lower on the screen: conversions go through the screen.
  auto other = std::make_shared<UIWindow>(CGRectMake(0, 300, 320, 180));
  other->setHidden(false);
  auto c = viewAt(CGRectMake(5, 5, 10, 10), 3);
  other->addSubview(c);
  EXPECT_TRUE(near(c->convertPointToView(CGPointZero, window), CGPointMake(5, 305)));
}

TEST_F(UITouchTest, TouchesAViewDoesNotHandleGoUpItsResponderChain) {
  auto log = std::make_shared<Log>();
  auto window = showWindow();
  // The controller's root view passes touches on; the controller logs them and passes them to
  // the view's superview, which logs them too.
  class Controller : public UIViewController {
   public:
    explicit Controller(std::shared_ptr<Log> log) : log_(std::move(log)) {}
    void loadView() override {
      setView(std::make_shared<TouchLogView>("root", CGRectMake(0, 0, 200, 200), log_, true));
    }
    void touchesBegan(const UITouchSet& t, UIEvent* e) override {
      log_->push_back("controller.began");
      UIViewController::touchesBegan(t, e);
    }

   private:
    std::shared_ptr<Log> log_;
  };
  auto outer = std::make_shared<TouchLogView>("outer", CGRectMake(0, 0, 320, 480), log);
  window->addSubview(outer);
  auto controller = std::make_shared<Controller>(log);
  outer->addSubview(controller->view());
  auto label = std::make_shared<UILabel>(CGRectMake(0, 0, 100, 30));  // takes no touches
  controller->view()->addSubview(label);
  EXPECT_EQ(controller->view()->nextResponder(), controller);
  EXPECT_EQ(controller->nextResponder(), outer);
  EXPECT_EQ(window->nextResponder(), UIApplication::sharedApplication());

  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(10, 10)));
  EXPECT_EQ(*log,
            (Log{"root.began", "controller.began", "outer.began", "root.ended", "outer.ended"}));
}

TEST_F(UITouchTest, AFingerStaysWithTheViewItBeganOnAndSeesItsOwnLocations) {
  auto log = std::make_shared<Log>();
  auto window = showWindow();
  class Tracker : public UIView {
   public:
    using UIView::UIView;
    void touchesBegan(const UITouchSet& t, UIEvent* e) override { record(t, e); }
    void touchesMoved(const UITouchSet& t, UIEvent* e) override { record(t, e); }
    void touchesEnded(const UITouchSet& t, UIEvent* e) override { record(t, e); }
    std::vector<std::tuple<UITouchPhase, CGPoint, CGPoint, size_t>> seen;

   private:
    void record(const UITouchSet& t, UIEvent* e) {
      auto touch = t.anyObject();
      EXPECT_EQ(touch->view().get(), this);
      seen.push_back({touch->phase(), touch->locationInView(this),
                      touch->previousLocationInView(this), e->allTouches().count()});
    }
  };
  auto tracker = std::make_shared<Tracker>(CGRectMake(100, 100, 50, 50));
  window->addSubview(tracker);
  ASSERT_TRUE(UIEventDriver::touchDown({110, 120}));
  UIEventDriver::touchMove({300, 400});  // far outside: still the tracker's
  UIEventDriver::touchUp({300, 410});
  ASSERT_EQ(tracker->seen.size(), 3u);
  EXPECT_EQ(std::get<0>(tracker->seen[0]), UITouchPhase::Began);
  EXPECT_EQ(std::get<1>(tracker->seen[0]), CGPointMake(10, 20));
  EXPECT_EQ(std::get<1>(tracker->seen[1]), CGPointMake(200, 300));
  EXPECT_EQ(std::get<2>(tracker->seen[1]), CGPointMake(10, 20));
  EXPECT_EQ(std::get<0>(tracker->seen[2]), UITouchPhase::Ended);
  EXPECT_EQ(UIEventDriver::fingersDown(), 0u);
  // Nothing on screen there: no touch at all.
  window->setHidden(true);
  EXPECT_FALSE(UIEventDriver::touchDown({110, 120}));
}

TEST_F(UITouchTest, ASecondFingerOnAViewWithoutMultipleTouchIsNotDelivered) {
  auto log = std::make_shared<Log>();
  auto window = showWindow();
  auto v = std::make_shared<TouchLogView>("v", CGRectMake(0, 0, 320, 480), log);
  window->addSubview(v);
  UIEventDriver::touchDown({10, 10}, 0);
  UIEventDriver::touchDown({50, 50}, 1);
  UIEventDriver::touchUp({50, 50}, 1);
  UIEventDriver::touchUp({10, 10}, 0);
  EXPECT_EQ(*log, (Log{"v.began", "v.ended"}));
  log->clear();
  v->setMultipleTouchEnabled(true);
  UIEventDriver::touchDown({10, 10}, 0);
  UIEventDriver::touchDown({50, 50}, 1);
  UIEventDriver::touches({{0, UITouchPhase::Ended, {10, 10}}, {1, UITouchPhase::Ended, {50, 50}}});
  EXPECT_EQ(*log, (Log{"v.began", "v.began", "v.ended"}));
}

TEST_F(UITouchTest, TapCountsGrowForQuickTapsAtTheSamePlace) {
  auto window = showWindow();
  std::vector<unsigned long> counts;
  class Counter : public UIView {
   public:
    Counter(CGRect f, std::vector<unsigned long>& c) : UIView(f), counts_(c) {}
    void touchesEnded(const UITouchSet& t, UIEvent*) override {
      counts_.push_back(t.anyObject()->tapCount());
    }
    std::vector<unsigned long>& counts_;
  };
  window->addSubview(std::make_shared<Counter>(CGRectMake(0, 0, 320, 480), counts));
  ScreenDriver::tap(CGPointMake(100, 100), 3);
  ScreenDriver::wait(1);
  ScreenDriver::tap(CGPointMake(100, 100));
  ScreenDriver::tap(CGPointMake(250, 400));  // quick but far away
  EXPECT_EQ(counts, (std::vector<unsigned long>{1, 2, 3, 1, 1}));
}

// Logs the control events a control sends.
class EventLog {
 public:
  void attach(UIControl& control) {
    static const std::pair<UIControlEvents, const char*> names[] = {
        {UIControlEventTouchDown, "down"},         {UIControlEventTouchDownRepeat, "repeat"},
        {UIControlEventTouchDragInside, "inside"}, {UIControlEventTouchDragOutside, "outside"},
        {UIControlEventTouchDragEnter, "enter"},   {UIControlEventTouchDragExit, "exit"},
        {UIControlEventTouchUpInside, "upInside"}, {UIControlEventTouchUpOutside, "upOutside"},
        {UIControlEventTouchCancel, "cancel"},     {UIControlEventValueChanged, "value"}};
    for (const auto& [event, name] : names) {
      std::string n = name;
      control.addTarget(freeSelector(n + ":",
                                     [this, n](const Value& sender) {
                                       auto c = sender.object<UIControl>();
                                       log.push_back(n + (c && c->isHighlighted() ? "*" : ""));
                                     }),
                        event);
    }
  }
  Log log;
};

TEST_F(UITouchTest, ControlsTrackTheFingerAndSendTheirEvents) {
  struct Case {
    const char* what;
    std::vector<CGPoint> path;  // down, moves..., up (screen points; the button is 100..200)
    Log expected;               // "*": highlighted when sent
  };
  const std::vector<Case> cases = {
      {"tap", {{150, 150}, {150, 150}}, {"down*", "upInside"}},
      {"moving a little inside",
       {{150, 150}, {160, 150}, {160, 150}},
       {"down*", "inside*", "upInside"}},
      {"out of reach and back",
       {{150, 150}, {290, 150}, {150, 150}, {150, 150}},
       {"down*", "outside", "exit", "inside*", "enter*", "upInside"}},
      {"lifting out of reach",
       {{150, 150}, {290, 150}, {290, 150}},
       {"down*", "outside", "exit", "upOutside"}},
      {"lifting just outside counts as inside",
       {{150, 150}, {260, 150}, {260, 150}},
       {"down*", "inside*", "upInside"}},
  };
  for (const auto& c : cases) {
    UIApplicationDriver::reset();
    auto window = showWindow();
    auto button = std::make_shared<UIButton>(CGRectMake(100, 100, 100, 100));
    window->addSubview(button);
    EventLog events;
    events.attach(*button);
    UIEventDriver::touchDown(c.path.front());
    for (size_t i = 1; i + 1 < c.path.size(); ++i) UIEventDriver::touchMove(c.path[i]);
    UIEventDriver::touchUp(c.path.back());
    EXPECT_EQ(events.log, c.expected) << c.what;
    EXPECT_FALSE(button->isHighlighted()) << c.what;
    EXPECT_FALSE(button->isTracking()) << c.what;
  }
}

TEST_F(UITouchTest, ACancelledTouchSendsTouchCancelAndADoubleTapRepeats) {
  auto window = showWindow();
  auto button = std::make_shared<UIButton>(CGRectMake(100, 100, 100, 100));
  window->addSubview(button);
  EventLog events;
  events.attach(*button);
  UIEventDriver::touchDown({150, 150});
  EXPECT_TRUE(button->isHighlighted());
  EXPECT_TRUE(button->isTracking());
  UIEventDriver::touchCancel();
  EXPECT_EQ(events.log, (Log{"down*", "cancel"}));
  EXPECT_FALSE(button->isHighlighted());
  events.log.clear();
  ScreenDriver::wait(1);
  ScreenDriver::tap(button, 2);
  EXPECT_EQ(events.log, (Log{"down*", "upInside", "down*", "repeat*", "upInside"}));
}

TEST_F(UITouchTest, TargetsAreKeptWeakAndRemovedByNameOrEvent) {
  struct Target : NSObject {
    int hits = 0;
    void hit() { ++hits; }
  };
  auto control = std::make_shared<UIControl>(CGRectMake(0, 0, 10, 10));
  auto target = std::make_shared<Target>();
  control->addTarget(selector(target, &Target::hit, "hit"), UIControlEventTouchUpInside);
  control->addTarget(selector(target, &Target::hit, "hit"), UIControlEventValueChanged);
  EXPECT_EQ(control->allControlEvents(), UIControlEventTouchUpInside | UIControlEventValueChanged);
  EXPECT_EQ(control->allTargets().size(), 1u);
  EXPECT_EQ(control->actionsForTarget(target.get(), UIControlEventValueChanged),
            (std::vector<std::string>{"hit"}));
  control->sendActionsForControlEvents(UIControlEventTouchUpInside | UIControlEventValueChanged);
  EXPECT_EQ(target->hits, 1);  // one action, sent once
  control->removeTarget(target.get(), "hit", UIControlEventTouchUpInside);
  control->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_EQ(target->hits, 1);
  control->sendActionsForControlEvents(UIControlEventValueChanged);
  EXPECT_EQ(target->hits, 2);
  target.reset();  // a dead target is skipped
  control->sendActionsForControlEvents(UIControlEventValueChanged);
  control->removeTarget(nullptr, "", UIControlEventAllEvents);
  EXPECT_EQ(control->allControlEvents(), 0u);
}

class Responder : public UIView {
 public:
  using UIView::UIView;
  bool canBecomeFirstResponder() const override { return true; }
  bool canResignFirstResponder() const override { return resignable; }
  void motionEnded(UIEventSubtype motion, UIEvent* e) override {
    shakes += motion == UIEventSubtype::MotionShake && e->type() == UIEventType::Motion;
  }
  bool resignable = true;
  int shakes = 0;
};

TEST_F(UITouchTest, OneFirstResponderAtATime) {
  auto window = showWindow();
  auto a = std::make_shared<Responder>(CGRectMake(0, 0, 10, 10));
  auto b = std::make_shared<Responder>(CGRectMake(0, 0, 10, 10));
  auto plain = std::make_shared<UIView>(CGRectMake(0, 0, 10, 10));
  window->addSubview(a);
  window->addSubview(b);
  window->addSubview(plain);
  EXPECT_FALSE(plain->becomeFirstResponder());
  EXPECT_TRUE(a->becomeFirstResponder());
  EXPECT_TRUE(a->isFirstResponder());
  a->resignable = false;
  EXPECT_FALSE(b->becomeFirstResponder());  // a refuses to go
  EXPECT_TRUE(a->isFirstResponder());
  EXPECT_FALSE(window->endEditing(false));
  EXPECT_TRUE(window->endEditing(true));
  EXPECT_FALSE(a->isFirstResponder());
  EXPECT_TRUE(b->becomeFirstResponder());
  EXPECT_EQ(UIResponder::firstResponder(), b);
  // Leaving the window takes the status along.
  b->removeFromSuperview();
  EXPECT_EQ(UIResponder::firstResponder(), nullptr);
}

TEST_F(UITouchTest, AShakeGoesToTheFirstResponderOrTheKeyWindow) {
  EXPECT_FALSE(UIEventDriver::shake());  // nobody to tell
  class ShakeWindow : public UIWindow {
   public:
    using UIWindow::UIWindow;
    void motionEnded(UIEventSubtype, UIEvent*) override { ++shakes; }
    int shakes = 0;
  };
  auto window = std::make_shared<ShakeWindow>(UIScreen::mainScreen()->bounds());
  window->makeKeyAndVisible();
  ASSERT_TRUE(ScreenDriver::shake());
  EXPECT_EQ(window->shakes, 1);
  auto r = std::make_shared<Responder>(CGRectMake(0, 0, 10, 10));
  window->addSubview(r);
  r->becomeFirstResponder();
  ScreenDriver::shake();
  EXPECT_EQ(r->shakes, 1);
  EXPECT_EQ(window->shakes, 1);
}

TEST_F(UITouchTest, TheDriverFindsShownViewsByTagAndText) {
  auto window = showWindow();
  auto button = std::make_shared<UIButton>(CGRectMake(10, 10, 100, 40));
  button->setTitle("确定", UIControlStateNormal);
  button->setTag(7);
  window->addSubview(button);
  auto hidden = std::make_shared<UILabel>(CGRectMake(0, 100, 100, 20));
  hidden->setText("藏");
  hidden->setHidden(true);
  window->addSubview(hidden);
  int taps = 0;
  button->addTarget(freeSelector("tap:", [&](const Value&) { ++taps; }),
                    UIControlEventTouchUpInside);
  EXPECT_EQ(ScreenDriver::findText("确定"), button);
  EXPECT_EQ(ScreenDriver::findTag(7), button);
  EXPECT_EQ(ScreenDriver::findText("藏"), nullptr);
  EXPECT_TRUE(ScreenDriver::tapText("确定"));
  EXPECT_TRUE(ScreenDriver::tapTag(7));
  EXPECT_EQ(taps, 2);
  // A view scrolled out of its clipping parent cannot be tapped.
  auto clip = std::make_shared<UIView>(CGRectMake(0, 200, 100, 100));
  clip->setClipsToBounds(true);
  auto inside = std::make_shared<UIView>(CGRectMake(0, 150, 50, 50));
  clip->addSubview(inside);
  window->addSubview(clip);
  CGPoint p;
  EXPECT_FALSE(ScreenDriver::visiblePoint(inside, p));
  inside->setFrame(CGRectMake(0, 80, 50, 50));  // half shows
  ASSERT_TRUE(ScreenDriver::visiblePoint(inside, p));
  EXPECT_EQ(p, CGPointMake(25, 290));
}

}  // namespace
