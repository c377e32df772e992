// The style sheet's cache by name and state, and the default sheet's chains and values.
#include <gtest/gtest.h>

#include <cmath>

#include "Foundation/NSNotificationCenter.h"
#include "StyleTestSupport.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIApplication.h"
#include "uilib/style/UIColor+ULCategory.h"
#include "uilib/style/ULBlendStyle.h"
#include "uilib/style/ULBoxStyle.h"
#include "uilib/style/ULDefaultStyleSheet.h"
#include "uilib/style/ULPartStyle.h"
#include "uilib/style/ULReflectiveFillStyle.h"
#include "uilib/style/ULSolidFillStyle.h"
#include "uilib/style/ULTextStyle.h"

namespace {

class StyleSheetTest : public StyleTest {
 protected:
  std::shared_ptr<ULDefaultStyleSheet> sheet() {
    return std::dynamic_pointer_cast<ULDefaultStyleSheet>(ULStyleSheet::globalStyleSheet());
  }
  template <class Style>
  std::shared_ptr<Style> first(const ULStylePtr& chain) {
    return chain ? std::dynamic_pointer_cast<Style>(chain->firstStyleOfClass(Style::classObject()))
                 : nullptr;
  }
  static void expectRGB(const std::shared_ptr<UIColor>& c, CGFloat r, CGFloat g, CGFloat b,
                        CGFloat tolerance = 0.06) {
    ASSERT_NE(c, nullptr);
    EXPECT_NEAR(c->red() * 255, r, tolerance);
    EXPECT_NEAR(c->green() * 255, g, tolerance);
    EXPECT_NEAR(c->blue() * 255, b, tolerance);
  }
};

TEST_F(StyleSheetTest, AStyleIsKeptUnderItsNameAndTheStatesNumber) {
  auto s = sheet();
  ASSERT_NE(s, nullptr);
  auto normal = s->styleWithSelector("launcherButton:");
  ASSERT_NE(normal, nullptr);
  EXPECT_EQ(s->styleWithSelector("launcherButton:", UIControlStateNormal), normal);
  auto pressed = s->styleWithSelector("launcherButton:", UIControlStateHighlighted);
  EXPECT_NE(pressed, normal);
  ASSERT_NE(s->styles(), nullptr);
  EXPECT_EQ(s->styles()->at("launcherButton:"), normal);
  EXPECT_EQ(s->styles()->at("launcherButton:1"), pressed);
}

TEST_F(StyleSheetTest, AMemoryWarningDropsTheKeptChains) {
  auto s = sheet();
  auto badge = s->styleWithSelector("badge");
  ASSERT_NE(badge, nullptr);
  EXPECT_EQ(s->styleWithSelector("badge"), badge);
  NSNotificationCenter::defaultCenter()->postNotificationName(
      UIApplicationDidReceiveMemoryWarningNotification);
  EXPECT_EQ(s->styles(), nullptr);
  auto again = s->styleWithSelector("badge");
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again, badge);
  EXPECT_EQ(again->className(), badge->className());
}

TEST_F(StyleSheetTest, AnUnknownNameAnswersNothingAndKeepsNothing) {
  auto s = sheet();
  EXPECT_EQ(s->styleWithSelector("noSuchStyle:"), nullptr);
  // Value methods are not styles.
  EXPECT_EQ(s->styleWithSelector("textColor"), nullptr);
  EXPECT_EQ(s->styles(), nullptr);
}

TEST_F(StyleSheetTest, TheToolbarFillFollowsTheTintByState) {
  auto s = sheet();
  auto tint = s->toolbarTintColor();
  expectRGB(s->toolbarButtonColorWithTintColor(tint, UIControlStateNormal), 74.9, 110.6, 157.1,
            0.1);
  expectRGB(s->toolbarButtonColorWithTintColor(tint, UIControlStateHighlighted), 43.6, 52.8, 64.8,
            0.1);
  // Selected and highlighted-and-selected darken like highlighted.
  auto pressed = s->toolbarButtonColorWithTintColor(tint, UIControlStateHighlighted);
  for (UIControlState state : {UIControlState(4), UIControlState(5)})
    EXPECT_TRUE(s->toolbarButtonColorWithTintColor(tint, state)->isEqual(*pressed)) << state;
  // A tint darker than 0.2 is lifted instead.
  auto black = UIColor::colorWithRed(10 / 255.0, 10 / 255.0, 10 / 255.0, 1);
  EXPECT_NEAR(value(*s->toolbarButtonColorWithTintColor(black, UIControlStateHighlighted)),
              10 / 255.0 + 0.2, 1e-9);
}

TEST_F(StyleSheetTest, AToolbarButtonDrawsItsStateInItsFillAndTitle) {
  auto s = sheet();
  auto fillOf = [&](UIControlState state) {
    return first<ULReflectiveFillStyle>(s->styleWithSelector("toolbarButton:", state))->color();
  };
  auto titleOf = [&](UIControlState state) {
    return first<ULTextStyle>(s->styleWithSelector("toolbarButton:", state))->color();
  };
  EXPECT_TRUE(fillOf(2)->isEqual(*fillOf(0)));
  EXPECT_EQ(titleOf(0)->alpha(), 1);
  EXPECT_EQ(titleOf(2)->alpha(), 0.4);
  EXPECT_EQ(titleOf(2)->red(), 1);
  EXPECT_TRUE(fillOf(5)->isEqual(*fillOf(1)));
  EXPECT_FALSE(fillOf(1)->isEqual(*fillOf(0)));
  // The title has no font of its own: the button's.
  EXPECT_EQ(first<ULTextStyle>(s->styleWithSelector("toolbarButton:"))->font(), nullptr);
}

TEST_F(StyleSheetTest, ALauncherImageIsDarkenedOnlyForExactlyHighlightedOrSelected) {
  auto s = sheet();
  for (UIControlState state : {0u, 1u, 2u, 4u, 5u}) {
    auto chain = s->styleWithSelector("launcherButtonImage:", state);
    auto blend = first<ULBlendStyle>(chain);
    bool darkened = state == 1 || state == 4;
    EXPECT_EQ(blend != nullptr, darkened) << state;
    if (!blend) continue;
    EXPECT_EQ(blend->blendMode(), CGBlendMode::SourceAtop);
    auto fill = std::dynamic_pointer_cast<ULSolidFillStyle>(blend->next());
    ASSERT_NE(fill, nullptr);
    EXPECT_EQ(fill->color()->red(), 0);
    EXPECT_EQ(fill->color()->alpha(), 0.5);
  }
  // The launcher button carries the image chain of its own state as its part.
  auto button = s->styleWithSelector("launcherButton:", 1);
  EXPECT_EQ(button->styleForPart("image")->style(),
            s->styleWithSelector("launcherButtonImage:", 1));
}

TEST_F(StyleSheetTest, PageDotsAreWhiteWhenSelectedAndGreyOtherwiseAndMeasureSixBySix) {
  auto s = sheet();
  auto colourOf = [&](UIControlState state) {
    return first<ULSolidFillStyle>(s->styleWithSelector("pageDot:", state))->color();
  };
  expectRGB(colourOf(4), 255, 255, 255, 1e-9);
  expectRGB(colourOf(5), 77, 77, 77, 1e-9);
  expectRGB(colourOf(0), 77, 77, 77, 1e-9);
  auto dot = s->styleWithSelector("pageDot:");
  EXPECT_TRUE(CGSizeEqualToSize(measure(dot), CGSizeMake(6, 6)));
  auto box = first<ULBoxStyle>(dot);
  EXPECT_EQ(box->margin().right, 10);
  EXPECT_EQ(s->styleWithSelector("launcherPageDot:", 4), s->styleWithSelector("pageDot:", 4));
}

TEST_F(StyleSheetTest, ALargeBadgeMeasuresItsTextPlusPaddingAndShadow) {
  view->text = "99+";
  auto font = UIFont::boldSystemFontOfSize(17);
  CGSize text = sizeWithFont("99+", font);
  CGSize badge = measure(sheet()->styleWithSelector("largeBadge"));
  EXPECT_EQ(badge.width, text.width + 18);
  EXPECT_EQ(badge.height, text.height + 13);
}

TEST_F(StyleSheetTest, ValuesAreNewObjectsOfTheirKind) {
  auto s = sheet();
  EXPECT_TRUE(s->textColor()->isEqual(*UIColor::blackColor()));
  expectRGB(s->linkTextColor(), 87, 107, 149, 1e-9);
  EXPECT_TRUE(s->searchTableSeparatorColor()->isWhiteLevel());
  EXPECT_EQ(s->tableHeaderTintColor(), nullptr);
  EXPECT_EQ(s->tableFont()->pointSize(), 17);
  EXPECT_TRUE(s->tableFont()->isBold());
  EXPECT_EQ(s->tableBannerViewHeight(), 22);
  EXPECT_NE(s->tableRefreshHeaderArrowImage(), nullptr);
  // The same values by name, as the views read them.
  EXPECT_TRUE(s->performSelector("linkTextColor").object<UIColor>()->isEqual(*s->linkTextColor()));
}

TEST_F(StyleSheetTest, ATableHeaderWithoutATintDrawsOnlyItsBorder) {
  auto header = sheet()->styleWithSelector("tableHeader");
  ASSERT_NE(header, nullptr);
  draw(header, CGRectMake(0, 0, 320, 22));
  EXPECT_TRUE(records("drawLinearGradient").empty());
  EXPECT_EQ(records("strokePath").size(), 4u);
}

TEST_F(StyleSheetTest, ColoursAboveTheRangeAreClampedWhenDrawn) {
  // The unselected picker cell's border starts from a blue of 283/255.
  draw(sheet()->styleWithSelector("pickerCell:"), CGRectMake(0, 0, 80, 30));
  EXPECT_EQ(records("drawLinearGradient").size(), 2u);
  auto border = UIColor::colorWithRed(161 / 255.0, 187 / 255.0, 283 / 255.0, 1);
  EXPECT_EQ(border->blue(), 1);
}

TEST_F(StyleSheetTest, EveryNamedStyleDrawsAndMeasuresInEveryState) {
  view->text = "Title";
  const char* names[] = {
      "linkText:",
      "linkHighlighted",
      "thumbView:",
      "toolbarButton:",
      "toolbarBackButton:",
      "toolbarForwardButton:",
      "toolbarRoundButton:",
      "blackToolbarButton:",
      "grayToolbarButton:",
      "blackToolbarForwardButton:",
      "blackToolbarRoundButton:",
      "searchTextField",
      "searchBar",
      "searchBarBottom",
      "blackSearchBar",
      "tableHeader",
      "pickerCell:",
      "searchTableShadow",
      "blackBezel",
      "whiteBezel",
      "blackBanner",
      "miniBadge",
      "badge",
      "largeBadge",
      "tabBar",
      "tabStrip",
      "tabGrid",
      "tabGridTabImage:",
      "tabGridTabTopLeft:",
      "tabGridTabTopRight:",
      "tabGridTabBottomRight:",
      "tabGridTabBottomLeft:",
      "tabGridTabLeft:",
      "tabGridTabRight:",
      "tabGridTabCenter:",
      "tab:",
      "tabRound:",
      "tabOverflowLeft",
      "tabOverflowRight",
      "rounded",
      "postTextEditor",
      "photoCaption",
      "photoStatusLabel",
      "pageDot:",
      "launcherButton:",
      "launcherBlackButton:",
      "launcherButtonImage:",
      "launcherCloseButtonImage:",
      "launcherCloseButton:",
      "launcherPageDot:",
      "textBar",
      "textBarFooter",
      "textBarTextField",
      "textBarPostButton:",
  };
  for (const char* name : names) {
    for (UIControlState state : {0u, 1u, 2u, 4u}) {
      auto chain = sheet()->styleWithSelector(name, state);
      ASSERT_NE(chain, nullptr) << name << " " << state;
      draw(chain, CGRectMake(0, 0, 120, 40));
      CGSize size = measure(chain);
      EXPECT_TRUE(std::isfinite(size.width) && std::isfinite(size.height)) << name;
    }
  }
  EXPECT_FALSE(context->records().empty());
}

}  // namespace
