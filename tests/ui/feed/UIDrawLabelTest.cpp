// The thumbnail text label: the block beside the picture on either side, the height with the
// text continued below, the row height without a view, the fitting length in UTF-16 units,
// the link-type string, and what it draws where.
#include <gtest/gtest.h>

#include "CoreGraphics/CGContext.h"
#include "Foundation/NSString.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIGraphics.h"
#include "ui/feed/UIDrawLabel.h"

namespace {

std::shared_ptr<UIDrawLabel> label(std::string text, int drawType, CGFloat width = 290) {
  auto l = std::make_shared<UIDrawLabel>(CGRectMake(0, 30, width, 100));
  l->setText(std::move(text));
  l->setFont(UIFont::systemFontOfSize(15));
  l->setDrawType(drawType);
  l->setImgSize(CGSizeMake(50, 50));
  return l;
}

std::string repeated(std::string_view piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}

TEST(UIDrawLabelTest, AShortTextBesideAPictureOnTheRightStartsAtZeroAndIsTheWidthLess65) {
  auto l = label("hi", UIDrawLabel::kPictureRight);
  EXPECT_EQ(l->startx(), 0);
  EXPECT_EQ(l->drawW(), 225);
  EXPECT_EQ(l->drawH(), 57.5);
  EXPECT_EQ(l->firstLen(), 2u);
  EXPECT_EQ(l->textLenth(), 2u);
  EXPECT_EQ(l->subDrawSize().height, 0);
  EXPECT_EQ(l->getContentHeight(), 57.5);
  EXPECT_EQ(l->frame(), CGRectMake(0, 30, 290, 57.5));  // origin and width kept
  EXPECT_EQ(l->imgStart().y, l->starty());
}

TEST(UIDrawLabelTest, WithThePictureAtTheLeftTheTextStartsAfterPictureAndGap) {
  auto l = label("hi", UIDrawLabel::kPictureLeft);
  EXPECT_EQ(l->startx(), 65);
  EXPECT_EQ(l->drawW(), 225);
  EXPECT_EQ(l->getContentHeight(), 57.5);

  l->setOffset(10);
  l->setImgSize(CGSizeMake(40, 40));
  EXPECT_EQ(l->startx(), 50);
  EXPECT_EQ(l->drawW(), 240);
  EXPECT_EQ(l->drawH(), 45);
}

TEST(UIDrawLabelTest, APlainLabelHasNoLayout) {
  auto l = label("hi", UIDrawLabel::kPlain);
  EXPECT_EQ(l->drawW(), 0);
  EXPECT_EQ(l->firstLen(), 0u);
  EXPECT_EQ(l->getContentHeight(), 0);
}

TEST(UIDrawLabelTest, ALongTextGoesOnBelowThePictureAtFullWidth) {
  auto font = UIFont::systemFontOfSize(15);
  std::string text = repeated("母婴行业上半年增速放缓，细分品类分化明显。", 8);
  auto l = label(text, UIDrawLabel::kPictureLeft);
  ASSERT_GT(l->firstLen(), 0u);
  ASSERT_LT(l->firstLen(), l->textLenth());
  std::string head = substringToIndex(text, l->firstLen());
  std::string rest = substringFromIndex(text, l->firstLen());
  // The part beside the picture fits its block (with the 5-point slack)...
  EXPECT_LE(sizeWithFont(head, font, CGSizeMake(225, 10000)).height, 57.5 + 5);
  // ...and the rest is measured at the full width.
  CGFloat below = sizeWithFont(rest, font, CGSizeMake(290, 10000)).height;
  EXPECT_EQ(l->subDrawSize().height, below);
  EXPECT_EQ(l->getContentHeight(), 57.5 + below);
  // The class method gives the same height without a view.
  EXPECT_EQ(UIDrawLabel::getContentHeightByText(text, 290, font), 57.5 + below);
}

TEST(UIDrawLabelTest, TheRowHeightOfATextThatFitsBesideThePictureIs57AndAHalf) {
  auto font = UIFont::systemFontOfSize(15);
  EXPECT_EQ(UIDrawLabel::getContentHeightByText("hi", 290, font), 57.5);
  EXPECT_EQ(UIDrawLabel::getContentHeightByText("", 290, font), 57.5);
}

TEST(UIDrawLabelTest, FittingLengthsCountUTF16UnitsAndNeverSplitAPair) {
  auto font = UIFont::systemFontOfSize(15);
  std::string text = repeated("好😀", 80);  // each piece is 3 units
  EXPECT_EQ(UIDrawLabel::getLenByStr("hi", CGSizeMake(225, 57.5), font), 2u);
  size_t n = UIDrawLabel::getLenByStr(text, CGSizeMake(225, 57.5), font);
  ASSERT_GT(n, 0u);
  ASSERT_LT(n, utf16Length(text));
  std::string head = substringToIndex(text, n);
  EXPECT_EQ(utf16Length(head), n);
  EXPECT_EQ(head.find("\xEF\xBF\xBD"), std::string::npos);  // no U+FFFD from a cut pair
  EXPECT_EQ(utf16Length(substringFromIndex(text, n)) + n, utf16Length(text));
}

TEST(UIDrawLabelTest, TheLinkTypeStringSetsBothNumbersOnlyWhenWellFormed) {
  struct Case {
    const char* types;
    int link, web;
  } cases[] = {
      {"2-5", 2, 5}, {"3-", 0, 0},    {"-3", 0, 0},  {"", 0, 0},
      {"7", 0, 0},   {"1-2-3", 1, 2}, {"x-4", 0, 4},
  };
  for (const auto& c : cases) {
    UIDrawLabel l(CGRectMake(0, 0, 290, 100));
    l.setHttpLinkTypes(c.types);
    EXPECT_EQ(l.linkShowType(), c.link) << c.types;
    EXPECT_EQ(l.webShowType(), c.web) << c.types;
  }
}

TEST(UIDrawLabelTest, ItDrawsTheFirstPartBesideThePictureAndTheRestBelow) {
  std::string text = repeated("母婴行业上半年增速放缓，细分品类分化明显。", 8);
  auto l = label(text, UIDrawLabel::kPictureRight);
  CGFloat height = l->getContentHeight();
  auto ctx = CGContext::createRecording(CGSizeMake(290, height));
  UIGraphicsPushContext(ctx);
  l->drawRect(l->bounds());
  UIGraphicsPopContext();
  std::vector<CGDrawingRecord> texts;
  for (const auto& r : ctx->records())
    if (r.op == "drawText") texts.push_back(r);
  ASSERT_EQ(texts.size(), 2u) << ctx->recordsText();
  EXPECT_EQ(texts[0].rect.origin.x, 0);
  EXPECT_LE(CGRectGetMaxX(texts[0].rect), 225);
  EXPECT_LE(CGRectGetMaxY(texts[0].rect), 57.5);
  EXPECT_GE(texts[1].rect.origin.y, 57.5);
  EXPECT_NE(texts[0].detail.find(substringToIndex(text, 4)), std::string::npos);
}

}  // namespace
