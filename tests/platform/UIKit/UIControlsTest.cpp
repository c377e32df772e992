#include <gtest/gtest.h>

#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIEventDriver.h"
#include "UIKit/UIPageControl.h"
#include "UIKit/UIProgressView.h"
#include "UIKit/UISegmentedControl.h"
#include "UIKit/UISlider.h"
#include "UIKit/UISwitch.h"
#include "UIKitTestSupport.h"
#include "support/ui/ScreenDriver.h"

namespace {

using UIControlsTest = UIKitTest;

// Counts the value-changed actions of a control.
struct Changes {
  int count = 0;
  explicit Changes(UIControl& control) {
    control.addTarget(freeSelector("changed:", [this](const Value&) { ++count; }),
                      UIControlEventValueChanged);
  }
};

TEST_F(UIControlsTest, ASwitchFlipsOnATapAndFollowsADrag) {
  auto window = showWindow();
  auto toggle = std::make_shared<UISwitch>(CGRectMake(100, 100, 10, 10));
  EXPECT_EQ(toggle->frame(), CGRectMake(100, 100, 94, 27));
  window->addSubview(toggle);
  Changes changes(*toggle);
  ScreenDriver::tap(toggle);
  EXPECT_TRUE(toggle->isOn());
  EXPECT_EQ(changes.count, 1);
  toggle->setOn(false);  // by the program: no action
  EXPECT_EQ(changes.count, 1);
  // A drag that ends on the left, from off: stays off, says nothing.
  ScreenDriver::wait(1);
  ScreenDriver::drag(CGPointMake(180, 113), CGPointMake(110, 113), 0.3);
  EXPECT_FALSE(toggle->isOn());
  EXPECT_EQ(changes.count, 1);
  ScreenDriver::drag(CGPointMake(110, 113), CGPointMake(180, 113), 0.3);
  EXPECT_TRUE(toggle->isOn());
  EXPECT_EQ(changes.count, 2);
  EXPECT_EQ(toggle->dump(), "UISwitch frame=(100 100; 94 27) on\n");
}

TEST_F(UIControlsTest, ASegmentedControlSelectsTheSegmentAFingerLiftsOn) {
  auto window = showWindow();
  auto segments = std::make_shared<UISegmentedControl>(std::vector<std::string>{"大", "中", "小"});
  segments->setFrame(CGRectMake(10, 10, 300, 30));
  window->addSubview(segments);
  Changes changes(*segments);
  EXPECT_EQ(segments->selectedSegmentIndex(), UISegmentedControlNoSegment);
  ScreenDriver::tap(CGPointMake(260, 25));
  EXPECT_EQ(segments->selectedSegmentIndex(), 2);
  ScreenDriver::wait(1);
  ScreenDriver::tap(CGPointMake(260, 25));  // the selected one again: no change
  EXPECT_EQ(changes.count, 1);
  segments->setEnabledForSegmentAtIndex(false, 0);
  ScreenDriver::tap(CGPointMake(20, 25));
  EXPECT_EQ(segments->selectedSegmentIndex(), 2);
  segments->insertSegmentWithTitle("特", 0);
  EXPECT_EQ(segments->selectedSegmentIndex(), 3);
  EXPECT_EQ(segments->dump(),
            "UISegmentedControl frame=(10 10; 300 30) segments=[\"特\",\"大\",\"中\",\"小\"] "
            "selected=3\n");
  // Momentary: every tap tells, nothing stays selected.
  segments->setMomentary(true);
  segments->setSelectedSegmentIndex(UISegmentedControlNoSegment);
  int seen = -1;
  segments->addTarget(
      freeSelector("seen:", [&](const Value&) { seen = int(segments->selectedSegmentIndex()); }),
      UIControlEventValueChanged);
  ScreenDriver::wait(1);
  ScreenDriver::tap(CGPointMake(190, 25));  // "中"
  EXPECT_EQ(seen, 2);
  EXPECT_EQ(segments->selectedSegmentIndex(), UISegmentedControlNoSegment);
  EXPECT_EQ(changes.count, 2);
}

TEST_F(UIControlsTest, APageControlTurnsTowardsTheSideTapped) {
  auto window = showWindow();
  auto dots = std::make_shared<UIPageControl>(CGRectMake(0, 400, 320, 36));
  dots->setNumberOfPages(5);
  dots->setCurrentPage(2);
  window->addSubview(dots);
  Changes changes(*dots);
  ScreenDriver::tap(CGPointMake(250, 418));
  EXPECT_EQ(dots->currentPage(), 3);
  ScreenDriver::wait(1);
  ScreenDriver::tap(CGPointMake(40, 418));
  EXPECT_EQ(dots->currentPage(), 2);
  EXPECT_EQ(changes.count, 2);
  dots->setDefersCurrentPageDisplay(true);
  ScreenDriver::wait(1);
  ScreenDriver::tap(CGPointMake(250, 418));
  EXPECT_EQ(dots->currentPage(), 3);
  EXPECT_EQ(dots->displayedPage(), 2);
  dots->updateCurrentPageDisplay();
  EXPECT_EQ(dots->displayedPage(), 3);
  dots->setCurrentPage(99);
  EXPECT_EQ(dots->currentPage(), 4);
  dots->setHidesForSinglePage(true);
  dots->setNumberOfPages(1);
  EXPECT_TRUE(dots->isHidden());
  EXPECT_EQ(dots->sizeForNumberOfPages(3), CGSizeMake(3 * 6 + 2 * 10, 36));
}

TEST_F(UIControlsTest, ASliderFollowsAFingerThatTookItsThumb) {
  for (bool continuous : {true, false}) {
    UIApplicationDriver::reset();
    auto window = showWindow();
    auto slider = std::make_shared<UISlider>(CGRectMake(10, 100, 223, 40));
    slider->setContinuous(continuous);
    window->addSubview(slider);
    Changes changes(*slider);
    EXPECT_EQ(slider->frame().size.height, 23);
    // The thumb's middle at 11.5 points; 200 points of travel.
    ScreenDriver::drag(CGPointMake(10 + 11.5, 111), CGPointMake(10 + 111.5, 111), 0.3);
    EXPECT_FLOAT_EQ(slider->value(), 0.5f);
    if (continuous) {
      EXPECT_GT(changes.count, 10);
    } else {
      EXPECT_EQ(changes.count, 1);
    }
    // A tap on the track away from the thumb does nothing.
    int before = changes.count;
    ScreenDriver::wait(1);
    ScreenDriver::tap(CGPointMake(220, 111));
    EXPECT_FLOAT_EQ(slider->value(), 0.5f);
    EXPECT_EQ(changes.count, before);
  }
}

TEST_F(UIControlsTest, SpinnersAndProgressBarsTakeTheirStylesSizes) {
  struct Case {
    UIActivityIndicatorViewStyle style;
    CGFloat side;
  };
  for (const auto& c : std::vector<Case>{{UIActivityIndicatorViewStyle::WhiteLarge, 37},
                                         {UIActivityIndicatorViewStyle::White, 20},
                                         {UIActivityIndicatorViewStyle::Gray, 20}}) {
    UIActivityIndicatorView spinner(c.style);
    EXPECT_EQ(spinner.bounds().size, CGSizeMake(c.side, c.side));
  }
  auto spinner = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::Gray);
  spinner->setCenter({100, 100});
  spinner->setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle::WhiteLarge);
  EXPECT_EQ(spinner->frame(), CGRectMake(81.5, 81.5, 37, 37));
  EXPECT_TRUE(spinner->isHidden());
  spinner->startAnimating();
  EXPECT_FALSE(spinner->isHidden());
  EXPECT_TRUE(spinner->isAnimating());
  spinner->stopAnimating();
  EXPECT_TRUE(spinner->isHidden());
  spinner->setHidesWhenStopped(false);
  EXPECT_FALSE(spinner->isHidden());

  auto bar = std::make_shared<UIProgressView>(UIProgressViewStyle::Bar);
  EXPECT_EQ(bar->bounds().size.height, 11);
  bar->setProgress(1.5f);
  EXPECT_EQ(bar->progress(), 1.0f);
  bar->setProgress(-1);
  EXPECT_EQ(bar->progress(), 0.0f);
  bar->setProgress(0.25f, true);
  EXPECT_EQ(bar->dump(), "UIProgressView frame=(0 0; 150 11) progress=0.25\n");
}

}  // namespace
