// Composed views against PNG goldens, pixel for pixel, at the screen's scale of 2.  Re-make the
// goldens with:  ZEPT_UPDATE_GOLDENS=1 ctest --preset default -R GoldenTest
// and look at tests/platform/UIKit/goldens/*.png before committing them.
#include <gtest/gtest.h>

#include "ImageIO/CGImageSource.h"
#include "QuartzCore/CAGradientLayer.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIPageControl.h"
#include "UIKit/UIProgressView.h"
#include "UIKit/UISegmentedControl.h"
#include "UIKit/UISlider.h"
#include "UIKit/UISwitch.h"
#include "UIKit/UITableViewCell.h"
#include "UIKit/UITextField.h"
#include "UIKitTestSupport.h"
#include "support/TestImages.h"
#include "support/ui/GoldenImage.h"

namespace {

class GoldenTest : public UIKitTest {
 protected:
  void SetUp() override {
    UIKitTest::SetUp();
    TextMeasurer::setCurrent(nullptr);  // the bundled font
  }
};

// The view and its subviews as a snapshot would take them: its layer rendered into an image
// context of its size at scale 2.
CGImageRef snapshot(const std::shared_ptr<UIView>& view) {
  view->layoutIfNeeded();
  UIGraphicsBeginImageContextWithOptions(view->bounds().size, true, 2);
  auto ctx = UIGraphicsGetCurrentContext();
  ctx->translateCTM(-view->frame().origin.x, -view->frame().origin.y);
  view->layer()->renderInContext(ctx);
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return image->CGImage();
}

std::shared_ptr<UIView> canvas(CGFloat w, CGFloat h) {
  auto v = std::make_shared<UIView>(CGRectMake(0, 0, w, h));
  v->setBackgroundColor(UIColor::colorWithWhite(0.93, 1));
  return v;
}

// A 30 × 30 button picture: a rounded, bordered, top-lit plate, to be stretched with a left cap
// of 10 points.
std::shared_ptr<UIImage> plate(CGFloat r, CGFloat g, CGFloat b) {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(30, 30), false, 2);
  auto ctx = UIGraphicsGetCurrentContext();
  CGPath outline;
  outline.addRoundedRect(nullptr, CGRectMake(1, 1, 28, 28), 8, 8);
  ctx->saveGState();
  ctx->addPath(outline);
  ctx->clip();
  auto light = CGGradient::createWithColorComponents(
      CGColorSpace::createDeviceRGB(),
      {std::min(1.0, r + 0.25), std::min(1.0, g + 0.25), std::min(1.0, b + 0.25), 1, r, g, b, 1},
      {}, 2);
  ctx->drawLinearGradient(light, CGPointMake(0, 1), CGPointMake(0, 29), 0);
  ctx->restoreGState();
  ctx->addPath(outline);
  ctx->setRGBStrokeColor(r * 0.6, g * 0.6, b * 0.6, 1);
  ctx->setLineWidth(1.5);
  ctx->strokePath();
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return image->stretchableImageWithLeftCapWidth(10, 0);
}

TEST_F(GoldenTest, AStretchedImageButtonInItsThreeStates) {
  auto view = canvas(390, 64);
  auto normal = plate(0.2, 0.45, 0.8), selected = plate(0.85, 0.35, 0.25);
  const char* names[] = {"normal", "highlighted", "selected"};
  for (int i = 0; i < 3; ++i) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(CGRectMake(10 + i * 125, 10, 120, 44));
    button->setBackgroundImage(normal, UIControlStateNormal);
    button->setBackgroundImage(selected, UIControlStateSelected);
    button->setTitle("返回 Back", UIControlStateNormal);
    button->setTitleColor(UIColor::colorWithWhite(0.85, 1), UIControlStateHighlighted);
    button->setTitleShadowColor(UIColor::colorWithWhite(0, 0.5), UIControlStateNormal);
    button->setTitleShadowOffset(CGSizeMake(0, -1));
    if (i == 1) button->setHighlighted(true);
    if (i == 2) button->setSelected(true);
    SCOPED_TRACE(names[i]);
    view->addSubview(button);
  }
  EXPECT_TRUE(matchesGolden(snapshot(view), "button_states"));
}

TEST_F(GoldenTest, ARoundedBorderedViewWithAShadowAndAGradient) {
  auto view = canvas(260, 180);
  // The shadow is cast by a rounded plate; the gradient inside is clipped to the same corners.
  auto card = std::make_shared<UIView>(CGRectMake(30, 30, 200, 110));
  card->setBackgroundColor(UIColor::whiteColor());
  card->layer()->setCornerRadius(14);
  card->layer()->setShadowOpacity(0.45f);
  card->layer()->setShadowOffset(CGSizeMake(0, 5));
  card->layer()->setShadowRadius(8);
  auto face = std::make_shared<UIView>(card->bounds());
  face->layer()->setCornerRadius(14);
  face->setClipsToBounds(true);
  face->layer()->setBorderWidth(2);
  face->layer()->setBorderColor(UIColor::colorWithRed(0.15, 0.3, 0.5, 1)->CGColor());
  auto gradient = CAGradientLayer::layer();
  gradient->setFrame(face->bounds());
  gradient->setColors({UIColor::colorWithRed(0.55, 0.8, 0.95, 1)->CGColor(),
                       UIColor::colorWithRed(0.1, 0.35, 0.7, 1)->CGColor()});
  gradient->setStartPoint(CGPointMake(0, 0.5));
  gradient->setEndPoint(CGPointMake(1, 0.5));
  face->layer()->insertSublayer(gradient, 0);
  card->addSubview(face);
  view->addSubview(card);
  EXPECT_TRUE(matchesGolden(snapshot(view), "rounded_shadow_gradient"));
}

TEST_F(GoldenTest, TheThirdFrameOfAGIF) {
  // 24 × 16: frame 0 a sky with a sun; frame 1 a red kite that goes back to the background
  // afterwards; frame 2 a green hill whose transparent pixels show what is below.
  GIFSpec spec;
  spec.width = 24;
  spec.height = 16;
  spec.palette = {0x87CEEB, 0xFFD700, 0xD0312D, 0x2E8B57, 0xFFFFFF, 0x000000};
  GIFFrameSpec sky;
  sky.width = 24;
  sky.height = 16;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 24; ++x)
      sky.indices.push_back((x - 18) * (x - 18) + (y - 4) * (y - 4) <= 9 ? 1 : 0);
  GIFFrameSpec kite;
  kite.left = 4;
  kite.top = 2;
  kite.width = 6;
  kite.height = 6;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x)
      kite.indices.push_back(std::abs(x - 2.5) + std::abs(y - 2.5) <= 3 ? 2 : 4);
  kite.transparent = 4;
  kite.disposal = 2;
  GIFFrameSpec hill;
  hill.top = 8;
  hill.width = 24;
  hill.height = 8;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 24; ++x) hill.indices.push_back((x - 10) * (x - 10) / 12 + 2 <= y ? 3 : 4);
  hill.transparent = 4;
  hill.interlaced = true;
  spec.frames = {sky, kite, hill};
  auto source = CGImageSource::createWithData(writeGIF(spec));
  ASSERT_NE(source, nullptr);
  ASSERT_EQ(source->count(), 3u);
  auto frame = UIImage::imageWithCGImage(source->createImageAtIndex(2), 1);

  auto view = canvas(120, 90);
  auto imageView = std::make_shared<UIImageView>(CGRectMake(12, 13, 96, 64));
  imageView->layer()->setMagnificationFilter(kCAFilterNearest);  // sharp pixels
  imageView->setImage(frame);
  view->addSubview(imageView);
  EXPECT_TRUE(matchesGolden(snapshot(view), "gif_third_frame"));
}

TEST_F(GoldenTest, ALabelWithCJKAndLatinTextWrappedAndTruncated) {
  auto view = canvas(260, 150);
  auto wrapped = std::make_shared<UILabel>(CGRectMake(10, 10, 240, 80));
  wrapped->setNumberOfLines(3);
  wrapped->setFont(UIFont::systemFontOfSize(15));
  wrapped->setTextColor(UIColor::colorWithRed(0.1, 0.1, 0.2, 1));
  wrapped->setBackgroundColor(UIColor::whiteColor());
  wrapped->setText(
      "【行业信用评价】Industry credit ratings published: 86家企业获评AAA级，"
      "结果将向社会公开并动态更新，其余企业将在下一轮评价中 re-assessed.");
  view->addSubview(wrapped);
  auto single = std::make_shared<UILabel>(CGRectMake(10, 100, 240, 36));
  single->setFont(UIFont::boldSystemFontOfSize(17));
  single->setTextAlignment(UITextAlignmentCenter);
  single->setLineBreakMode(UILineBreakModeMiddleTruncation);
  single->setTextColor(UIColor::whiteColor());
  single->setShadowColor(UIColor::colorWithWhite(0, 0.6));
  single->setShadowOffset(CGSizeMake(0, 1));
  single->setBackgroundColor(UIColor::colorWithRed(0.2, 0.45, 0.8, 1));
  single->setText("孕婴童资讯 · Mother & Baby Industry Weekly Review");
  view->addSubview(single);
  EXPECT_TRUE(matchesGolden(snapshot(view), "label_cjk_latin"));
}

TEST_F(GoldenTest, TheControlsTextFieldsAndCellsThatTakeTouches) {
  auto view = canvas(320, 330);
  auto on = std::make_shared<UISwitch>(CGRectMake(10, 10, 0, 0));
  on->setOn(true);
  view->addSubview(on);
  view->addSubview(std::make_shared<UISwitch>(CGRectMake(120, 10, 0, 0)));
  auto spinner = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::Gray);
  spinner->setCenter({260, 23});
  spinner->startAnimating();
  view->addSubview(spinner);
  auto segments = std::make_shared<UISegmentedControl>(std::vector<std::string>{"大", "中", "小"});
  segments->setFrame(CGRectMake(10, 50, 300, 30));
  segments->setSelectedSegmentIndex(1);
  view->addSubview(segments);
  auto slider = std::make_shared<UISlider>(CGRectMake(10, 90, 300, 23));
  slider->setValue(0.3f);
  view->addSubview(slider);
  auto progress = std::make_shared<UIProgressView>(CGRectMake(10, 125, 300, 9));
  progress->setProgress(0.6f);
  view->addSubview(progress);
  auto empty = std::make_shared<UITextField>(CGRectMake(10, 145, 300, 31));
  empty->setBorderStyle(UITextBorderStyle::RoundedRect);
  empty->setFont(UIFont::systemFontOfSize(15));
  empty->setPlaceholder("说点什么");
  view->addSubview(empty);
  auto filled = std::make_shared<UITextField>(CGRectMake(10, 185, 300, 31));
  filled->setBorderStyle(UITextBorderStyle::Line);
  filled->setFont(UIFont::systemFontOfSize(15));
  filled->setText("你好 hello");
  view->addSubview(filled);
  auto cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::Value1);
  cell->setFrame(CGRectMake(0, 226, 320, 44));
  cell->textLabel()->setText("字体大小");
  cell->detailTextLabel()->setText("中");
  cell->setAccessoryType(UITableViewCellAccessoryType::DisclosureIndicator);
  view->addSubview(cell);
  auto selected = std::make_shared<UITableViewCell>(UITableViewCellStyle::Subtitle);
  selected->setFrame(CGRectMake(0, 272, 320, 44));
  selected->textLabel()->setText("夜间模式");
  selected->detailTextLabel()->setText("Night theme");
  selected->setAccessoryType(UITableViewCellAccessoryType::Checkmark);
  selected->setSelected(true);
  view->addSubview(selected);
  auto dots = std::make_shared<UIPageControl>(CGRectMake(0, 316, 320, 14));
  dots->setBackgroundColor(UIColor::darkGrayColor());
  dots->setNumberOfPages(4);
  dots->setCurrentPage(1);
  view->addSubview(dots);
  EXPECT_TRUE(matchesGolden(snapshot(view), "touchable_views"));
}

}  // namespace
