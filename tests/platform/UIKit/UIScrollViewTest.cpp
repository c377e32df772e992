#include <gtest/gtest.h>

#include <cmath>

#include "UIKit/UIButton.h"
#include "UIKit/UIEventDriver.h"
#include "UIKit/UIPinchGestureRecognizer.h"
#include "UIKit/UIScrollView.h"
#include "UIKitTestSupport.h"
#include "support/ui/ScreenDriver.h"

namespace {

using UIScrollViewTest = UIKitTest;

// Logs the delegate calls, runs of did-scroll as one "scroll".
class ScrollLog : public UIScrollViewDelegate {
 public:
  void scrollViewDidScroll(const std::shared_ptr<UIScrollView>&) override {
    ++scrolls;
    if (log.empty() || log.back() != "scroll") log.push_back("scroll");
  }
  void scrollViewWillBeginDragging(const std::shared_ptr<UIScrollView>&) override {
    log.push_back("willBeginDragging");
  }
  void scrollViewWillEndDraggingWithVelocityTargetContentOffset(
      const std::shared_ptr<UIScrollView>&, CGPoint v, CGPoint* target) override {
    log.push_back("willEndDragging");
    velocity = v;
    proposedTarget = *target;
    if (retarget) *target = *retarget;
  }
  void scrollViewDidEndDraggingWillDecelerate(const std::shared_ptr<UIScrollView>& sv,
                                              bool decelerate) override {
    log.push_back(decelerate ? "didEndDragging(decelerate)" : "didEndDragging");
    EXPECT_FALSE(sv->isDragging());
  }
  void scrollViewWillBeginDecelerating(const std::shared_ptr<UIScrollView>&) override {
    log.push_back("willBeginDecelerating");
  }
  void scrollViewDidEndDecelerating(const std::shared_ptr<UIScrollView>& sv) override {
    log.push_back("didEndDecelerating");
    EXPECT_FALSE(sv->isDecelerating());
  }
  void scrollViewDidEndScrollingAnimation(const std::shared_ptr<UIScrollView>&) override {
    log.push_back("didEndScrollingAnimation");
  }
  std::shared_ptr<UIView> viewForZoomingInScrollView(
      const std::shared_ptr<UIScrollView>&) override {
    return zoomed;
  }
  void scrollViewWillBeginZoomingWithView(const std::shared_ptr<UIScrollView>&,
                                          const std::shared_ptr<UIView>&) override {
    log.push_back("willBeginZooming");
  }
  void scrollViewDidZoom(const std::shared_ptr<UIScrollView>&) override {
    if (log.empty() || log.back() != "zoom") log.push_back("zoom");
  }
  void scrollViewDidEndZoomingWithViewAtScale(const std::shared_ptr<UIScrollView>&,
                                              const std::shared_ptr<UIView>& v,
                                              CGFloat scale) override {
    log.push_back("didEndZooming");
    EXPECT_EQ(v, zoomed);
    endScale = scale;
  }
  bool scrollViewShouldScrollToTop(const std::shared_ptr<UIScrollView>&) override {
    log.push_back("shouldScrollToTop");
    return true;
  }
  void scrollViewDidScrollToTop(const std::shared_ptr<UIScrollView>&) override {
    log.push_back("didScrollToTop");
  }
  Log log;
  int scrolls = 0;
  CGPoint velocity, proposedTarget;
  std::optional<CGPoint> retarget;
  std::shared_ptr<UIView> zoomed;
  CGFloat endScale = 0;
};

struct Scroller {
  std::shared_ptr<UIWindow> window = showWindow();
  std::shared_ptr<UIScrollView> scroll = std::make_shared<UIScrollView>(CGRectMake(0, 0, 320, 480));
  std::shared_ptr<ScrollLog> delegate = std::make_shared<ScrollLog>();
  explicit Scroller(CGSize content = {320, 2000}) {
    scroll->setContentSize(content);
    scroll->setDelegate(delegate);
    window->addSubview(scroll);
  }
};

TEST_F(UIScrollViewTest, AFlickScrollsDeceleratesOnTheClockAndComesToRest) {
  Scroller s;
  ScreenDriver::drag(CGPointMake(160, 400), CGPointMake(160, 100), 0.3);
  CGFloat released = s.scroll->contentOffset().y;
  // The first frame's move (before the drag began) does not count.
  EXPECT_NEAR(released, 300 - 300.0 / 18, 1e-9);
  EXPECT_EQ(s.delegate->log, (Log{"willBeginDragging", "scroll", "willEndDragging",
                                  "didEndDragging(decelerate)", "willBeginDecelerating"}));
  EXPECT_NEAR(s.delegate->velocity.y, 1.0, 0.01);  // points per millisecond
  EXPECT_TRUE(s.scroll->isDecelerating());
  ScreenDriver::wait(1);
  CGFloat later = s.scroll->contentOffset().y;
  EXPECT_GT(later, released + 300);
  EXPECT_TRUE(s.scroll->isDecelerating());
  ScreenDriver::wait(3);
  EXPECT_FALSE(s.scroll->isDecelerating());
  CGFloat rest = s.scroll->contentOffset().y;
  // It stops about where the speed runs out, where it told the delegate it would.
  EXPECT_NEAR(rest, s.delegate->proposedTarget.y, 15);
  EXPECT_NEAR(s.delegate->proposedTarget.y, released + 1000 / 2.002, 1);
  EXPECT_EQ(s.delegate->log.back(), "didEndDecelerating");
  EXPECT_EQ(s.delegate->log.size(), 7u);
}

TEST_F(UIScrollViewTest, ADragThatRestsBeforeLettingGoDoesNotDecelerate) {
  Scroller s;
  UIEventDriver::touchDown({160, 400});
  for (int i = 1; i <= 20; ++i) {
    ScreenDriver::wait(ScreenDriver::kFrame);
    UIEventDriver::touchMove({160, 400 - 10.0 * i});
  }
  ScreenDriver::wait(0.3);
  UIEventDriver::touchUp({160, 200});
  EXPECT_EQ(s.delegate->log,
            (Log{"willBeginDragging", "scroll", "willEndDragging", "didEndDragging"}));
  EXPECT_EQ(s.scroll->contentOffset(), CGPointMake(0, 180));
  EXPECT_FALSE(s.scroll->isDecelerating());
}

TEST_F(UIScrollViewTest, PastAnEdgeTheContentFollowsAtHalfSpeedAndSpringsBack) {
  for (bool bounces : {true, false}) {
    UIApplicationDriver::reset();
    Scroller s;
    s.scroll->setBounces(bounces);
    UIEventDriver::touchDown({160, 100});
    for (int i = 1; i <= 20; ++i) {
      ScreenDriver::wait(ScreenDriver::kFrame);
      UIEventDriver::touchMove({160, 100 + 10.0 * i});
    }
    EXPECT_EQ(s.scroll->contentOffset().y, bounces ? -90 : 0) << bounces;
    ScreenDriver::wait(0.3);
    UIEventDriver::touchUp({160, 300});
    EXPECT_EQ(s.delegate->log.back(), bounces ? "willBeginDecelerating" : "didEndDragging");
    ScreenDriver::wait(1);
    EXPECT_EQ(s.scroll->contentOffset().y, 0) << bounces;
    EXPECT_FALSE(s.scroll->isDecelerating());
  }
}

TEST_F(UIScrollViewTest, PagingSettlesOnTheNearestPageOrTheNextWhenFlicked) {
  struct Case {
    const char* what;
    CGFloat distance;  // leftwards
    double duration;
    bool rest;  // rests before lifting
    CGFloat page;
  };
  const std::vector<Case> cases = {
      {"a short slow drag goes back", 100, 0.5, true, 0},
      {"past the middle goes on", 200, 0.5, true, 320},
      {"a short flick goes on", 80, 0.1, false, 320},
  };
  for (const auto& c : cases) {
    UIApplicationDriver::reset();
    Scroller s({320 * 3, 480});
    s.scroll->setPagingEnabled(true);
    if (c.rest) {
      int frames = int(std::lround(c.duration / ScreenDriver::kFrame));
      UIEventDriver::touchDown({250, 240});
      for (int i = 1; i <= frames; ++i) {
        ScreenDriver::wait(ScreenDriver::kFrame);
        UIEventDriver::touchMove({250 - c.distance * i / frames, 240});
      }
      ScreenDriver::wait(0.2);
      UIEventDriver::touchUp({250 - c.distance, 240});
    } else {
      ScreenDriver::drag(CGPointMake(250, 240), CGPointMake(250 - c.distance, 240), c.duration);
    }
    EXPECT_EQ(s.delegate->proposedTarget.x, c.page) << c.what;
    ScreenDriver::wait(2);
    EXPECT_EQ(s.scroll->contentOffset().x, c.page) << c.what;
    EXPECT_EQ(s.delegate->log.back(), "didEndDecelerating") << c.what;
  }
}

TEST_F(UIScrollViewTest, TheDelegateMayMoveTheTargetOfADeceleration) {
  Scroller s;
  s.delegate->retarget = CGPointMake(0, 600);
  ScreenDriver::drag(CGPointMake(160, 400), CGPointMake(160, 200), 0.2);
  ScreenDriver::wait(3);
  EXPECT_EQ(s.scroll->contentOffset().y, 600);
}

TEST_F(UIScrollViewTest, AnAnimatedOffsetMovesFrameByFrameAndReportsItsEnd) {
  Scroller s;
  s.scroll->setContentOffset(CGPointMake(0, 300), true);
  EXPECT_EQ(s.scroll->contentOffset().y, 0);
  ScreenDriver::wait(0.15);
  EXPECT_GT(s.scroll->contentOffset().y, 0);
  EXPECT_LT(s.scroll->contentOffset().y, 300);
  ScreenDriver::wait(0.2);
  EXPECT_EQ(s.scroll->contentOffset().y, 300);
  EXPECT_EQ(s.delegate->log, (Log{"scroll", "didEndScrollingAnimation"}));
  EXPECT_GT(s.delegate->scrolls, 10);
  // Showing a rectangle scrolls the least, within the content.
  s.delegate->log.clear();
  s.scroll->scrollRectToVisible(CGRectMake(0, 900, 10, 100), false);
  EXPECT_EQ(s.scroll->contentOffset().y, 520);
  s.scroll->scrollRectToVisible(CGRectMake(0, 1990, 10, 100), false);
  EXPECT_EQ(s.scroll->contentOffset().y, 1520);
  s.scroll->scrollRectToVisible(CGRectMake(0, 1600, 10, 100), false);
  EXPECT_EQ(s.scroll->contentOffset().y, 1520);  // already shows
  EXPECT_EQ(s.delegate->log, Log{"scroll"});
}

TEST_F(UIScrollViewTest, ButtonsInsideTakeTapsButADragScrollsInstead) {
  Scroller s;
  auto button = std::make_shared<UIButton>(CGRectMake(60, 200, 200, 80));
  s.scroll->addSubview(button);
  Log events;
  button->addTarget(freeSelector("up:", [&](const Value&) { events.push_back("up"); }),
                    UIControlEventTouchUpInside);
  button->addTarget(freeSelector("down:", [&](const Value&) { events.push_back("down"); }),
                    UIControlEventTouchDown);
  button->addTarget(freeSelector("cancel:", [&](const Value&) { events.push_back("cancel"); }),
                    UIControlEventTouchCancel);
  // A quick tap reaches the button when the finger lifts.
  UIEventDriver::touchDown({160, 240});
  EXPECT_TRUE(events.empty());
  ScreenDriver::wait(0.05);
  UIEventDriver::touchUp({160, 240});
  EXPECT_EQ(events, (Log{"down", "up"}));
  // A drag that starts on it scrolls and never touches it.
  events.clear();
  ScreenDriver::wait(1);
  ScreenDriver::drag(CGPointMake(160, 240), CGPointMake(160, 100), 0.1);
  EXPECT_TRUE(events.empty());
  ScreenDriver::wait(5);
  EXPECT_GT(s.scroll->contentOffset().y, 100);
  // A finger held on it long enough is the button's: dragging then does not scroll.
  s.scroll->setContentOffset(CGPointZero);
  UIEventDriver::touchDown({160, 240});
  ScreenDriver::wait(0.2);
  EXPECT_EQ(events, Log{"down"});
  for (int i = 1; i <= 10; ++i) {
    ScreenDriver::wait(ScreenDriver::kFrame);
    UIEventDriver::touchMove({160, 240 - 10.0 * i});
  }
  UIEventDriver::touchUp({160, 140});
  EXPECT_EQ(s.scroll->contentOffset().y, 0);
  EXPECT_EQ(events, (Log{"down", "up"}));  // lifted within reach of the button
}

TEST_F(UIScrollViewTest, ATouchOnAMovingViewStopsItAndTouchesNothing) {
  Scroller s;
  auto log = std::make_shared<Log>();
  s.scroll->addSubview(std::make_shared<TouchLogView>("content", CGRectMake(0, 0, 320, 2000), log));
  ScreenDriver::drag(CGPointMake(160, 400), CGPointMake(160, 100), 0.2);
  log->clear();
  ScreenDriver::wait(0.2);
  ASSERT_TRUE(s.scroll->isDecelerating());
  ScreenDriver::tap(CGPointMake(160, 240));
  CGFloat stopped = s.scroll->contentOffset().y;
  ScreenDriver::wait(1);
  EXPECT_EQ(s.scroll->contentOffset().y, stopped);
  EXPECT_TRUE(log->empty());
  ScreenDriver::tap(CGPointMake(160, 240));  // now it is still: the content gets the tap
  EXPECT_EQ(*log, (Log{"content.began", "content.ended"}));
}

TEST_F(UIScrollViewTest, ADragAlongAWayTheViewCannotScrollIsLeftToTheViewsAbove) {
  // A horizontal pager holding a vertical list on its first page.
  Scroller s({320 * 2, 480});
  s.scroll->setPagingEnabled(true);
  auto inner = std::make_shared<UIScrollView>(CGRectMake(0, 0, 320, 480));
  inner->setContentSize({320, 3000});
  s.scroll->addSubview(inner);
  ScreenDriver::drag(CGPointMake(160, 400), CGPointMake(160, 200), 0.5);
  ScreenDriver::wait(3);
  EXPECT_GT(inner->contentOffset().y, 150);
  EXPECT_EQ(s.scroll->contentOffset().x, 0);
  ScreenDriver::drag(CGPointMake(250, 240), CGPointMake(50, 240), 0.3);
  ScreenDriver::wait(3);
  EXPECT_EQ(s.scroll->contentOffset().x, 320);
  // Nothing to scroll at all: no dragging.
  Scroller flat({320, 480});
  flat.window->setWindowLevel(UIWindowLevelAlert);
  ScreenDriver::drag(CGPointMake(160, 400), CGPointMake(160, 200), 0.3);
  EXPECT_TRUE(flat.delegate->log.empty());
  flat.scroll->setAlwaysBounceVertical(true);
  ScreenDriver::drag(CGPointMake(160, 400), CGPointMake(160, 200), 0.3);
  EXPECT_EQ(flat.delegate->log.front(), "willBeginDragging");
}

TEST_F(UIScrollViewTest, TwoFingersZoomTheViewWithinItsLimits) {
  Scroller s({320, 480});
  auto picture = std::make_shared<UIView>(CGRectMake(0, 0, 320, 480));
  s.scroll->addSubview(picture);
  s.delegate->zoomed = picture;
  s.scroll->setMinimumZoomScale(1);
  s.scroll->setMaximumZoomScale(2);
  ASSERT_TRUE(s.scroll->pinchGestureRecognizer());
  ASSERT_TRUE(ScreenDriver::pinch(CGPointMake(160, 240), 100, 300, 0.3));
  // Three times the spread, held at two and a half beyond the limit of two.
  EXPECT_DOUBLE_EQ(s.scroll->zoomScale(), 2.5);
  EXPECT_TRUE(s.scroll->isZoomBouncing());
  ScreenDriver::wait(0.5);
  EXPECT_DOUBLE_EQ(s.scroll->zoomScale(), 2);
  EXPECT_EQ(s.scroll->contentSize(), CGSizeMake(640, 960));
  EXPECT_EQ(picture->frame(), CGRectMake(0, 0, 640, 960));
  // Zoomed about the fingers' middle: the middle stays in the middle.
  EXPECT_NEAR(s.scroll->contentOffset().x, 160, 1e-9);
  EXPECT_NEAR(s.scroll->contentOffset().y, 240, 1e-9);
  EXPECT_EQ(s.delegate->log.front(), "willBeginZooming");
  EXPECT_EQ(s.delegate->log.back(), "didEndZooming");
  EXPECT_DOUBLE_EQ(s.delegate->endScale, 2);
  s.scroll->setZoomScale(0.2);
  EXPECT_DOUBLE_EQ(s.scroll->zoomScale(), 1);
  EXPECT_EQ(s.scroll->contentSize(), CGSizeMake(320, 480));
}

TEST_F(UIScrollViewTest, ATapOnTheStatusBarScrollsTheOneScrollViewToTheTop) {
  Scroller s;
  s.scroll->setContentInset(UIEdgeInsetsMake(44, 0, 0, 0));
  s.scroll->setContentOffset(CGPointMake(0, 900));
  s.delegate->log.clear();
  ASSERT_TRUE(ScreenDriver::tapStatusBar());
  ScreenDriver::wait(0.5);
  EXPECT_EQ(s.scroll->contentOffset().y, -44);
  EXPECT_EQ(s.delegate->log, (Log{"shouldScrollToTop", "scroll", "didScrollToTop"}));
  // With two candidates, neither moves.
  auto other = std::make_shared<UIScrollView>(CGRectMake(0, 0, 10, 10));
  s.window->addSubview(other);
  EXPECT_FALSE(UIScrollView::scrollToTopFromStatusBar());
  other->setScrollsToTop(false);
  EXPECT_TRUE(UIScrollView::scrollToTopFromStatusBar());
}

}  // namespace

// ---- the desktop's wheel

TEST_F(UIScrollViewTest, TheWheelDragsTheScrollViewUnderThePointerUntilItRests) {
  Scroller s;
  EXPECT_TRUE(UIEventDriver::scrollWheel({100, 100}, {0, -40}));
  EXPECT_TRUE(UIEventDriver::scrollWheel({100, 100}, {0, -40}));
  EXPECT_EQ(s.scroll->contentOffset(), CGPointMake(0, 80));
  EXPECT_TRUE(s.scroll->isDragging());
  EXPECT_EQ(s.delegate->log, (Log{"willBeginDragging", "scroll"}));

  // Resting ends the drag without speed: nothing decelerates.
  MainLoop::advance(UIScrollView::kWheelRest + 0.01);
  EXPECT_FALSE(s.scroll->isDragging());
  EXPECT_EQ(s.delegate->log,
            (Log{"willBeginDragging", "scroll", "willEndDragging", "didEndDragging"}));
  EXPECT_EQ(s.scroll->contentOffset(), CGPointMake(0, 80));
}

TEST_F(UIScrollViewTest, TheWheelPullsPastTheTopAtHalfSpeedAndTheContentSpringsBack) {
  Scroller s;
  // Up at the top: the content follows at half speed (a pull to refresh, say).
  UIEventDriver::scrollWheel({100, 100}, {0, 80});
  UIEventDriver::scrollWheel({100, 100}, {0, 80});
  EXPECT_EQ(s.scroll->contentOffset(), CGPointMake(0, -80));
  MainLoop::advance(UIScrollView::kWheelRest + 0.01);
  EXPECT_EQ(s.delegate->log, (Log{"willBeginDragging", "scroll", "willEndDragging",
                                  "didEndDragging(decelerate)", "willBeginDecelerating"}));
  MainLoop::advance(2);
  EXPECT_EQ(s.scroll->contentOffset(), CGPointMake(0, 0));
  EXPECT_EQ(s.delegate->log.back(), "didEndDecelerating");
}

TEST_F(UIScrollViewTest, TheWheelGoesToTheInnermostScrollViewThatScrollsItsWay) {
  Scroller outer;  // scrolls down
  auto rowLog = std::make_shared<ScrollLog>();
  // A row of pictures inside it that scrolls across.
  auto row = std::make_shared<UIScrollView>(CGRectMake(0, 100, 320, 100));
  row->setContentSize({1000, 100});
  row->setDelegate(rowLog);
  outer.scroll->addSubview(row);

  EXPECT_TRUE(UIEventDriver::scrollWheel({100, 150}, {-40, 0}));
  EXPECT_EQ(row->contentOffset(), CGPointMake(40, 0));
  EXPECT_TRUE(UIEventDriver::scrollWheel({100, 150}, {0, -40}));
  EXPECT_EQ(outer.scroll->contentOffset(), CGPointMake(0, 40));
  // The row's drag ended when the wheel moved on to the other view.
  EXPECT_EQ(rowLog->log.back(), "didEndDragging");
  EXPECT_TRUE(outer.scroll->isDragging());

  // Nothing under the pointer scrolls across there.
  MainLoop::advance(1);
  EXPECT_FALSE(UIEventDriver::scrollWheel({100, 300}, {-40, 0}));
  outer.scroll->setScrollEnabled(false);
  EXPECT_FALSE(UIEventDriver::scrollWheel({100, 300}, {0, -40}));
  EXPECT_FALSE(UIEventDriver::scrollWheel({100, 300}, {0, 0}));
}
