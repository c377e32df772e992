// The menu bar's page indicator and the label pictures it shows: cut-out numerals made from
// a label's own render, or the bundle's "pageImgNum<n>" pictures when there are some.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Common/Additions/UIImage+RawData.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "WidgetTestSupport.h"
#include "ui/widgets/UILabel+Image.h"
#include "ui/widgets/UIPageView.h"

namespace fs = std::filesystem;

namespace {

// The picture the indicator makes of a page number in a label of the frame.
std::string numeralPixels(CGRect frame, const char* text) {
  auto label = std::make_shared<UILabel>(frame);
  label->setTextAlignment(UITextAlignmentCenter);
  label->setTextColor(UIColor::blackColor());
  label->setBackgroundColor(UIColor::whiteColor());
  label->setText(text);
  return rawImageData(getAlphaImage(*label)).value_or("");
}

std::string pixelsOf(const std::shared_ptr<UIImageView>& view) {
  return rawImageData(view->image()).value_or("");
}

struct PixelCounts {
  size_t clear = 0, white = 0, other = 0;
};

PixelCounts countPixels(const std::string& argb) {
  PixelCounts c;
  for (size_t i = 0; i + 3 < argb.size(); i += 4) {
    auto a = uint8_t(argb[i]), r = uint8_t(argb[i + 1]);
    if (a == 0)
      ++c.clear;
    else if (r == 255)
      ++c.white;
    else
      ++c.other;
  }
  return c;
}

class PageViewTest : public widgettest::WindowTest {};

}  // namespace

TEST_F(PageViewTest, ANewIndicatorShowsTheNumeralOneOnTheLeftAndASmallTwoOnTheRight) {
  auto page = UIPageView::initWithFrame(CGRectMake(100, 10, 30, 30));
  page->setTag(70);
  window->addSubview(page);
  EXPECT_EQ(page->curPage(), 1);
  EXPECT_EQ(page->pageCount(), 2);
  EXPECT_EQ(page->nearPage(), 2);
  EXPECT_FALSE(page->curIsInRight());
  EXPECT_EQ(page->dump(),
            "UIPageView frame=(100 10; 30 30) tag=70\n"
            "  UIView frame=(6 28; 24 2)\n"
            "  UILabel frame=(22 7.5; 8 22.5) text=\"2\"\n"
            "  UIImageView frame=(14 0; 16 22.5) alpha=0\n"
            "  UILabel frame=(6 7.5; 8 22.5) alpha=0 text=\"1\"\n"
            "  UIImageView frame=(6 0; 16 22.5)\n");
  // The picture-only labels stay off the screen.
  EXPECT_EQ(page->leftImgLabel()->superview(), nullptr);
  EXPECT_EQ(page->rightImgLabel()->frame(), CGRectMake(14, 0, 16, 22.5));
  EXPECT_EQ(pixelsOf(page->leftImageV()), numeralPixels(CGRectMake(6, 0, 16, 22.5), "1"));
  EXPECT_EQ(pixelsOf(page->rightImageV()), numeralPixels(CGRectMake(14, 0, 16, 22.5), "2"));
}

TEST_F(PageViewTest, PagingUpPutsTheNewNumeralRightAndPagingDownPutsItLeftInHalfASecond) {
  auto page = UIPageView::initWithFrame(CGRectMake(0, 0, 30, 30));
  window->addSubview(page);

  page->setCurPage(2);
  auto running = UIView::runningAnimations();
  ASSERT_EQ(running.size(), 1u);
  EXPECT_EQ(running[0].duration, 0.5);
  EXPECT_EQ(running[0].curve, UIViewAnimationCurve::Linear);
  EXPECT_EQ(running[0].transition, UIViewAnimationTransition::None);
  MainLoop::advance(0.6);
  EXPECT_TRUE(UIView::runningAnimations().empty());
  EXPECT_TRUE(page->curIsInRight());
  EXPECT_EQ(page->curPage(), 2);
  EXPECT_EQ(page->nearPage(), 1);
  EXPECT_EQ(page->rightImageV()->alpha(), 1);
  EXPECT_EQ(page->leftImageV()->alpha(), 0);
  EXPECT_EQ(page->leftLabel()->alpha(), 1);
  EXPECT_EQ(page->rightLabel()->alpha(), 0);
  EXPECT_EQ(page->leftLabel()->text(), "1");
  EXPECT_EQ(pixelsOf(page->rightImageV()), numeralPixels(page->rightImgLabel()->frame(), "2"));

  page->setCurPage(3);
  MainLoop::advance(0.6);
  EXPECT_EQ(page->leftLabel()->text(), "2");
  EXPECT_EQ(pixelsOf(page->rightImageV()), numeralPixels(page->rightImgLabel()->frame(), "3"));

  page->setCurPage(1);
  MainLoop::advance(0.6);
  EXPECT_FALSE(page->curIsInRight());
  EXPECT_EQ(page->curPage(), 1);
  EXPECT_EQ(page->nearPage(), 2);
  EXPECT_EQ(page->leftImageV()->alpha(), 1);
  EXPECT_EQ(page->rightImageV()->alpha(), 0);
  EXPECT_EQ(page->leftLabel()->alpha(), 0);
  EXPECT_EQ(page->rightLabel()->alpha(), 1);
  EXPECT_EQ(page->rightLabel()->text(), "3");
  EXPECT_EQ(pixelsOf(page->leftImageV()), numeralPixels(page->leftImgLabel()->frame(), "1"));
}

TEST_F(PageViewTest, ALabelsPictureKeepsOnlyItsWhitePixelsSoTheNumeralIsCutOut) {
  auto label = std::make_shared<UILabel>(CGRectMake(0, 0, 40, 30));
  label->setTextAlignment(UITextAlignmentCenter);
  label->setTextColor(UIColor::blackColor());
  label->setBackgroundColor(UIColor::whiteColor());
  label->setText("4");
  auto plain = rawImageData(createImage(*label)).value_or("");
  auto cut = rawImageData(getAlphaImage(*label)).value_or("");
  ASSERT_EQ(plain.size(), 40u * 30 * 4);
  ASSERT_EQ(cut.size(), plain.size());
  // Every pixel whose red byte is 255 is kept as it was; every other one is cleared.
  for (size_t i = 0; i < plain.size(); i += 4) {
    if (uint8_t(plain[i + 1]) == 255)
      ASSERT_EQ(cut.substr(i, 4), plain.substr(i, 4)) << "pixel " << i / 4;
    else
      ASSERT_EQ(uint8_t(cut[i]), 0) << "pixel " << i / 4;
  }
  PixelCounts counts = countPixels(cut);
  EXPECT_GT(counts.clear, 20u);   // the numeral's strokes and their edges
  EXPECT_GT(counts.white, 900u);  // the background
  EXPECT_EQ(counts.other, 0u);
}

// A bundle of its own with "pageImgNum2" only, beside the app's font configuration (the
// numerals it lacks are rendered); each test runs in its own process, before anything reads
// the bundle.
TEST(PageViewBundleTest, TheBundlesPageNumeralIsUsedForOneToThreeWhenItExists) {
  MainLoop::install();
  fs::path dir = fs::path(std::getenv("ZEPT_HOME")) / "bundle";
  fs::create_directories(dir);
  fs::create_directory_symlink(fs::path(ZEPT_RESOURCES_DIR) / "fonts", dir / "fonts");
  std::string argb;
  for (int i = 0; i < 7 * 9; ++i) argb += std::string("\xff\x10\x20\x30", 4);
  auto png = UIImagePNGRepresentation(imageWithRawImageData(argb, 7, 9));
  ASSERT_TRUE(png);
  std::ofstream(dir / "pageImgNum2.png", std::ios::binary) << *png;
  setenv("ZEPT_RESOURCES", dir.c_str(), 1);

  struct Case {
    const char* text;
    bool bundled;
  };
  for (Case c : {Case{"2", true}, Case{"4", false}, Case{"1", false}, Case{"02", false}}) {
    auto label = std::make_shared<UILabel>(CGRectMake(0, 0, 16, 22));
    label->setText(c.text);
    auto image = getAlphaImage(*label);
    ASSERT_NE(image, nullptr) << c.text;
    EXPECT_EQ(image->size().width == 7 && image->size().height == 9, c.bundled) << c.text;
    if (c.bundled) {
      EXPECT_EQ(rawImageData(image).value_or(""), argb);
    }
  }
}
