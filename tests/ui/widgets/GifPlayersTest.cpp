// The two GIF players on the virtual clock: the queue that turns files into image-view
// animations (0.2 s a frame) and the view that decodes a frame every 0.05 s.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Common/Additions/UIImage+RawData.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/UIImageView.h"
#include "support/MainLoop.h"
#include "support/TestImages.h"
#include "ui/widgets/GifAnimatedShow.h"
#include "ui/widgets/UIGifView.h"

namespace fs = std::filesystem;

namespace {

// Palette colour i: a red level of 20 × i, so a frame tells its number by its red.
uint32_t colour(int i) {
  return uint32_t(20 * i) << 16;
}

// A GIF of `frames` frames of w × h, frame i filled with colour i, delays of 1 s (which the
// players ignore).
std::string gifPath(const std::string& name, int frames, int w = 10, int h = 10) {
  GIFSpec spec;
  spec.width = w;
  spec.height = h;
  for (int i = 0; i < 16; ++i) spec.palette.push_back(colour(i));
  spec.loopCount = 0;
  for (int i = 0; i < frames; ++i) {
    GIFFrameSpec f;
    f.width = w;
    f.height = h;
    f.indices.assign(size_t(w * h), uint8_t(i));
    f.delayCs = 100;
    spec.frames.push_back(f);
  }
  fs::path path = fs::path(std::getenv("ZEPT_HOME")) / (name + ".gif");
  std::ofstream(path, std::ios::binary) << writeGIF(spec);
  return path.string();
}

// The frame number a picture shows (its top-left pixel's red / 20), -1 for none.
int frameOf(const std::shared_ptr<UIImage>& image) {
  if (!image) return -1;
  auto raw = rawImageData(image);
  if (!raw || raw->size() < 4) return -1;
  return (uint8_t((*raw)[1]) + 10) / 20;
}

int frameOf(const CGImageRef& image) {
  return image ? frameOf(UIImage::imageWithCGImage(image)) : -1;
}

class GifPlayersTest : public ::testing::Test {
 protected:
  void SetUp() override { MainLoop::install(); }
};

}  // namespace

TEST_F(GifPlayersTest, TheGifViewShowsFramesOneTwoZeroAtAFrameEveryFiftiethOfASecond) {
  auto view = UIGifView::create(CGRectMake(0, 0, 10, 10), gifPath("three", 3));
  ASSERT_EQ(view->frameCount(), 3u);
  std::vector<int> shown{frameOf(view->layer()->contents())};
  for (int tick = 0; tick < 6; ++tick) {
    MainLoop::advance(0.05);
    shown.push_back(frameOf(view->layer()->contents()));
  }
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 0, 1, 2, 0, 1}));
  view->stopGif();
  MainLoop::advance(0.2);
  EXPECT_EQ(frameOf(view->layer()->contents()), 1);
}

TEST_F(GifPlayersTest, AOneFrameGifShowsItsFrameOnEveryTickAndAnUnreadableFileNothing) {
  auto one = UIGifView::create(CGRectMake(0, 0, 10, 10), gifPath("one", 1));
  for (int tick = 0; tick < 3; ++tick) {
    EXPECT_EQ(frameOf(one->layer()->contents()), 0);
    MainLoop::advance(0.05);
  }
  one->stopGif();
  fs::path bad = fs::path(std::getenv("ZEPT_HOME")) / "bad.gif";
  std::ofstream(bad) << "GIF89a but not really";
  auto none = UIGifView::create(CGRectMake(0, 0, 10, 10), bad.string());
  MainLoop::advance(0.2);
  EXPECT_EQ(none->layer()->contents(), nullptr);
  none->stopGif();
}

TEST_F(GifPlayersTest, TheQueueShowsTheStillAtOnceThenLoopsTenFramesEveryTwoSeconds) {
  // 100 wide, asked for 50: every picture is 50 × 25.
  auto view = GifAnimatedShow::getAnimationForGifAtName(gifPath("ten", 10, 100, 50),
                                                        CGRectMake(5, 6, 50, 80));
  EXPECT_EQ(view->frame(), CGRectMake(5, 6, 50, 80));
  ASSERT_NE(view->image(), nullptr);
  EXPECT_EQ(view->image()->size(), CGSizeMake(50, 25));
  EXPECT_EQ(frameOf(view->image()), 0);
  EXPECT_FALSE(view->isAnimating());
  EXPECT_TRUE(GifAnimatedShow::sharedInstance().busyDecoding());

  MainLoop::pump();
  EXPECT_FALSE(GifAnimatedShow::sharedInstance().busyDecoding());
  EXPECT_EQ(view->image(), nullptr);
  ASSERT_EQ(view->animationImages().size(), 10u);
  EXPECT_EQ(view->animationImages()[3]->size(), CGSizeMake(50, 25));
  EXPECT_TRUE(view->isAnimating());
  std::vector<int> shown;
  for (int step = 0; step < 12; ++step) {
    shown.push_back(frameOf(view->displayedImage()));
    MainLoop::advance(0.2);
  }
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1}));
}

TEST_F(GifPlayersTest, RequestsOfOnePassAreDecodedTogetherAndAnUnreadableFileLeavesAnEmptyView) {
  fs::path bad = fs::path(std::getenv("ZEPT_HOME")) / "bad.gif";
  std::ofstream(bad) << "not a picture";
  // A small picture is not enlarged: 20 × 10 in a frame 200 wide.
  auto first = GifAnimatedShow::getAnimationForGifAtName(gifPath("small", 2, 20, 10),
                                                         CGRectMake(0, 0, 200, 200));
  auto broken = GifAnimatedShow::getAnimationForGifAtName(bad.string(), CGRectMake(0, 0, 50, 50));
  auto second =
      GifAnimatedShow::getAnimationForGifAtName(gifPath("three", 3), CGRectMake(0, 0, 50, 50));
  EXPECT_EQ(first->image()->size(), CGSizeMake(20, 10));
  EXPECT_EQ(broken->image(), nullptr);
  MainLoop::pump();
  EXPECT_EQ(first->animationImages().size(), 2u);
  EXPECT_EQ(first->animationImages()[1]->size(), CGSizeMake(20, 10));
  EXPECT_DOUBLE_EQ(first->animationDuration(), 0.4);
  EXPECT_EQ(second->animationImages().size(), 3u);
  EXPECT_TRUE(broken->animationImages().empty());
  EXPECT_EQ(broken->displayedImage(), nullptr);
  EXPECT_FALSE(GifAnimatedShow::sharedInstance().busyDecoding());
}
