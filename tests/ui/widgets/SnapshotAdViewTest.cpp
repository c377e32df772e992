// View snapshots, the advert strip with its close button, and the payload button.
#include <gtest/gtest.h>

#include "Common/Additions/UIImage+RawData.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/UIImage.h"
#include "WidgetTestSupport.h"
#include "support/ui/ScreenDriver.h"
#include "ui/widgets/CaptureView.h"

namespace {

class SnapshotAdViewTest : public widgettest::WindowTest {};

// Counts the taps it is sent.
class Receiver : public NSObject {
 public:
  int opened = 0;
  int closed = 0;
};

}  // namespace

TEST_F(SnapshotAdViewTest, ACaptureViewShowsTheOtherViewsPixelsAtItsFrame) {
  auto source = std::make_shared<UIView>(CGRectMake(10, 20, 30, 20));
  source->setBackgroundColor(UIColor::redColor());
  auto inner = std::make_shared<UIView>(CGRectMake(0, 0, 10, 10));
  inner->setBackgroundColor(UIColor::blueColor());
  source->addSubview(inner);
  window->addSubview(source);
  MainLoop::advance(0.1);

  auto capture = CaptureView::initWithView(source);
  EXPECT_EQ(capture->frame(), CGRectMake(10, 20, 30, 20));
  auto raw = rawImageData(capture->imageCapture());
  ASSERT_TRUE(raw);
  ASSERT_EQ(raw->size(), 30u * 20 * 4);
  // ARGB: blue at the top left, red beyond the inner view.
  EXPECT_EQ(raw->substr(0, 4), std::string("\xff\x00\x00\xff", 4));
  EXPECT_EQ(raw->substr((5 * 30 + 20) * 4, 4), std::string("\xff\xff\x00\x00", 4));

  // A new snapshot replaces the old one; the view draws it.
  inner->setBackgroundColor(UIColor::greenColor());
  MainLoop::advance(0.1);
  capture->settingImageFromView(source);
  EXPECT_EQ(uint8_t((*rawImageData(capture->imageCapture()))[2]), 255);
  // What the capture view draws is the snapshot: a snapshot of it has the same pixels.
  auto again = CaptureView::initWithView(capture);
  auto drawn = rawImageData(again->imageCapture());
  ASSERT_TRUE(drawn);
  EXPECT_EQ(drawn->substr(0, 4), std::string("\xff\x00\xff\x00", 4));
  EXPECT_EQ(drawn->substr((15 * 30 + 25) * 4, 4), std::string("\xff\xff\x00\x00", 4));
}

TEST_F(SnapshotAdViewTest, TheStripOpensOnAStillTapNotOnADragAndGetsOneCloseButton) {
  auto receiver = std::make_shared<Receiver>();
  std::weak_ptr<Receiver> weak = receiver;
  auto strip = UIAdView::initWithFrame(CGRectMake(0, 100, 320, 60));
  window->addSubview(strip);
  strip->addTarget(Selector("openAd", weak, [weak](const Value&) {
    if (auto r = weak.lock()) ++r->opened;
  }));
  auto close = Selector("adCloseAction:", weak, [weak](const Value&) {
    if (auto r = weak.lock()) ++r->closed;
  });
  strip->addCloseBtn(close);
  strip->addCloseBtn(close);
  EXPECT_TRUE(strip->needClose());
  ASSERT_EQ(strip->subviews().size(), 1u);
  EXPECT_EQ(strip->subviews()[0]->frame(), CGRectMake(250, 15, 30, 30));

  ASSERT_TRUE(ScreenDriver::drag(CGPointMake(100, 130), CGPointMake(160, 135)));
  EXPECT_EQ(receiver->opened, 0);
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(100, 130)));
  EXPECT_EQ(receiver->opened, 1);
  ASSERT_TRUE(ScreenDriver::tap(strip->subviews()[0]));
  EXPECT_EQ(receiver->closed, 1);
  EXPECT_EQ(receiver->opened, 1);

  // A strip whose receiver is gone does nothing on a tap.
  receiver.reset();
  EXPECT_TRUE(ScreenDriver::tap(CGPointMake(100, 130)));
}

TEST_F(SnapshotAdViewTest, ADataButtonHoldsItsPayloadWhileItLives) {
  auto payload = std::make_shared<NSObject>();
  std::weak_ptr<NSObject> watch = payload;
  auto button = std::make_shared<UIDataButton>(CGRectMake(0, 0, 60, 30));
  button->setDataItem(Value(payload));
  payload.reset();
  EXPECT_FALSE(watch.expired());
  EXPECT_EQ(button->dataItem().object(), watch.lock());
  button.reset();
  EXPECT_TRUE(watch.expired());
}
