// Bar and keyboard heights, transforms and content frames on a phone and on a pad.
#include <gtest/gtest.h>

#include <cmath>

#include "UIKit/UIApplication.h"
#include "UIKit/UIDevice.h"
#include "uilib/screen/ULOrientation.h"

namespace {

using O = UIInterfaceOrientation;

void setIdiom(UIUserInterfaceIdiom idiom) {
  UIDeviceProfile profile = UIDevice::profile();
  profile.userInterfaceIdiom = idiom;
  UIDevice::setProfile(profile);
}

double angleOf(const CGAffineTransform& t) {
  return std::atan2(t.b, t.a);
}

}  // namespace

TEST(ULOrientation, APhoneTurnsToThreeOfFourOrientations) {
  setIdiom(UIUserInterfaceIdiom::Phone);
  EXPECT_FALSE(ULDeviceIsPad());
  struct Case {
    int orientation;
    bool supported;
    CGFloat toolbar, keyboard;
    double angle;
  };
  const Case cases[] = {
      {1, true, 44, 216, 0},         {2, false, 44, 216, -M_PI}, {3, true, 33, 160, M_PI / 2},
      {4, true, 33, 160, -M_PI / 2}, {0, false, 33, 160, 0},     {5, false, 33, 160, 0},
  };
  for (auto& c : cases) {
    O o = O(c.orientation);
    SCOPED_TRACE(c.orientation);
    EXPECT_EQ(ULOrientationIsSupported(o), c.supported);
    EXPECT_EQ(ULToolbarHeightFor(o), c.toolbar);
    EXPECT_EQ(ULKeyboardHeightFor(o), c.keyboard);
    // 3π/2 and −π read back as −π/2 and ±π.
    double angle = angleOf(ULTransformForOrientation(o));
    if (c.orientation == 2) angle = -std::fabs(angle);
    EXPECT_NEAR(angle, c.angle, 1e-9);
  }
  EXPECT_EQ(ULTransformForOrientation(O(0)), CGAffineTransformIdentity);
}

TEST(ULOrientation, APadSupportsEveryOrientationWithTallerBars) {
  setIdiom(UIUserInterfaceIdiom::Pad);
  EXPECT_TRUE(ULDeviceIsPad());
  for (int o = 0; o <= 5; ++o) {
    EXPECT_TRUE(ULOrientationIsSupported(O(o)));
    EXPECT_EQ(ULToolbarHeightFor(O(o)), 44);
  }
  EXPECT_EQ(ULKeyboardHeightFor(O::Portrait), 264);
  EXPECT_EQ(ULKeyboardHeightFor(O::LandscapeRight), 352);
  EXPECT_EQ(ULKeyboardHeightFor(O::LandscapeLeft), 352);
}

TEST(ULOrientation, FramesFollowTheStatusBarsOrientation) {
  setIdiom(UIUserInterfaceIdiom::Phone);
  auto app = UIApplication::sharedApplication();
  EXPECT_EQ(ULCurrentOrientation(), O::Portrait);
  EXPECT_EQ(ULOrientedScreenBounds(), CGRectMake(0, 0, 320, 480));
  EXPECT_EQ(ULContentFrameBelowBar(), CGRectMake(0, 0, 320, 416));
  EXPECT_EQ(ULContentFrameBetweenBars(), CGRectMake(0, 0, 320, 372));
  EXPECT_EQ(ULContentFrameAboveKeyboard(), CGRectMake(0, 0, 320, 200));
  EXPECT_EQ(ULStatusBarHeightFromFrame(), 20);
  EXPECT_EQ(ULNavigationBarBottom(), 64);
  EXPECT_EQ(ULCurrentToolbarHeight(), 44);
  EXPECT_EQ(ULCurrentKeyboardHeight(), 216);

  app->setStatusBarOrientation(O::LandscapeLeft);
  EXPECT_EQ(ULOrientedScreenBounds(), CGRectMake(0, 0, 480, 320));
  EXPECT_EQ(ULStatusBarHeightFromFrame(), 20);
  EXPECT_EQ(ULContentFrameBelowBar(), CGRectMake(0, 0, 300, 447));
  EXPECT_EQ(ULNavigationBarBottom(), 53);
  EXPECT_EQ(ULCurrentKeyboardHeight(), 160);

  // With no status bar orientation the fall-back decides.
  app->setStatusBarOrientation(O(0));
  ULSetCurrentOrientationFallback([] { return O::LandscapeRight; });
  EXPECT_EQ(ULCurrentOrientation(), O::LandscapeRight);
  ULSetCurrentOrientationFallback(nullptr);
  EXPECT_EQ(ULCurrentOrientation(), O::Portrait);
  app->setStatusBarOrientation(O::Portrait);
}
