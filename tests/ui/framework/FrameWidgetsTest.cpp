// The frame animation view on the virtual clock (its frames, callbacks and the splash that
// shrinks away), the picture frame tile under the finger, and the gesture recognisers that carry
// their handler's data.
#include <gtest/gtest.h>

#include "Foundation/NSClass.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIViewController.h"
#include "UIKit/UIWindow.h"
#include "support/MainLoop.h"
#include "support/ui/ScreenDriver.h"
#include "ui/framework/UIAnimaleImageView.h"
#include "ui/framework/UIFrameItem.h"
#include "ui/framework/UILongPressMSG.h"
#include "ui/framework/UINaviTapView.h"
#include "ui/framework/UIZMTapGR.h"

namespace {

class FrameWidgetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->setRootViewController(std::make_shared<UIViewController>());
    window->makeKeyAndVisible();
    MainLoop::advance(0.5);
    start = MainLoop::now();
  }
  double elapsed() const { return MainLoop::now() - start; }
  std::shared_ptr<UIWindow> window;
  double start = 0;
};

// Records each callback with the time it came and the context it carried.
class Watcher : public NSObject {
 public:
  struct Call {
    std::string what;
    double at;
    Value context;
  };
  std::vector<Call> calls;
  std::function<double()> clock;
  void started(const Value& c) { calls.push_back({"start", clock(), c}); }
  void changed(const Value& c) { calls.push_back({"frame", clock(), c}); }
  void stopped(const Value& c) { calls.push_back({"stop", clock(), c}); }
};

class Vanish : public AnimaleOverDelegate {
 public:
  int told = 0;
  void overAnimating() override { ++told; }
};

std::vector<std::string> animalFrames() {
  std::vector<std::string> names;
  for (int i = 0; i < 5; ++i) names.push_back("animal" + std::to_string(i));
  return names;
}

TEST_F(FrameWidgetsTest, TheSplashPlaysItsFiveFramesThenShrinksAwayAndLeavesItsSuperview) {
  auto splash = UIAnimaleImageView::init();
  auto over = std::make_shared<Vanish>();
  splash->setAnimaleOver(over);
  window->addSubview(splash);
  EXPECT_EQ(splash->dump(),
            "UIAnimaleImageView frame=(0 0; 320 480) image=\"Default\"\n"
            "  UIImageView frame=(99 129; 122 122) image=\"animal0\"\n");
  EXPECT_TRUE(splash->isUserInteractionEnabled());
  EXPECT_TRUE(splash->isAnimating());
  EXPECT_TRUE(splash->cacheImages());
  EXPECT_DOUBLE_EQ(splash->duration(), 3.5);

  // A frame every 0.7 s, and it stops on the last.
  const char* expected[] = {"animal1", "animal2", "animal3", "animal4"};
  for (const char* name : expected) {
    MainLoop::advance(0.69);
    EXPECT_NE(splash->imageview()->imageName(), name);
    MainLoop::advance(0.01);
    EXPECT_EQ(splash->imageview()->imageName(), name) << "at " << elapsed();
  }
  EXPECT_FALSE(splash->isAnimating());
  EXPECT_EQ(splash->index(), 4);

  // Stopped after 3 s; a second later it starts to vanish.
  MainLoop::advance(3.0 + 1.0 - elapsed() - 0.01);
  EXPECT_EQ(over->told, 0);
  MainLoop::advance(0.01);
  EXPECT_EQ(over->told, 1);
  auto running = UIView::runningAnimations();
  ASSERT_FALSE(running.empty());
  EXPECT_EQ(running.back().animationID, "rawReadAnimation");
  EXPECT_DOUBLE_EQ(running.back().duration, 0.65);
  EXPECT_EQ(running.back().curve, UIViewAnimationCurve::EaseInOut);
  EXPECT_EQ(splash->transform(), CGAffineTransformMakeScale(0.01, 0.01));
  EXPECT_EQ(splash->superview(), window);
  MainLoop::advance(0.66);
  EXPECT_EQ(splash->superview(), nullptr);
}

TEST_F(FrameWidgetsTest, PlayingCallsBackWithTheContextAndStopsHalfASecondAfterTheLastFrame) {
  auto view = std::make_shared<UIAnimaleImageView>(CGRectMake(0, 0, 122, 122));
  auto watcher = std::make_shared<Watcher>();
  watcher->clock = [this] { return elapsed(); };
  view->setDelegate(watcher);
  view->setStartSelector(selector(watcher, &Watcher::started, "started:"));
  view->setFrameChangeSelector(selector(watcher, &Watcher::changed, "changed:"));
  view->setStopSelector(selector(watcher, &Watcher::stopped, "stopped:"));
  view->setCacheImages(true);
  view->setImageNames(animalFrames());
  view->setDuration(3.5);
  window->addSubview(view);

  view->startAnimatingWithContext("first");
  // Already playing: neither a new start nor a new context.
  view->startAnimatingWithContext("second");
  MainLoop::advance(5);

  struct Expected {
    const char* what;
    double at;
  } expected[] = {{"start", 0},   {"frame", 0.7}, {"frame", 1.4},
                  {"frame", 2.1}, {"frame", 2.8}, {"stop", 3.3}};
  ASSERT_EQ(watcher->calls.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(watcher->calls[i].what, expected[i].what) << i;
    EXPECT_NEAR(watcher->calls[i].at, expected[i].at, 1e-6) << i;
    EXPECT_EQ(watcher->calls[i].context, Value("first")) << i;
  }
  // A view made with a frame shows the frames itself.
  EXPECT_EQ(view->imageName(), "animal4");
  EXPECT_FALSE(view->isAnimating());

  // Backwards from the third frame: two steps, and the stop at the first.
  watcher->calls.clear();
  start = MainLoop::now();
  view->setReverse(true);
  view->setIndex(2);
  view->startAnimating();
  MainLoop::advance(3);
  ASSERT_EQ(watcher->calls.size(), 4u);
  EXPECT_EQ(watcher->calls[1].what, "frame");
  EXPECT_EQ(watcher->calls[2].what, "frame");
  EXPECT_EQ(watcher->calls[3].what, "stop");
  EXPECT_NEAR(watcher->calls[3].at, 1.4 + 0.5, 1e-6);
  EXPECT_EQ(view->index(), 0);
  EXPECT_EQ(view->imageName(), "animal0");
}

TEST_F(FrameWidgetsTest, IndexesOutsideTheSequenceAreIgnoredAndNoFramesPlayNothing) {
  auto view = std::make_shared<UIAnimaleImageView>(CGRectMake(0, 0, 122, 122));
  view->setCacheImages(true);
  view->setImageNames(animalFrames());
  view->setIndex(3);
  for (long bad : {-1L, 5L}) {
    view->setIndex(bad);
    EXPECT_EQ(view->index(), 3) << bad;
    EXPECT_EQ(view->imageName(), "animal3") << bad;
  }
  // Fewer names bring the index back to the last of them.
  view->setImageNames({"animal0", "animal1"});
  EXPECT_EQ(view->index(), 1);
  EXPECT_EQ(view->imageName(), "animal1");

  view->setImageNames({});
  EXPECT_EQ(view->count(), 0);
  EXPECT_EQ(view->index(), 0);
  EXPECT_EQ(view->image(), nullptr);
  view->startAnimating();
  EXPECT_FALSE(view->isAnimating());
  MainLoop::advance(1);
  EXPECT_EQ(view->image(), nullptr);
}

TEST_F(FrameWidgetsTest, WithoutTheCacheAFrameIsTheBundleFileOfThatVeryName) {
  auto view = std::make_shared<UIAnimaleImageView>(CGRectMake(0, 0, 122, 122));
  view->setImageNames({"animal2@2x.png", "animal3"});
  ASSERT_NE(view->image(), nullptr);
  EXPECT_EQ(view->image()->size(), CGSizeMake(122, 122));
  // No file is named "animal3" itself.
  view->setIndex(1);
  EXPECT_EQ(view->image(), nullptr);

  view->precache();
  EXPECT_TRUE(view->cacheImages());
  view->setIndex(1);
  EXPECT_EQ(view->imageName(), "animal3");
}

class Picker : public FrameItemDelegate {
 public:
  std::vector<long> tags;
  void selectItem(long tag) override { tags.push_back(tag); }
};

TEST_F(FrameWidgetsTest, ATileSelectsOnItsFirstTapAndReportsItsTagOnce) {
  auto picker = std::make_shared<Picker>();
  // A tile tagged 100, as its frame image is: the frame still changes.
  for (long tag : {7L, 100L}) {
    auto item = UIFrameItem::initWithFrame(CGRectMake(20, 100, 64, 86),
                                           UIImage::imageNamed("iconID1"), "钢铁", tag, picker);
    window->addSubview(item);
    MainLoop::advance(0.1);
    std::string t = std::to_string(tag);
    EXPECT_EQ(item->dump(), "UIFrameItem frame=(20 100; 64 86) tag=" + t +
                                "\n"
                                "  UIImageView frame=(5 5; 60 60) tag=100 image=\"frameUnSel\"\n"
                                "  UIButton frame=(10 10; 50 50) tag=" +
                                t +
                                "\n"
                                "  UILabel frame=(0 64; 64 22) text=\"钢铁\"\n");
    // The picture, scaled to the button.
    auto button = std::dynamic_pointer_cast<UIButton>(item->subviews()[1]);
    ASSERT_NE(button->currentImage(), nullptr);
    EXPECT_EQ(button->currentImage()->size(), CGSizeMake(50, 50));
    picker->tags.clear();
    ASSERT_TRUE(ScreenDriver::tap(CGPointMake(55, 135)));
    ASSERT_TRUE(ScreenDriver::tap(CGPointMake(55, 135)));
    EXPECT_EQ(picker->tags, std::vector<long>{tag});
    EXPECT_TRUE(item->isSelect());
    EXPECT_EQ(std::dynamic_pointer_cast<UIImageView>(item->subviews()[0])->imageName(), "frameSel");
    item->setUnSelect();
    EXPECT_FALSE(item->isSelect());
    EXPECT_EQ(std::dynamic_pointer_cast<UIImageView>(item->subviews()[0])->imageName(),
              "frameUnSel");
    item->removeFromSuperview();
  }
}

class Handler : public NSObject {
 public:
  std::vector<std::shared_ptr<UIGestureRecognizer>> got;
  void handle(const Value& recogniser) { got.push_back(recogniser.object<UIGestureRecognizer>()); }
};

TEST_F(FrameWidgetsTest, RecognisersHandTheirHandlerTheirTagPayloadAndRow) {
  auto handler = std::make_shared<Handler>();
  auto tabs = std::make_shared<UINaviTapView>(CGRectMake(0, 400, 320, 44));
  window->addSubview(tabs);
  auto tab = std::make_shared<UIView>(CGRectMake(100, 0, 60, 44));
  tabs->addSubview(tab);
  auto tap = std::make_shared<UIZMTapGR>(selector(handler, &Handler::handle, "handle:"));
  tap->setTag(3);
  tap->setTapObj("资讯");
  tab->addGestureRecognizer(tap);

  auto row = std::make_shared<UIView>(CGRectMake(0, 100, 320, 60));
  window->addSubview(row);
  auto press = std::make_shared<UILongPressMSG>(selector(handler, &Handler::handle, "handle:"));
  press->setMsg("今日钢价");
  press->setSelectPath(NSIndexPath::indexPathForRow(4, 0));
  row->addGestureRecognizer(press);

  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(110, 430)));
  ASSERT_EQ(handler->got.size(), 1u);
  auto tapped = std::dynamic_pointer_cast<UIZMTapGR>(handler->got[0]);
  ASSERT_NE(tapped, nullptr);
  EXPECT_EQ(tapped->tag(), 3);
  EXPECT_EQ(tapped->tapObj(), Value("资讯"));
  EXPECT_EQ(tapped->getCurPoint(), CGPointMake(10, 30));

  handler->got.clear();
  ASSERT_TRUE(ScreenDriver::longPress(CGPointMake(160, 130)));
  ASSERT_FALSE(handler->got.empty());
  auto pressed = std::dynamic_pointer_cast<UILongPressMSG>(handler->got[0]);
  ASSERT_NE(pressed, nullptr);
  EXPECT_EQ(pressed->msg(), "今日钢价");
  EXPECT_EQ(pressed->selectPath(), NSIndexPath::indexPathForRow(4, 0));
}

}  // namespace
