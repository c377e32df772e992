// Shape, inset, box, image and text styles: the frames they hand on, the sizes they measure and
// where text lands.  Text is measured with the fixed metrics (s / 2 a Latin character, line
// height 1.2 s rounded up, ascender 0.8 s, descender -0.2 s).
#include <gtest/gtest.h>

#include "StyleTestSupport.h"
#include "UIKit/UIGraphics.h"
#include "uilib/style/ULBoxStyle.h"
#include "uilib/style/ULImageStyle.h"
#include "uilib/style/ULInsetStyle.h"
#include "uilib/style/ULRoundedLeftArrowShape.h"
#include "uilib/style/ULShapeStyle.h"
#include "uilib/style/ULTextStyle.h"

namespace {

using ContentStyleTest = StyleTest;

std::shared_ptr<UIImage> pictureOfSize(CGFloat w, CGFloat h) {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(w, h), false, 1);
  UIColor::redColor()->setFill();
  UIRectFill(CGRectMake(0, 0, w, h));
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return image;
}

TEST_F(ContentStyleTest, AShapeStyleMovesTheContentForTheArrowsPointAndGivesLaterStylesItsShape) {
  auto arrow = ULRoundedLeftArrowShape::shapeWithRadius(4);
  auto tail = std::make_shared<ULStyle>();
  auto c = draw(ULShapeStyle::styleWithShape(arrow, tail), CGRectMake(0, 0, 60, 30));
  EXPECT_TRUE(sameRect(c->contentFrame(), CGRectMake(4, 0, 56, 30)));
  EXPECT_TRUE(sameRect(c->frame(), CGRectMake(0, 0, 60, 30)));
  EXPECT_EQ(c->shape(), arrow);
  // Measured, the arrow's room is added around what the rest of the chain needs.
  auto box = ULBoxStyle::styleWithPadding(UIEdgeInsetsMake(5, 5, 5, 5));
  EXPECT_TRUE(
      CGSizeEqualToSize(measure(ULShapeStyle::styleWithShape(arrow, box)), CGSizeMake(14, 10)));
  UIEdgeInsets insets =
      ULShapeStyle::styleWithShape(arrow)->addToInsets(UIEdgeInsetsZero, CGSizeMake(60, 30));
  EXPECT_EQ(insets.left, 4);
}

TEST_F(ContentStyleTest, ANegativeInsetEnlargesTheFrameButNotTheContent) {
  auto inset = ULInsetStyle::styleWithInset(UIEdgeInsetsMake(-1, -1, -1, -1));
  auto c = draw(inset, CGRectMake(10, 10, 50, 20));
  EXPECT_TRUE(sameRect(c->frame(), CGRectMake(9, 9, 52, 22)));
  EXPECT_TRUE(sameRect(c->contentFrame(), CGRectMake(10, 10, 50, 20)));
  UIEdgeInsets added = inset->addToInsets(UIEdgeInsetsMake(2, 2, 2, 2), CGSizeZero);
  EXPECT_TRUE(UIEdgeInsetsEqualToEdgeInsets(added, UIEdgeInsetsMake(1, 1, 1, 1)));
  EXPECT_TRUE(CGSizeEqualToSize(measure(inset), CGSizeZero));
}

TEST_F(ContentStyleTest, ABoxPadsTheContentAndTheMeasuredSize) {
  auto box = ULBoxStyle::styleWithPadding(UIEdgeInsetsMake(1, 7, 2, 7));
  EXPECT_TRUE(CGSizeEqualToSize(measure(box), CGSizeMake(14, 3)));
  auto c = draw(box, CGRectMake(0, 0, 50, 20));
  EXPECT_TRUE(sameRect(c->contentFrame(), CGRectMake(7, 1, 36, 17)));
  EXPECT_TRUE(sameRect(c->frame(), CGRectMake(0, 0, 50, 20)));
}

TEST_F(ContentStyleTest, AnImageStyleMeasuresThePicturesOwnSizeOnlyForModesThatDoNotScale) {
  view->image = pictureOfSize(20, 10);
  auto centred =
      ULImageStyle::styleWithImageURL("", nullptr, UIViewContentMode::Center, CGSizeZero, nullptr);
  EXPECT_TRUE(CGSizeEqualToSize(measure(centred), CGSizeMake(20, 10)));
  auto fitted = ULImageStyle::styleWithImageURL("", nullptr, UIViewContentMode::ScaleAspectFit,
                                                CGSizeZero, nullptr);
  EXPECT_TRUE(CGSizeEqualToSize(measure(fitted), CGSizeZero));
  auto sized = ULImageStyle::styleWithImageURL("", nullptr, UIViewContentMode::ScaleAspectFit,
                                               CGSizeMake(10, 10), nullptr);
  EXPECT_TRUE(CGSizeEqualToSize(measure(sized), CGSizeMake(10, 10)));
}

TEST_F(ContentStyleTest, AnImageStyleDrawsTheViewsPictureWhereTheContentModePutsIt) {
  view->image = pictureOfSize(20, 10);
  auto c = draw(
      ULImageStyle::styleWithImageURL("", nullptr, UIViewContentMode::Center, CGSizeZero, nullptr),
      CGRectMake(0, 0, 60, 30));
  auto images = records("drawImage");
  ASSERT_EQ(images.size(), 1u);
  EXPECT_TRUE(sameRect(images[0].rect, CGRectMake(20, 10, 20, 10)));
  EXPECT_FALSE(c->didDrawContent());
  // No picture anywhere: nothing drawn, nothing measured.
  view->image = nullptr;
  context->clearRecords();
  draw(ULImageStyle::styleWithImageURL("bundle://nowhere.png", nullptr, UIViewContentMode::Center,
                                       CGSizeZero, nullptr),
       CGRectMake(0, 0, 60, 30));
  EXPECT_TRUE(records("drawImage").empty());
}

TEST_F(ContentStyleTest, AnImageStyleWithABundleURLReadsThePictureOnceThroughTheURLCache) {
  auto style = ULImageStyle::styleWithImageURL("bundle://ULKit.bundle/images/blueArrow.png");
  auto image = style->image();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(style->image(), image);
}

TEST_F(ContentStyleTest, TextLinesAreLimitedByTheLibrarysLineHeight) {
  // 14 points: line height 14 × 0.8 + 14 × 0.2 + 1 = 15 for the library.
  auto style = ULTextStyle::styleWithFont(
      UIFont::systemFontOfSize(14), nullptr, 0, nullptr, CGSizeZero, UITextAlignmentLeft,
      UIControlContentVerticalAlignment::Top, UILineBreakModeWordWrap, 2);
  view->text = "one two three four five six seven eight nine ten eleven";
  CGSize size = style->sizeOfText(*view->text, UIFont::systemFontOfSize(14), CGSizeMake(60, 1e6));
  EXPECT_DOUBLE_EQ(size.height, 30);
  EXPECT_LE(size.width, 60);
  auto measuring = contextFor(CGRectMake(0, 0, 60, 0));
  EXPECT_DOUBLE_EQ(style->addToSize(CGSizeZero, *measuring).height, 30);
}

TEST_F(ContentStyleTest, TextIsPlacedByItsAlignments) {
  auto font = UIFont::systemFontOfSize(10);  // "abcd": 20 wide, 12 high
  struct Case {
    UITextAlignment text;
    UIControlContentVerticalAlignment vertical;
    CGRect rect;
  } cases[] = {
      {UITextAlignmentLeft, UIControlContentVerticalAlignment::Top, CGRectMake(0, 0, 100, 40)},
      {UITextAlignmentCenter, UIControlContentVerticalAlignment::Center,
       CGRectMake(40, 14, 20, 12)},
      {UITextAlignmentRight, UIControlContentVerticalAlignment::Bottom, CGRectMake(80, 28, 20, 12)},
      {UITextAlignmentLeft, UIControlContentVerticalAlignment::Bottom, CGRectMake(0, 28, 20, 12)},
  };
  for (const auto& k : cases) {
    auto style = ULTextStyle::styleWithFont(font, nullptr, 0, nullptr, CGSizeZero, k.text,
                                            k.vertical, UILineBreakModeTailTruncation, 1);
    EXPECT_TRUE(sameRect(style->rectForText("abcd", CGSizeMake(100, 40), font), k.rect));
  }
  // Left and top take the whole box without measuring, even for no text.
  auto topLeft = ULTextStyle::styleWithFont(font, nullptr, UITextAlignmentLeft);
  topLeft->setVerticalAlignment(UIControlContentVerticalAlignment::Top);
  EXPECT_TRUE(
      sameRect(topLeft->rectForText("", CGSizeMake(100, 40), font), CGRectMake(0, 0, 100, 40)));
}

TEST_F(ContentStyleTest, DrawnTextLeavesWhatItDrewAsTheContentFrame) {
  view->text = "abcd";
  auto one = ULTextStyle::styleWithFont(UIFont::systemFontOfSize(10), UIColor::blackColor());
  auto c = draw(one, CGRectMake(10, 20, 100, 40));
  EXPECT_TRUE(c->didDrawContent());
  // One line: its place relative to the old content frame.
  EXPECT_TRUE(sameRect(c->contentFrame(), CGRectMake(40, 14, 20, 12)));
  auto texts = records("drawText");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].rect.origin.x, 50);

  auto several = ULTextStyle::styleWithFont(
      UIFont::systemFontOfSize(10), UIColor::blackColor(), 0, nullptr, CGSizeZero,
      UITextAlignmentCenter, UIControlContentVerticalAlignment::Center, UILineBreakModeWordWrap, 0);
  c = draw(several, CGRectMake(10, 20, 100, 40));
  // Several lines: the old origin with the drawn size.
  EXPECT_TRUE(sameRect(c->contentFrame(), CGRectMake(10, 20, 20, 12)));
}

TEST_F(ContentStyleTest, NoTextDrawsAndMeasuresNothingAndLeavesTheContentToTheView) {
  view->drawsContent = true;
  auto style = ULTextStyle::styleWithFont(UIFont::systemFontOfSize(10), UIColor::blackColor());
  auto c = draw(style, CGRectMake(0, 0, 100, 40));
  EXPECT_TRUE(records("drawText").empty());
  EXPECT_EQ(view->contentDrawings, 1);
  EXPECT_TRUE(c->didDrawContent());
  EXPECT_TRUE(CGSizeEqualToSize(measure(style), CGSizeZero));
}

}  // namespace
