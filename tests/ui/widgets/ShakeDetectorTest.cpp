// The shake detector on the virtual clock: samples handed in through the shared accelerometer,
// the driver's shake, the lockout between shakes and the threshold.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "UIKit/UIEventDriver.h"
#include "support/MainLoop.h"
#include "support/ui/ScreenDriver.h"
#include "ui/widgets/AccelerometerHelper.h"
#include "ui/widgets/WidgetTestSupport.h"

namespace {

class Listener : public AccelerometerHelperDelegate {
 public:
  int pings = 0, shakes = 0;
  void ping() override { ++pings; }
  void shake() override { ++shakes; }
};

class ShakeDetectorTest : public widgettest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    helper = AccelerometerHelper::sharedInstance();
    helper->setTriggerTime(MainLoop::now());  // as if made now, on this test's clock
    helper->setDelegate(listener);
  }
  // A strong swing: a quarter turn of the device and a stop.
  static void swing() {
    UIEventDriver::accelerate(0, 0, -1);
    UIEventDriver::accelerate(1, 0, 0);
    UIEventDriver::accelerate(1, 0, 0);
  }
  std::shared_ptr<AccelerometerHelper> helper;
  std::shared_ptr<Listener> listener = std::make_shared<Listener>();
};

TEST_F(ShakeDetectorTest, TheFirstTwoSamplesNeverTriggerAndEverySamplePings) {
  EXPECT_EQ(helper->sensitivity(), 0.8f);
  EXPECT_EQ(helper->lockout(), 1.5);
  MainLoop::advance(2);  // the lockout from the detector's making is over
  UIEventDriver::accelerate(0, 0, -1);
  EXPECT_EQ(helper->dAngle(), AccelerometerHelper::kNoSample);
  UIEventDriver::accelerate(1, 0, 0);  // a quarter turn, but only two samples
  EXPECT_EQ(helper->dAngle(), AccelerometerHelper::kNoSample);
  EXPECT_EQ(listener->shakes, 0);
  UIEventDriver::accelerate(1, 0, 0);
  EXPECT_NEAR(helper->dAngle(), M_PI / 2, 1e-6);
  EXPECT_EQ(listener->shakes, 1);
  EXPECT_EQ(listener->pings, 3);
}

TEST_F(ShakeDetectorTest, SwingsInsideTheLockoutCountOnce) {
  struct Case {
    double apart;
    int shakes;
  } cases[] = {{1.0, 1}, {1.6, 2}};
  double wait = 2;  // past the lockout that starts when the detector is made
  for (const Case& c : cases) {
    listener->shakes = 0;
    MainLoop::advance(wait);
    swing();
    MainLoop::advance(c.apart);
    swing();
    EXPECT_EQ(listener->shakes, c.shakes) << c.apart << " s apart";
  }
}

TEST_F(ShakeDetectorTest, NoShakeWithinTheLockoutOfTheDetectorsMaking) {
  // The detector was made at the start of this test; 1.4 s later is too soon.
  MainLoop::advance(1.4);
  swing();
  EXPECT_EQ(listener->shakes, 0);
  MainLoop::advance(0.2);
  swing();
  EXPECT_EQ(listener->shakes, 1);
}

TEST_F(ShakeDetectorTest, AChangeOfDirectionMustBeGreaterThanTheThreshold) {
  MainLoop::advance(2);
  // A turn of 1 rad between the first two samples, then none.
  auto turn = [] {
    UIEventDriver::accelerate(0, 1, 0);
    UIEventDriver::accelerate(0, std::cos(1.0), std::sin(1.0));
    UIEventDriver::accelerate(0, std::cos(1.0), std::sin(1.0));
  };
  turn();
  const float d = helper->dAngle();
  ASSERT_NEAR(d, 1.0, 1e-3);
  EXPECT_EQ(listener->shakes, 1);  // above 0.8

  helper->setSensitivity(d);  // exactly the change: not greater
  MainLoop::advance(2);
  turn();
  EXPECT_EQ(listener->shakes, 1);
  helper->setSensitivity(std::nextafter(d, 0.f));
  MainLoop::advance(2);
  turn();
  EXPECT_EQ(listener->shakes, 2);
}

TEST_F(ShakeDetectorTest, TheDriversShakeAndASampleOfLengthZero) {
  MainLoop::advance(2);
  ASSERT_TRUE(ScreenDriver::shake());  // also what the window's shake key sends
  EXPECT_EQ(listener->shakes, 1);
  MainLoop::advance(2);
  for (int i = 0; i < 3; ++i) UIEventDriver::accelerate(0, 0, 0);  // free fall
  EXPECT_EQ(listener->shakes, 1);
  EXPECT_TRUE(std::isnan(helper->dAngle()));
}

}  // namespace

namespace {

TEST_F(ShakeDetectorTest, ASwingThatEndsAtRestCountsWhateverTheRounding) {
  MainLoop::advance(2);
  // Equal samples whose quotient rounds above 1 in single precision.
  UIEventDriver::accelerate(1, 0, 0);
  UIEventDriver::accelerate(0, std::cos(1.0), std::sin(1.0));
  UIEventDriver::accelerate(0, std::cos(1.0), std::sin(1.0));
  EXPECT_FALSE(std::isnan(helper->dAngle()));
  EXPECT_EQ(listener->shakes, 1);
}

}  // namespace
