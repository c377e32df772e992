// The kit's switches under the finger: the slide switch and its queued toggles, the page dots
// and the touch on a dot, the single-choice image switches and the step slider.
#include "CoreGraphics/CGContext.h"
#include "UIKit/UIGraphics.h"
#include "support/ui/ScreenDriver.h"
#include "ui/widgets/CustomUISwitch.h"
#include "ui/widgets/UISlideView.h"
#include "ui/widgets/UISwitchView.h"
#include "ui/widgets/WidgetTestSupport.h"
#include "ui/widgets/YBPageControl.h"

namespace {

class SwitchWatcher : public CustomUISwitchDelegate {
 public:
  std::vector<bool> changes;
  void valueChangedInView(CustomUISwitch& view) override { changes.push_back(view.isOn()); }
};

class PageWatcher : public PageControlDelegate {
 public:
  std::vector<long> pages;
  void pageControlPageDidChange(YBPageControl& control) override {
    pages.push_back(control.currentPage());
  }
};

class GroupWatcher : public UISegCtrlSwitchViewDelegate {
 public:
  std::vector<long> changes;
  void segCtrlChange(UISegCtrlSwitchView& view) override {
    changes.push_back(view.curSelectIndex());
  }
};

class Slid : public NSObject {
 public:
  int ups = 0;
  void slideUp(const Value&) { ++ups; }
};

using SwitchesTest = widgettest::WindowTest;

TEST_F(SwitchesTest, TheSlideSwitchIsAlwaysSeventyFourByTwentyEight) {
  for (CGRect frame : {CGRectMake(10, 20, 200, 100), CGRectMake(0, 0, 1, 1)}) {
    auto sw = CustomUISwitch::initWithFrame(frame);
    EXPECT_EQ(sw->frame(), CGRectMake(frame.origin.x, frame.origin.y, 74, 28));
    EXPECT_TRUE(sw->isOn());
    EXPECT_EQ(sw->switchImage()->frame(), CGRectMake(0, 0, 121, 28));
  }
}

TEST_F(SwitchesTest, QuickTapsPlayOneToggleAfterAnother) {
  auto sw = CustomUISwitch::initWithFrame(CGRectMake(100, 100, 0, 0));
  auto watcher = std::make_shared<SwitchWatcher>();
  sw->setDelegate(watcher);
  window->addSubview(sw);
  MainLoop::advance(0.1);
  EXPECT_EQ(sw->dump(),
            "CustomUISwitch frame=(100 100; 74 28)\n"
            "  UIImageView frame=(0 0; 121 28) image=\"switch\"\n"
            "    UISlideButton frame=(0 0; 121 28) image=\"switch_on\"\n"
            "      UILabel frame=(0 0; 48 28) text=\"是\"\n"
            "      UILabel frame=(73 0; 48 28) text=\"否\"\n");

  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(130, 110), 3));
  // The taps came within 0.25 s; the toggles take 0.2 s each.
  EXPECT_LE(watcher->changes.size(), 2u);
  MainLoop::advance(1);
  EXPECT_EQ(watcher->changes, (std::vector<bool>{false, true, false}));
  EXPECT_FALSE(sw->isOn());
  EXPECT_EQ(sw->switchImage()->frame().origin.x, -47);

  sw->setOn(true, true);
  EXPECT_EQ(sw->switchImage()->frame().origin.x, 0);
  MainLoop::advance(1);
  EXPECT_EQ(watcher->changes.size(), 3u);
}

TEST_F(SwitchesTest, DraggingTheStripStopsAtItsEndsAndLettingGoTogglesOnce) {
  auto sw = CustomUISwitch::initWithFrame(CGRectMake(100, 100, 0, 0));
  auto watcher = std::make_shared<SwitchWatcher>();
  sw->setDelegate(watcher);
  window->addSubview(sw);
  MainLoop::advance(0.1);
  sw->slideMoveAction(Value(makeArray({Value(), Value(-100.0)})));
  EXPECT_EQ(sw->switchImage()->frame().origin.x, -47);
  sw->slideMoveAction(Value(makeArray({Value(), Value(200.0)})));
  EXPECT_EQ(sw->switchImage()->frame().origin.x, 0);
  ASSERT_TRUE(ScreenDriver::drag(CGPointMake(160, 110), CGPointMake(110, 110), 0.3));
  MainLoop::advance(1);
  EXPECT_EQ(watcher->changes, std::vector<bool>{false});
}

TEST_F(SwitchesTest, PageDotsAreDrawnRightAlignedAndATapPicksTheDotUnderIt) {
  auto dots = YBPageControl::initWithFrame(CGRectMake(0, 300, 200, 20));
  dots->setNumberOfPages(3);
  auto ctx = CGContext::createRecording(CGSizeMake(200, 20));
  UIGraphicsPushContext(ctx);
  dots->drawRect(dots->bounds());
  UIGraphicsPopContext();
  EXPECT_EQ(ctx->recordsText(),
            "fillEllipse (145 6.5; 7 7) fill=rgba(0 0 0 1)\n"
            "fillEllipse (159 6.5; 7 7) fill=rgba(0.667 0.667 0.667 1)\n"
            "fillEllipse (173 6.5; 7 7) fill=rgba(0.667 0.667 0.667 1)\n");

  auto watcher = std::make_shared<PageWatcher>();
  dots->setDelegate(watcher);
  window->addSubview(dots);
  MainLoop::advance(0.1);
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(159 + 3.5, 310)));
  EXPECT_EQ(dots->currentPage(), 1);
  EXPECT_EQ(watcher->pages, std::vector<long>{1});
  // Beside the dots, or above them: nothing.
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(100, 310)));
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(177, 301)));
  EXPECT_EQ(watcher->pages, std::vector<long>{1});

  dots->setCurrentPage(5);
  EXPECT_EQ(dots->currentPage(), 2);
  dots->setNumberOfPages(0);
  EXPECT_EQ(dots->currentPage(), -1);
}

TEST_F(SwitchesTest, TheImageSwitchesMakeOneChoiceThatASecondTapClears) {
  auto group =
      UISegCtrlSwitchView::initWithArray({"是", "否", "不确定"}, CGRectMake(0, 200, 300, 40));
  auto watcher = std::make_shared<GroupWatcher>();
  group->setSegDelegate(watcher);
  window->addSubview(group);
  MainLoop::advance(0.1);
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(20, 220)));
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(120, 220)));
  EXPECT_EQ(watcher->changes, (std::vector<long>{0, 1}));
  EXPECT_EQ(group->getCurSelectItem(), std::optional<std::string>("否"));
  auto first = std::dynamic_pointer_cast<UISwitchView>(group->viewWithTag(4500));
  EXPECT_FALSE(first->isSelect());
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(120, 220)));
  EXPECT_EQ(group->curSelectIndex(), -1);
  EXPECT_EQ(watcher->changes.size(), 2u);
  group->setCurrentSelectIndex(2);
  group->setNull();
  EXPECT_EQ(group->getCurSelectItem(), std::nullopt);
}

TEST_F(SwitchesTest, TheSliderMovesByStepsAndSnapsBackOnRelease) {
  auto slider = UISlideView::initWithParam(CGPointMake(40, 100), 5);
  auto slid = std::make_shared<Slid>();
  slider->setSlideUp(selector(slid, &Slid::slideUp, "slideUp:"));
  window->addSubview(slider);
  MainLoop::advance(0.1);
  EXPECT_EQ(slider->ball()->frame(), CGRectMake(103, 0, 30, 30));
  EXPECT_EQ(slider->bar()->frame(), CGRectMake(33, 8, 77, 14));

  slider->slideMoveAction(Value(makeArray({Value(), Value(10.0)})));
  EXPECT_EQ(slider->ball()->frame().origin.x, 113);
  EXPECT_EQ(slider->steps(), 5);
  slider->slideEndAction(Value());
  EXPECT_EQ(slider->ball()->frame().origin.x, 103);
  EXPECT_EQ(slid->ups, 1);

  slider->setValue(0);
  slider->leftAction(Value());
  EXPECT_EQ(slider->steps(), 0);
  EXPECT_EQ(slid->ups, 2);
  slider->slideMoveAction(Value(makeArray({Value(), Value(500.0)})));
  EXPECT_EQ(slider->ball()->frame().origin.x, 173);
  EXPECT_EQ(slider->steps(), 10);
}

}  // namespace
