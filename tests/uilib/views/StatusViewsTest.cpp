// The library's status pieces: the error view's centred column, and progress of a sub-task
// mapped into its parent's.
#include <gtest/gtest.h>

#include "UIKit/UIImage.h"
#include "ViewsTestSupport.h"
#include "uilib/views/ULErrorView.h"
#include "uilib/views/ULRecursiveProgress.h"

namespace {

using StatusViewsTest = ViewsTest;

std::shared_ptr<UIImage> imageOfSize(size_t w, size_t h) {
  auto ctx = CGBitmapContext::create(nullptr, w, h, 8, 0, CGColorSpace::createDeviceRGB(),
                                     kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big);
  return std::make_shared<UIImage>(ctx->createImage(), 1, UIImageOrientation::Up);
}

TEST_F(StatusViewsTest, TheErrorViewCentresPictureTitleAndSubtitleAsOneColumn) {
  auto view = std::make_shared<ULErrorView>("Nothing here", "Pull to refresh", imageOfSize(40, 30));
  view->setFrame(CGRectMake(0, 0, 320, 400));
  view->layoutIfNeeded();
  const CGRect image = view->imageView()->frame(), title = view->titleView()->frame(),
               subtitle = view->subtitleView()->frame();
  EXPECT_FALSE(view->imageView()->isHidden());
  EXPECT_EQ(image.size, CGSizeMake(40, 30));
  const CGFloat column = 30 + 30 + title.size.height + 20 + subtitle.size.height;
  EXPECT_EQ(image.origin.y, std::floor(200 - column / 2));
  EXPECT_EQ(image.origin.x, 140);
  EXPECT_EQ(title.origin.y, image.origin.y + 30 + 30);
  EXPECT_EQ(subtitle.origin.y, title.origin.y + title.size.height + 20);
  EXPECT_EQ(title.origin.x, std::floor(160 - title.size.width / 2));
  EXPECT_EQ(subtitle.origin.x, std::floor(160 - subtitle.size.width / 2));
  EXPECT_LE(subtitle.size.width, 300);
}

TEST_F(StatusViewsTest, AnErrorViewTooShortForItsPictureHidesItAndCentresTheTexts) {
  auto view =
      std::make_shared<ULErrorView>("Nothing here", "Pull to refresh", imageOfSize(40, 200));
  view->setFrame(CGRectMake(0, 0, 320, 150));
  view->layoutIfNeeded();
  EXPECT_TRUE(view->imageView()->isHidden());
  const CGRect title = view->titleView()->frame(), subtitle = view->subtitleView()->frame();
  const CGFloat column = title.size.height + 20 + subtitle.size.height;
  EXPECT_EQ(title.origin.y, std::floor(75 - column / 2));
  EXPECT_EQ(subtitle.origin.y, title.origin.y + title.size.height + 20);
}

TEST_F(StatusViewsTest, AnEmptyTitleTakesNoRoomInTheColumn) {
  auto view = std::make_shared<ULErrorView>("", "Only this", nullptr);
  view->setFrame(CGRectMake(0, 0, 320, 100));
  view->layoutIfNeeded();
  const CGRect subtitle = view->subtitleView()->frame();
  EXPECT_EQ(subtitle.origin.y, std::floor(50 - subtitle.size.height / 2));
}

struct RecordingDelegate : ULRecursiveProgressDelegate {
  std::vector<float> reported;
  void didSetProgress(float percent) override { reported.push_back(percent); }
};

TEST_F(StatusViewsTest, NestedProgressReachesTheDelegateAsASliceOfItsParent) {
  RecordingDelegate delegate;
  auto root = ULRecursiveProgress::progressWithDelegate(&delegate);
  auto half = ULRecursiveProgress::progressWithParent(root.get(), 0, 0.5f);
  auto lastQuarterOfHalf = ULRecursiveProgress::progressWithParent(half.get(), 0.5f, 1);
  half->setPercent(0.5f);
  lastQuarterOfHalf->setPercent(0.5f);
  root->setPercent(1);
  EXPECT_EQ(delegate.reported, (std::vector<float>{0.25f, 0.375f, 1}));
  EXPECT_EQ(half->percentWidth(), 0.5f);
  EXPECT_EQ(half->percent(), 0);
}

}  // namespace
