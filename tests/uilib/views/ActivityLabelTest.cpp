// The activity label: its default look, the bezel box and its width limit, and smoothed
// progress on the virtual clock.
#include <gtest/gtest.h>

#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIColor.h"
#include "ViewsTestSupport.h"
#include "uilib/style/UIFont+ULCategory.h"
#include "uilib/views/ULActivityLabel.h"

namespace {

using ActivityLabelTest = ViewsTest;

TEST_F(ActivityLabelTest, APlainLabelFillsItsFrameWithAWhiteBoxWithoutBezelAndSpins) {
  auto window = showWindow();
  auto label = std::make_shared<ULActivityLabel>(CGRectMake(0, 100, 320, 60));
  label->setText("Loading...");
  window->addSubview(label);
  label->layoutIfNeeded();
  EXPECT_EQ(label->style(), 6);
  EXPECT_TRUE(label->isAnimating());
  EXPECT_EQ(label->bezelView()->style(), nullptr);
  EXPECT_TRUE(CGRectEqualToRect(label->bezelView()->frame(), CGRectMake(0, 0, 320, 60)));
  FramePixels f(window->compositeFrame());
  EXPECT_EQ(f.at(2, 102), (Pixel{255, 255, 255, 255}));
  EXPECT_EQ(f.at(318, 158), (Pixel{255, 255, 255, 255}));
  // Spinner, a gap of 6, then the text, all centred.
  const CGRect text = label->label()->frame(), spinner = label->activityIndicator()->frame();
  EXPECT_GT(spinner.size.width, 0);
  EXPECT_EQ(text.origin.x, spinner.origin.x + spinner.size.width + 6);
  EXPECT_NEAR(spinner.origin.x + (CGRectGetMaxX(text) - spinner.origin.x) / 2, 160, 1);

  label->setIsAnimating(false);
  label->setNeedsLayout();
  label->layoutIfNeeded();
  EXPECT_EQ(label->activityIndicator()->frame().size.width, 0);
}

TEST_F(ActivityLabelTest, ABezelTooWideForTheScreenIsCutAndTheTextTruncatedInsideItsInset) {
  auto label =
      std::make_shared<ULActivityLabel>(CGRectMake(0, 0, 320, 480), 3, std::string(200, 'w'));
  label->layoutIfNeeded();
  const CGRect bezel = label->bezelView()->frame();
  EXPECT_EQ(bezel.size.width, 300);
  EXPECT_EQ(bezel.origin.x, 10);
  const CGRect text = label->label()->frame(), spinner = label->activityIndicator()->frame();
  EXPECT_GE(spinner.origin.x, 0);
  EXPECT_LE(CGRectGetMaxX(text), 300 - 15);
  EXPECT_EQ(text.size.width, 300 - (spinner.size.width + 6) - 30);
}

TEST_F(ActivityLabelTest, ABezelBoxIsTheContentAndItsInsetCentredInTheView) {
  auto label = std::make_shared<ULActivityLabel>(CGRectMake(0, 0, 320, 480), 5, "Saving");
  label->layoutIfNeeded();
  const CGSize text = sizeWithFont("Saving", label->font());
  const CGFloat s = label->activityIndicator()->frame().size.height;
  const CGRect bezel = label->bezelView()->frame();
  EXPECT_EQ(bezel.size, CGSizeMake(s + 6 + text.width + 30, std::max(s, text.height) + 30));
  EXPECT_EQ(bezel.origin.x, std::floor(160 - bezel.size.width / 2));
  EXPECT_EQ(label->sizeThatFits(CGSizeMake(200, 0)),
            CGSizeMake(200, 30 + ulLineHeight(*label->font())));
}

TEST_F(ActivityLabelTest, SmoothedProgressStepsByAHundredthEveryHundredthOfASecondThenStops) {
  auto label = std::make_shared<ULActivityLabel>(CGRectMake(0, 0, 320, 100), 6);
  label->setSmoothesProgress(true);
  label->setProgress(0.05f);
  ASSERT_NE(label->progressView(), nullptr);
  EXPECT_EQ(label->progressView()->progress(), 0);
  MainLoop::advance(0.01);
  EXPECT_NEAR(label->progressView()->progress(), 0.01, 1e-4);
  MainLoop::advance(0.03);
  EXPECT_NEAR(label->progressView()->progress(), 0.04, 1e-4);
  MainLoop::advance(0.1);
  EXPECT_EQ(label->progressView()->progress(), 0.05f);
  EXPECT_EQ(label->smoothingTimer(), nullptr);

  // A lower value set meanwhile stops the timer at the next tick.
  label->setProgress(0.5f);
  MainLoop::advance(0.02);
  const float reached = label->progressView()->progress();
  label->setProgress(0.01f);
  MainLoop::advance(0.01);
  EXPECT_EQ(label->smoothingTimer(), nullptr);
  MainLoop::advance(0.1);
  EXPECT_EQ(label->progressView()->progress(), reached);
}

TEST_F(ActivityLabelTest, UnsmoothedProgressSetsTheBarAtOnceAndMakesRoomForIt) {
  auto label = std::make_shared<ULActivityLabel>(CGRectMake(0, 0, 320, 100), 6, "Up");
  const CGFloat before = label->sizeThatFits(CGSizeMake(320, 0)).height;
  label->setProgress(0.4f);
  EXPECT_EQ(label->progressView()->progress(), 0.4f);
  EXPECT_EQ(label->sizeThatFits(CGSizeMake(320, 0)).height,
            before + label->progressView()->sizeThatFits(CGSizeZero).height + 6);
  label->layoutIfNeeded();
  EXPECT_EQ(label->progressView()->frame().origin.x, 6);
  EXPECT_EQ(label->progressView()->frame().size.width, 308);
  EXPECT_GT(label->label()->frame().origin.y, label->progressView()->frame().origin.y);
}

}  // namespace
