#include "uilib/style/ULDefaultStyleSheet.h"

#include "Foundation/NSClass.h"
#include "UIKit/NSValue+UIGeometry.h"
#include "uilib/network/ULURLCache.h"
#include "uilib/style/UIColor+ULCategory.h"
#include "uilib/style/ULBevelBorderStyle.h"
#include "uilib/style/ULBlendStyle.h"
#include "uilib/style/ULBoxStyle.h"
#include "uilib/style/ULContentStyle.h"
#include "uilib/style/ULFourBorderStyle.h"
#include "uilib/style/ULImageStyle.h"
#include "uilib/style/ULInnerShadowStyle.h"
#include "uilib/style/ULInsetStyle.h"
#include "uilib/style/ULLinearGradientBorderStyle.h"
#include "uilib/style/ULLinearGradientFillStyle.h"
#include "uilib/style/ULPartStyle.h"
#include "uilib/style/ULRectangleShape.h"
#include "uilib/style/ULReflectiveFillStyle.h"
#include "uilib/style/ULRoundedLeftArrowShape.h"
#include "uilib/style/ULRoundedRectangleShape.h"
#include "uilib/style/ULRoundedRightArrowShape.h"
#include "uilib/style/ULShadowStyle.h"
#include "uilib/style/ULShapeStyle.h"
#include "uilib/style/ULSolidBorderStyle.h"
#include "uilib/style/ULSolidFillStyle.h"
#include "uilib/style/ULTextStyle.h"

using S = ULDefaultStyleSheet;

NS_CLASS_IMPLEMENTATION(ULDefaultStyleSheet) {
  c.method("linkText:", &S::linkText);
  c.method("linkHighlighted", &S::linkHighlighted);
  c.method("thumbView:", &S::thumbView);
  c.method("toolbarButton:", &S::toolbarButton);
  c.method("toolbarBackButton:", &S::toolbarBackButton);
  c.method("toolbarForwardButton:", &S::toolbarForwardButton);
  c.method("toolbarRoundButton:", &S::toolbarRoundButton);
  c.method("blackToolbarButton:", &S::blackToolbarButton);
  c.method("grayToolbarButton:", &S::grayToolbarButton);
  c.method("blackToolbarForwardButton:", &S::blackToolbarForwardButton);
  c.method("blackToolbarRoundButton:", &S::blackToolbarRoundButton);
  c.method("searchTextField", &S::searchTextField);
  c.method("searchBar", &S::searchBar);
  c.method("searchBarBottom", &S::searchBarBottom);
  c.method("blackSearchBar", &S::blackSearchBar);
  c.method("tableHeader", &S::tableHeader);
  c.method("pickerCell:", &S::pickerCell);
  c.method("searchTableShadow", &S::searchTableShadow);
  c.method("blackBezel", &S::blackBezel);
  c.method("whiteBezel", &S::whiteBezel);
  c.method("blackBanner", &S::blackBanner);
  c.method("badgeWithFontSize:", &S::badgeWithFontSize);
  c.method("miniBadge", &S::miniBadge);
  c.method("badge", &S::badge);
  c.method("largeBadge", &S::largeBadge);
  c.method("tabBar", &S::tabBar);
  c.method("tabStrip", &S::tabStrip);
  c.method("tabGrid", &S::tabGrid);
  c.method("tabGridTabImage:", &S::tabGridTabImage);
  c.method("tabGridTab:corner:", &S::tabGridTab);
  c.method("tabGridTabTopLeft:", &S::tabGridTabTopLeft);
  c.method("tabGridTabTopRight:", &S::tabGridTabTopRight);
  c.method("tabGridTabBottomRight:", &S::tabGridTabBottomRight);
  c.method("tabGridTabBottomLeft:", &S::tabGridTabBottomLeft);
  c.method("tabGridTabLeft:", &S::tabGridTabLeft);
  c.method("tabGridTabRight:", &S::tabGridTabRight);
  c.method("tabGridTabCenter:", &S::tabGridTabCenter);
  c.method("tab:", &S::tab);
  c.method("tabRound:", &S::tabRound);
  c.method("tabOverflowLeft", &S::tabOverflowLeft);
  c.method("tabOverflowRight", &S::tabOverflowRight);
  c.method("rounded", &S::rounded);
  c.method("postTextEditor", &S::postTextEditor);
  c.method("photoCaption", &S::photoCaption);
  c.method("photoStatusLabel", &S::photoStatusLabel);
  c.method("pageDot:", &S::pageDot);
  c.method("launcherButton:", &S::launcherButton);
  c.method("launcherBlackButton:", &S::launcherBlackButton);
  c.method("launcherButtonImage:", &S::launcherButtonImage);
  c.method("launcherCloseButtonImage:", &S::launcherCloseButtonImage);
  c.method("launcherCloseButton:", &S::launcherCloseButton);
  c.method("launcherPageDot:", &S::launcherPageDot);
  c.method("textBar", &S::textBar);
  c.method("textBarFooter", &S::textBarFooter);
  c.method("textBarTextField", &S::textBarTextField);
  c.method("textBarPostButton:", &S::textBarPostButton);

  c.method("toolbarButtonColorWithTintColor:forState:", &S::toolbarButtonColorWithTintColor);
  c.method("toolbarButtonTextColorForState:", &S::toolbarButtonTextColorForState);
  c.method("selectionFillStyle:", &S::selectionFillStyle);
  c.method("toolbarButtonForState:shape:tintColor:font:", &S::toolbarButtonForState);
  c.method("pageDotWithColor:", &S::pageDotWithColor);

  c.property("textColor", &S::textColor);
  c.property("highlightedTextColor", &S::highlightedTextColor);
  c.property("backgroundTextColor", &S::backgroundTextColor);
  c.property("font", &S::font);
  c.property("backgroundColor", &S::backgroundColor);
  c.property("navigationBarTintColor", &S::navigationBarTintColor);
  c.property("toolbarTintColor", &S::toolbarTintColor);
  c.property("searchBarTintColor", &S::searchBarTintColor);
  c.property("tablePlainBackgroundColor", &S::tablePlainBackgroundColor);
  c.property("tablePlainCellSeparatorColor", &S::tablePlainCellSeparatorColor);
  c.property("tablePlainCellSeparatorStyle", &S::tablePlainCellSeparatorStyle);
  c.property("tableGroupedBackgroundColor", &S::tableGroupedBackgroundColor);
  c.property("tableGroupedCellSeparatorColor", &S::tableGroupedCellSeparatorColor);
  c.property("tableGroupedCellSeparatorStyle", &S::tableGroupedCellSeparatorStyle);
  c.property("searchTableBackgroundColor", &S::searchTableBackgroundColor);
  c.property("searchTableSeparatorColor", &S::searchTableSeparatorColor);
  c.property("linkTextColor", &S::linkTextColor);
  c.property("timestampTextColor", &S::timestampTextColor);
  c.property("moreLinkTextColor", &S::moreLinkTextColor);
  c.property("tableHeaderTextColor", &S::tableHeaderTextColor);
  c.property("tableHeaderShadowColor", &S::tableHeaderShadowColor);
  c.property("tableHeaderShadowOffset", &S::tableHeaderShadowOffset);
  c.property("tableHeaderTintColor", &S::tableHeaderTintColor);
  c.property("photoCaptionTextColor", &S::photoCaptionTextColor);
  c.property("photoCaptionTextShadowColor", &S::photoCaptionTextShadowColor);
  c.property("photoCaptionTextShadowOffset", &S::photoCaptionTextShadowOffset);
  c.property("screenBackgroundColor", &S::screenBackgroundColor);
  c.property("tableActivityTextColor", &S::tableActivityTextColor);
  c.property("tableErrorTextColor", &S::tableErrorTextColor);
  c.property("tableSubTextColor", &S::tableSubTextColor);
  c.property("tableTitleTextColor", &S::tableTitleTextColor);
  c.property("tabBarTintColor", &S::tabBarTintColor);
  c.property("tabTintColor", &S::tabTintColor);
  c.property("messageFieldTextColor", &S::messageFieldTextColor);
  c.property("messageFieldSeparatorColor", &S::messageFieldSeparatorColor);
  c.property("thumbnailBackgroundColor", &S::thumbnailBackgroundColor);
  c.property("postButtonColor", &S::postButtonColor);
  c.property("buttonFont", &S::buttonFont);
  c.property("tableFont", &S::tableFont);
  c.property("tableSmallFont", &S::tableSmallFont);
  c.property("tableTitleFont", &S::tableTitleFont);
  c.property("tableTimestampFont", &S::tableTimestampFont);
  c.property("tableButtonFont", &S::tableButtonFont);
  c.property("tableSummaryFont", &S::tableSummaryFont);
  c.property("tableHeaderPlainFont", &S::tableHeaderPlainFont);
  c.property("tableHeaderGroupedFont", &S::tableHeaderGroupedFont);
  c.property("tableBannerViewHeight", &S::tableBannerViewHeight);
  c.property("photoCaptionFont", &S::photoCaptionFont);
  c.property("messageFont", &S::messageFont);
  c.property("errorTitleFont", &S::errorTitleFont);
  c.property("errorSubtitleFont", &S::errorSubtitleFont);
  c.property("activityLabelFont", &S::activityLabelFont);
  c.property("activityBannerFont", &S::activityBannerFont);
  c.property("tableSelectionStyle", &S::tableSelectionStyle);
  c.property("tableRefreshHeaderLastUpdatedFont", &S::tableRefreshHeaderLastUpdatedFont);
  c.property("tableRefreshHeaderStatusFont", &S::tableRefreshHeaderStatusFont);
  c.property("tableRefreshHeaderBackgroundColor", &S::tableRefreshHeaderBackgroundColor);
  c.property("tableRefreshHeaderTextColor", &S::tableRefreshHeaderTextColor);
  c.property("tableRefreshHeaderTextShadowColor", &S::tableRefreshHeaderTextShadowColor);
  c.property("tableRefreshHeaderTextShadowOffset", &S::tableRefreshHeaderTextShadowOffset);
  c.property("tableRefreshHeaderArrowImage", &S::tableRefreshHeaderArrowImage);
}

namespace {

using Color = S::Color;
using Font = S::Font;

Color rgb(CGFloat r, CGFloat g, CGFloat b, CGFloat alpha = 1) {
  return UIColor::colorWithRed(r / 255, g / 255, b / 255, alpha);
}

Color white(CGFloat level, CGFloat alpha = 1) {
  return UIColor::colorWithWhite(level, alpha);
}

Font system(CGFloat size) {
  return UIFont::systemFontOfSize(size);
}

Font bold(CGFloat size) {
  return UIFont::boldSystemFontOfSize(size);
}

UIEdgeInsets edges(CGFloat top, CGFloat left, CGFloat bottom, CGFloat right) {
  return UIEdgeInsetsMake(top, left, bottom, right);
}

UIEdgeInsets edges(CGFloat all) {
  return UIEdgeInsetsMake(all, all, all, all);
}

ULShapePtr roundedShape(CGFloat radius) {
  return ULRoundedRectangleShape::shapeWithRadius(radius);
}

// The tint with its hue, saturation and value multiplied; no tint gives no colour.
Color times(const Color& tint, CGFloat h, CGFloat s, CGFloat v) {
  return tint ? multiplyHue(*tint, h, s, v) : nullptr;
}

std::shared_ptr<ULStyleSheet> global() {
  return ULStyleSheet::globalStyleSheet();
}

Color globalColor(std::string_view name) {
  return global()->performSelector(name).object<UIColor>();
}

Font globalFont(std::string_view name) {
  return global()->performSelector(name).object<UIFont>();
}

CGSize globalSize(std::string_view name) {
  return CGSizeValue(global()->performSelector(name));
}

constexpr UIControlState kHighlighted = UIControlStateHighlighted;
constexpr UIControlState kDisabled = UIControlStateDisabled;
constexpr UIControlState kSelected = UIControlStateSelected;

}  // namespace

// ---- toolbar buttons

Color S::toolbarButtonColorWithTintColor(const Color& tint, UIControlState state) {
  if (!tint) return nullptr;
  if (state & (kHighlighted | kSelected)) {
    if (value(*tint) < 0.2) return addHue(*tint, 0, 0, 0.2);
    if (saturation(*tint) > 0.3) return multiplyHue(*tint, 1, 1, 0.4);
    return multiplyHue(*tint, 1, 2.3, 0.64);
  }
  if (saturation(*tint) < 0.5) return multiplyHue(*tint, 1, 1.6, 0.97);
  return multiplyHue(*tint, 1, 1.25, 0.75);
}

Color S::toolbarButtonTextColorForState(UIControlState state) {
  return state & kDisabled ? white(1, 0.4) : white(1);
}

ULStylePtr S::toolbarButtonForState(UIControlState state, ULShapePtr shape, const Color& tintColor,
                                    Font font) {
  Color c = toolbarButtonColorWithTintColor(tintColor, state);
  Color t = toolbarButtonTextColorForState(state);
  return ULShapeStyle::styleWithShape(
      std::move(shape),
      ULInsetStyle::styleWithInset(
          edges(2, 0, 1, 0),
          ULShadowStyle::styleWithColor(
              rgb(255, 255, 255, 0.18), 0, CGSizeMake(0, 1),
              ULReflectiveFillStyle::styleWithColor(
                  c, ULBevelBorderStyle::styleWithHighlight(
                         times(c, 1, 0.9, 0.7), times(c, 1, 0.5, 0.6), 1, 270,
                         ULInsetStyle::styleWithInset(
                             edges(0, -1, 0, -1),
                             ULBevelBorderStyle::styleWithHighlight(
                                 nullptr, rgb(0, 0, 0, 0.15), 1, 270,
                                 ULBoxStyle::styleWithPadding(
                                     edges(8),
                                     ULImageStyle::styleWithImageURL(
                                         "", nullptr, UIViewContentMode::ScaleToFill, CGSizeZero,
                                         ULTextStyle::styleWithFont(std::move(font), t,
                                                                    white(0, 0.4),
                                                                    CGSizeMake(0, -1)))))))))));
}

ULStylePtr S::toolbarButton(UIControlState state) {
  return toolbarButtonForState(state, roundedShape(4.5), globalColor("toolbarTintColor"), nullptr);
}

ULStylePtr S::toolbarBackButton(UIControlState state) {
  return toolbarButtonForState(state, ULRoundedLeftArrowShape::shapeWithRadius(4.5),
                               globalColor("toolbarTintColor"), nullptr);
}

ULStylePtr S::toolbarForwardButton(UIControlState state) {
  return toolbarButtonForState(state, ULRoundedRightArrowShape::shapeWithRadius(4.5),
                               globalColor("toolbarTintColor"), nullptr);
}

ULStylePtr S::toolbarRoundButton(UIControlState state) {
  return toolbarButtonForState(state, roundedShape(ULRadiusRounded),
                               globalColor("toolbarTintColor"), nullptr);
}

ULStylePtr S::blackToolbarButton(UIControlState state) {
  return toolbarButtonForState(state, roundedShape(4.5), rgb(10, 10, 10), nullptr);
}

ULStylePtr S::grayToolbarButton(UIControlState state) {
  return toolbarButtonForState(state, roundedShape(4.5), rgb(40, 40, 40), nullptr);
}

ULStylePtr S::blackToolbarForwardButton(UIControlState state) {
  return toolbarButtonForState(state, ULRoundedRightArrowShape::shapeWithRadius(4.5),
                               rgb(10, 10, 10), nullptr);
}

ULStylePtr S::blackToolbarRoundButton(UIControlState state) {
  return toolbarButtonForState(state, roundedShape(ULRadiusRounded), rgb(10, 10, 10), nullptr);
}

// ---- links, thumbnails, selection

ULStylePtr S::linkText(UIControlState state) {
  auto text = ULTextStyle::styleWithColor(globalColor("linkTextColor"));
  if (state != kHighlighted) return text;
  return ULInsetStyle::styleWithInset(
      edges(-3, -4, -3, -4),
      ULShapeStyle::styleWithShape(
          roundedShape(4.5),
          ULSolidFillStyle::styleWithColor(white(0.75),
                                           ULInsetStyle::styleWithInset(edges(3, 4, 3, 4), text))));
}

ULStylePtr S::linkHighlighted() {
  return ULShapeStyle::styleWithShape(roundedShape(4.5),
                                      ULSolidFillStyle::styleWithColor(white(0, 0.25)));
}

ULStylePtr S::thumbView(UIControlState state) {
  ULStylePtr dim =
      state & kHighlighted ? ULSolidFillStyle::styleWithColor(rgb(0, 0, 0, 0.5)) : nullptr;
  return ULImageStyle::styleWithImageURL(
      "", nullptr, UIViewContentMode::ScaleAspectFill, CGSizeZero,
      ULSolidBorderStyle::styleWithColor(rgb(0, 0, 0, 0.2), 1, dim));
}

ULStylePtr S::selectionFillStyle(ULStylePtr next) {
  return ULLinearGradientFillStyle::styleWithColor1(rgb(5, 140, 245), rgb(1, 93, 230),
                                                    std::move(next));
}

// ---- search

ULStylePtr S::searchTextField() {
  return ULShapeStyle::styleWithShape(
      roundedShape(ULRadiusRounded),
      ULInsetStyle::styleWithInset(
          edges(1, 0, 1, 0), ULShadowStyle::styleWithColor(
                                 rgb(255, 255, 255, 0.4), 0, CGSizeMake(0, 1),
                                 ULSolidFillStyle::styleWithColor(
                                     globalColor("backgroundColor"),
                                     ULInnerShadowStyle::styleWithColor(
                                         rgb(0, 0, 0, 0.4), 3, CGSizeMake(0, 2),
                                         ULBevelBorderStyle::styleWithHighlight(
                                             rgb(0, 0, 0, 0.25), rgb(0, 0, 0, 0.4), 1, 270))))));
}

ULStylePtr S::searchBar() {
  Color tint = globalColor("searchBarTintColor");
  return ULLinearGradientFillStyle::styleWithColor1(
      times(tint, 0, 0, 1.2), tint, ULFourBorderStyle::styleWithBottom(times(tint, 0, 0, 0.82), 1));
}

ULStylePtr S::searchBarBottom() {
  Color tint = globalColor("searchBarTintColor");
  return ULLinearGradientFillStyle::styleWithColor1(
      times(tint, 0, 0, 1.2), tint, ULFourBorderStyle::styleWithTop(times(tint, 0, 0, 0.82), 1));
}

ULStylePtr S::blackSearchBar() {
  return ULLinearGradientFillStyle::styleWithColor1(
      white(0.4, 0.6), white(0, 0.8),
      ULFourBorderStyle::styleWithBottom(white(0, 0.8), 1,
                                         ULFourBorderStyle::styleWithBottom(white(1, 0.05), 1)));
}

ULStylePtr S::searchTableShadow() {
  return ULLinearGradientFillStyle::styleWithColor1(
      rgb(0, 0, 0, 0.18), UIColor::clearColor(),
      ULFourBorderStyle::styleWithTop(rgb(130, 130, 130), 1));
}

// ---- tables, pickers

ULStylePtr S::tableHeader() {
  Color tint = globalColor("tableHeaderTintColor");
  ULStylePtr border = ULInsetStyle::styleWithInset(
      edges(-1, 0, 0, 0), ULFourBorderStyle::styleWithBottom(rgb(0, 0, 0, 0.15), 1));
  // No tint gives no gradient colours: the header keeps the view's own background.
  if (!tint) return border;
  return ULLinearGradientFillStyle::styleWithColor1(times(tint, 0, 0, 1.1), tint, border);
}

ULStylePtr S::pickerCell(UIControlState state) {
  ULStylePtr look;
  if (state & kSelected) {
    Color edge = rgb(53, 94, 255);
    look = ULLinearGradientFillStyle::styleWithColor1(
        rgb(79, 144, 255), rgb(49, 90, 255),
        ULFourBorderStyle::styleWithTop(edge, edge, edge, edge, 1));
  } else {
    look = ULLinearGradientFillStyle::styleWithColor1(
        rgb(221, 231, 248), rgb(188, 206, 241),
        ULLinearGradientBorderStyle::styleWithColor1(rgb(161, 187, 283), rgb(118, 130, 214), 1));
  }
  return ULShapeStyle::styleWithShape(roundedShape(ULRadiusRounded),
                                      ULInsetStyle::styleWithInset(edges(1), look));
}

// ---- overlays

ULStylePtr S::blackBezel() {
  return ULShapeStyle::styleWithShape(roundedShape(10),
                                      ULSolidFillStyle::styleWithColor(rgb(0, 0, 0, 0.7)));
}

ULStylePtr S::whiteBezel() {
  return ULShapeStyle::styleWithShape(
      roundedShape(10), ULSolidFillStyle::styleWithColor(
                            white(1), ULSolidBorderStyle::styleWithColor(rgb(178, 178, 178), 1)));
}

ULStylePtr S::blackBanner() {
  return ULSolidFillStyle::styleWithColor(
      rgb(0, 0, 0, 0.5),
      ULFourBorderStyle::styleWithTop(UIColor::blackColor(), 1,
                                      ULFourBorderStyle::styleWithTop(white(1, 0.2), 1)));
}

ULStylePtr S::photoCaption() {
  return ULSolidFillStyle::styleWithColor(
      white(0, 0.5),
      ULFourBorderStyle::styleWithTop(
          rgb(0, 0, 0, 0.5), 1,
          ULBoxStyle::styleWithPadding(
              edges(8),
              ULTextStyle::styleWithFont(
                  globalFont("photoCaptionFont"), globalColor("photoCaptionTextColor"), 0.0,
                  globalColor("photoCaptionTextShadowColor"),
                  globalSize("photoCaptionTextShadowOffset"), UITextAlignmentCenter,
                  UIControlContentVerticalAlignment::Center, UILineBreakModeTailTruncation, 6))));
}

ULStylePtr S::photoStatusLabel() {
  return ULSolidFillStyle::styleWithColor(
      white(0, 0.5), ULBoxStyle::styleWithPadding(
                         edges(20, 8, 20, 8),
                         ULTextStyle::styleWithFont(globalFont("tableFont"), rgb(200, 200, 200),
                                                    0.0, white(0, 0.9), CGSizeMake(0, -1))));
}

// ---- badges

ULStylePtr S::badgeWithFontSize(CGFloat fontSize) {
  return ULShapeStyle::styleWithShape(
      roundedShape(ULRadiusRounded),
      ULInsetStyle::styleWithInset(
          edges(1),
          ULShadowStyle::styleWithColor(
              rgb(0, 0, 0, 0.8), 3, CGSizeMake(0, 4),
              ULReflectiveFillStyle::styleWithColor(
                  rgb(221, 17, 27),
                  ULInsetStyle::styleWithInset(
                      edges(-1), ULSolidBorderStyle::styleWithColor(
                                     white(1), 2,
                                     ULBoxStyle::styleWithPadding(
                                         edges(1, 7, 2, 7), ULTextStyle::styleWithFont(
                                                                bold(fontSize), white(1)))))))));
}

ULStylePtr S::miniBadge() {
  return badgeWithFontSize(12);
}

ULStylePtr S::badge() {
  return badgeWithFontSize(15);
}

ULStylePtr S::largeBadge() {
  return badgeWithFontSize(17);
}

// ---- tab bars

ULStylePtr S::tabBar() {
  Color tint = globalColor("tabBarTintColor");
  return ULSolidFillStyle::styleWithColor(
      tint, ULFourBorderStyle::styleWithBottom(times(tint, 0, 0, 0.7), 1));
}

ULStylePtr S::tabStrip() {
  Color tint = globalColor("tabTintColor");
  return ULReflectiveFillStyle::styleWithColor(
      tint, ULFourBorderStyle::styleWithBottom(times(tint, 0, 0, 0.4), 1));
}

ULStylePtr S::tab(UIControlState state) {
  if (state == kSelected) {
    Color border = times(globalColor("tabBarTintColor"), 0, 0, 0.7);
    return ULShapeStyle::styleWithShape(
        ULRoundedRectangleShape::shapeWithTopLeft(4.5, 4.5, 0, 0),
        ULInsetStyle::styleWithInset(
            edges(5, 1, 0, 1),
            ULReflectiveFillStyle::styleWithColor(
                globalColor("tabTintColor"),
                ULInsetStyle::styleWithInset(
                    edges(-1, -1, 0, -1),
                    ULFourBorderStyle::styleWithTop(
                        border, border, nullptr, border, 1,
                        ULBoxStyle::styleWithPadding(
                            edges(6, 12, 2, 12),
                            ULTextStyle::styleWithFont(bold(14), globalColor("textColor"), 8.0,
                                                       white(1, 0.8), CGSizeMake(0, -1))))))));
  }
  return ULInsetStyle::styleWithInset(
      edges(5, 1, 1, 1),
      ULBoxStyle::styleWithPadding(
          edges(6, 12, 2, 12),
          ULTextStyle::styleWithFont(bold(14), white(1), 8.0, white(0, 0.6), CGSizeMake(0, -1))));
}

ULStylePtr S::tabRound(UIControlState state) {
  if (state == kSelected) {
    return ULShapeStyle::styleWithShape(
        roundedShape(ULRadiusRounded),
        ULInsetStyle::styleWithInset(
            edges(9, 1, 8, 1),
            ULShadowStyle::styleWithColor(
                rgb(255, 255, 255, 0.8), 0, CGSizeMake(0, 1),
                ULReflectiveFillStyle::styleWithColor(
                    globalColor("tabBarTintColor"),
                    ULInnerShadowStyle::styleWithColor(
                        rgb(0, 0, 0, 0.3), 1, CGSizeMake(1, 1),
                        ULInsetStyle::styleWithInset(
                            edges(-1),
                            ULBoxStyle::styleWithPadding(
                                edges(0, 10, 0, 10),
                                ULTextStyle::styleWithFont(bold(13), white(1), 8.0, white(0, 0.5),
                                                           CGSizeMake(0, -1)))))))));
  }
  return ULBoxStyle::styleWithPadding(
      edges(0, 10, 0, 10), ULTextStyle::styleWithFont(bold(13), globalColor("linkTextColor"), 8.0,
                                                      white(1, 0.9), CGSizeMake(0, -1)));
}

ULStylePtr S::tabOverflowLeft() {
  return ULImageStyle::styleWithImage(
      ULURLCache::sharedCache()->imageForURL("bundle://ULKit.bundle/images/overflowLeft.png"),
      nullptr, UIViewContentMode::Center, CGSizeZero, nullptr);
}

ULStylePtr S::tabOverflowRight() {
  return ULImageStyle::styleWithImage(
      ULURLCache::sharedCache()->imageForURL("bundle://ULKit.bundle/images/overflowRight.png"),
      nullptr, UIViewContentMode::Center, CGSizeZero, nullptr);
}

ULStylePtr S::tabGrid() {
  Color tint = globalColor("tabTintColor");
  return ULShapeStyle::styleWithShape(
      roundedShape(8),
      ULInsetStyle::styleWithInset(
          edges(0, -1, -1, -2),
          ULShadowStyle::styleWithColor(
              rgb(255, 255, 255, 0.7), 1, CGSizeMake(0, 1),
              ULLinearGradientFillStyle::styleWithColor1(
                  times(tint, 1, 0.9, 1.1), tint,
                  ULSolidBorderStyle::styleWithColor(times(tint, 1, 1.1, 0.86), 1)))));
}

ULStylePtr S::tabGridTabImage(UIControlState) {
  return ULImageStyle::styleWithImageURL("", nullptr, UIViewContentMode::Left, CGSizeZero, nullptr);
}

ULStylePtr S::tabGridTab(UIControlState state, long corner) {
  ULShapePtr shape;
  switch (corner) {
    case 1:
      shape = ULRoundedRectangleShape::shapeWithTopLeft(8, 0, 0, 0);
      break;
    case 2:
      shape = ULRoundedRectangleShape::shapeWithTopLeft(0, 8, 0, 0);
      break;
    case 3:
      shape = ULRoundedRectangleShape::shapeWithTopLeft(0, 0, 8, 0);
      break;
    case 4:
      shape = ULRoundedRectangleShape::shapeWithTopLeft(0, 0, 0, 8);
      break;
    case 5:
      shape = ULRoundedRectangleShape::shapeWithTopLeft(8, 0, 0, 8);
      break;
    case 6:
      shape = ULRoundedRectangleShape::shapeWithTopLeft(0, 8, 8, 0);
      break;
    default:
      shape = ULRectangleShape::shape();
      break;
  }
  auto content = [&](UIControlState imageState, ULStylePtr text) {
    return ULBoxStyle::styleWithPadding(
        edges(11, 10, 9, 10),
        ULPartStyle::styleWithName(
            "image", global()->styleWithSelector("tabGridTabImage:", imageState), std::move(text)));
  };
  if (state == kSelected) {
    return ULShapeStyle::styleWithShape(
        shape, ULSolidFillStyle::styleWithColor(
                   rgb(150, 168, 191),
                   ULInnerShadowStyle::styleWithColor(
                       rgb(0, 0, 0, 0.6), 3, CGSizeMake(0, 0),
                       content(kSelected, ULTextStyle::styleWithFont(bold(11), white(1), 8.0,
                                                                     rgb(0, 0, 0, 0.1),
                                                                     CGSizeMake(-1, -1))))));
  }
  return ULShapeStyle::styleWithShape(
      shape,
      ULBevelBorderStyle::styleWithHighlight(
          rgb(255, 255, 255, 0.7), times(globalColor("tabTintColor"), 1, 1.1, 0.88), 1, 125,
          content(state, ULTextStyle::styleWithFont(bold(11), globalColor("linkTextColor"), 8.0,
                                                    white(255, 0.9), CGSizeMake(0, -1)))));
}

ULStylePtr S::tabGridTabCenter(UIControlState state) {
  return tabGridTab(state, 0);
}

ULStylePtr S::tabGridTabTopLeft(UIControlState state) {
  return tabGridTab(state, 1);
}

ULStylePtr S::tabGridTabTopRight(UIControlState state) {
  return tabGridTab(state, 2);
}

ULStylePtr S::tabGridTabBottomRight(UIControlState state) {
  return tabGridTab(state, 3);
}

ULStylePtr S::tabGridTabBottomLeft(UIControlState state) {
  return tabGridTab(state, 4);
}

ULStylePtr S::tabGridTabLeft(UIControlState state) {
  return tabGridTab(state, 5);
}

ULStylePtr S::tabGridTabRight(UIControlState state) {
  return tabGridTab(state, 6);
}

// ---- editors and text bars

ULStylePtr S::rounded() {
  return ULShapeStyle::styleWithShape(roundedShape(8), ULContentStyle::styleWithNext());
}

ULStylePtr S::postTextEditor() {
  return ULInsetStyle::styleWithInset(
      edges(6, 5, 6, 5),
      ULShapeStyle::styleWithShape(roundedShape(15), ULSolidFillStyle::styleWithColor(white(1))));
}

ULStylePtr S::textBar() {
  return ULLinearGradientFillStyle::styleWithColor1(
      rgb(237, 239, 241), rgb(206, 208, 212),
      ULFourBorderStyle::styleWithTop(rgb(187, 189, 190), 1,
                                      ULFourBorderStyle::styleWithTop(white(1), 1)));
}

ULStylePtr S::textBarFooter() {
  return ULLinearGradientFillStyle::styleWithColor1(
      rgb(206, 208, 212), rgb(184, 186, 190),
      ULFourBorderStyle::styleWithTop(rgb(161, 161, 161), 1,
                                      ULFourBorderStyle::styleWithTop(rgb(230, 232, 235), 1)));
}

ULStylePtr S::textBarTextField() {
  // The search field's look after its shape: its chain is shared, not copied.
  ULStylePtr field = global()->styleWithSelector("searchTextField");
  return ULInsetStyle::styleWithInset(
      edges(6, 0, 3, 6),
      ULShapeStyle::styleWithShape(roundedShape(12.5), field ? field->next() : nullptr));
}

ULStylePtr S::textBarPostButton(UIControlState state) {
  Color fill = state == kHighlighted ? rgb(19, 61, 126) : rgb(31, 100, 206);
  Color text = white(1, state == kDisabled ? 0.5 : 1);
  return ULShapeStyle::styleWithShape(
      roundedShape(13),
      ULInsetStyle::styleWithInset(
          edges(2, 0, 1, 0),
          ULShadowStyle::styleWithColor(
              rgb(255, 255, 255, 0.5), 0, CGSizeMake(0, 1),
              ULReflectiveFillStyle::styleWithColor(
                  fill, ULLinearGradientBorderStyle::styleWithColor1(
                            fill, rgb(14, 83, 187), 1,
                            ULInsetStyle::styleWithInset(
                                edges(0, -1, 0, -1),
                                ULBoxStyle::styleWithPadding(
                                    edges(8, 9, 8, 9),
                                    ULTextStyle::styleWithFont(bold(15), text, white(0, 0.3),
                                                               CGSizeMake(0, -1)))))))));
}

// ---- the launcher and page dots

ULStylePtr S::pageDotWithColor(Color color) {
  return ULBoxStyle::styleWithMargin(
      edges(0, 0, 0, 10), edges(6, 6, 0, 0),
      ULShapeStyle::styleWithShape(roundedShape(2.5),
                                   ULSolidFillStyle::styleWithColor(std::move(color))));
}

ULStylePtr S::pageDot(UIControlState state) {
  return pageDotWithColor(state == kSelected ? white(1) : rgb(77, 77, 77));
}

ULStylePtr S::launcherPageDot(UIControlState state) {
  return global()->styleWithSelector("pageDot:", state);
}

ULStylePtr S::launcherButtonImage(UIControlState state) {
  auto style = ULBoxStyle::styleWithMargin(
      edges(-7, 0, 11, 0),
      ULShapeStyle::styleWithShape(
          roundedShape(8), ULImageStyle::styleWithImageURL("", nullptr, UIViewContentMode::Center,
                                                           CGSizeZero, nullptr)));
  if (state == kHighlighted || state == kSelected)
    style->addStyle(ULBlendStyle::styleWithBlend(
        CGBlendMode::SourceAtop, ULSolidFillStyle::styleWithColor(rgb(0, 0, 0, 0.5))));
  return style;
}

ULStylePtr S::launcherButton(UIControlState state) {
  return ULPartStyle::styleWithName(
      "image", global()->styleWithSelector("launcherButtonImage:", state),
      ULTextStyle::styleWithFont(bold(11), rgb(180, 180, 180), 11.0, nullptr, CGSizeZero));
}

ULStylePtr S::launcherBlackButton(UIControlState state) {
  return ULPartStyle::styleWithName(
      "image", global()->styleWithSelector("launcherButtonImage:", state),
      ULTextStyle::styleWithFont(bold(11), UIColor::blackColor(), 11.0, nullptr, CGSizeZero));
}

ULStylePtr S::launcherCloseButtonImage(UIControlState) {
  return ULBoxStyle::styleWithMargin(
      edges(-2, 0, 0, 0), ULImageStyle::styleWithImageURL("", nullptr, UIViewContentMode::Center,
                                                          CGSizeMake(10, 10), nullptr));
}

ULStylePtr S::launcherCloseButton(UIControlState) {
  return ULShapeStyle::styleWithShape(
      roundedShape(ULRadiusRounded),
      ULInsetStyle::styleWithInset(
          edges(1), ULShadowStyle::styleWithColor(
                        rgb(0, 0, 0, 0.5), 2, CGSizeMake(0, 3),
                        ULSolidFillStyle::styleWithColor(
                            UIColor::blackColor(),
                            ULInsetStyle::styleWithInset(
                                edges(-1), ULSolidBorderStyle::styleWithColor(
                                               white(1), 2,
                                               ULPartStyle::styleWithName(
                                                   "image", global()->styleWithSelector(
                                                                "launcherCloseButtonImage:"))))))));
}

// ---- values

Color S::textColor() {
  return UIColor::blackColor();
}
Color S::highlightedTextColor() {
  return UIColor::whiteColor();
}
Color S::backgroundTextColor() {
  return UIColor::whiteColor();
}
Font S::font() {
  return system(14);
}
Color S::backgroundColor() {
  return UIColor::whiteColor();
}
Color S::navigationBarTintColor() {
  return rgb(119, 140, 168);
}
Color S::toolbarTintColor() {
  return rgb(109, 132, 162);
}
Color S::searchBarTintColor() {
  return rgb(200, 200, 200);
}
Color S::tablePlainBackgroundColor() {
  return nullptr;
}
Color S::tablePlainCellSeparatorColor() {
  return nullptr;
}
long S::tablePlainCellSeparatorStyle() {
  return 1;
}
Color S::tableGroupedBackgroundColor() {
  return UIColor::groupTableViewBackgroundColor();
}
Color S::tableGroupedCellSeparatorColor() {
  return nullptr;
}
long S::tableGroupedCellSeparatorStyle() {
  return tablePlainCellSeparatorStyle();
}
Color S::searchTableBackgroundColor() {
  return rgb(235, 235, 235);
}
Color S::searchTableSeparatorColor() {
  return white(0.85);
}
Color S::linkTextColor() {
  return rgb(87, 107, 149);
}
Color S::timestampTextColor() {
  return rgb(36, 112, 216);
}
Color S::moreLinkTextColor() {
  return rgb(36, 112, 216);
}
Color S::tableHeaderTextColor() {
  return nullptr;
}
Color S::tableHeaderShadowColor() {
  return nullptr;
}
CGSize S::tableHeaderShadowOffset() {
  return CGSizeMake(0, 1);
}
Color S::tableHeaderTintColor() {
  return nullptr;
}
Color S::photoCaptionTextColor() {
  return UIColor::whiteColor();
}
Color S::photoCaptionTextShadowColor() {
  return white(0, 0.9);
}
CGSize S::photoCaptionTextShadowOffset() {
  return CGSizeMake(0, 1);
}
Color S::screenBackgroundColor() {
  return white(0, 0.8);
}
Color S::tableActivityTextColor() {
  return rgb(99, 109, 125);
}
Color S::tableErrorTextColor() {
  return rgb(96, 103, 111);
}
Color S::tableSubTextColor() {
  return rgb(79, 89, 105);
}
Color S::tableTitleTextColor() {
  return rgb(99, 109, 125);
}
Color S::tabBarTintColor() {
  return rgb(119, 140, 168);
}
Color S::tabTintColor() {
  return rgb(228, 230, 235);
}
Color S::messageFieldTextColor() {
  return white(0.5);
}
Color S::messageFieldSeparatorColor() {
  return white(0.7);
}
Color S::thumbnailBackgroundColor() {
  return white(0.95);
}
Color S::postButtonColor() {
  return rgb(117, 144, 181);
}
Font S::buttonFont() {
  return bold(12);
}
Font S::tableFont() {
  return bold(17);
}
Font S::tableSmallFont() {
  return bold(15);
}
Font S::tableTitleFont() {
  return bold(13);
}
Font S::tableTimestampFont() {
  return system(13);
}
Font S::tableButtonFont() {
  return bold(13);
}
Font S::tableSummaryFont() {
  return system(17);
}
Font S::tableHeaderPlainFont() {
  return bold(16);
}
Font S::tableHeaderGroupedFont() {
  return bold(18);
}
CGFloat S::tableBannerViewHeight() {
  return 22;
}
Font S::photoCaptionFont() {
  return bold(12);
}
Font S::messageFont() {
  return system(15);
}
Font S::errorTitleFont() {
  return bold(18);
}
Font S::errorSubtitleFont() {
  return bold(12);
}
Font S::activityLabelFont() {
  return system(17);
}
Font S::activityBannerFont() {
  return bold(11);
}
long S::tableSelectionStyle() {
  return 1;
}
Font S::tableRefreshHeaderLastUpdatedFont() {
  return system(12);
}
Font S::tableRefreshHeaderStatusFont() {
  return bold(14);
}
Color S::tableRefreshHeaderBackgroundColor() {
  return rgb(226, 231, 237);
}
Color S::tableRefreshHeaderTextColor() {
  return rgb(109, 128, 153);
}
Color S::tableRefreshHeaderTextShadowColor() {
  return UIColor::whiteColor()->colorWithAlphaComponent(0.9);
}
CGSize S::tableRefreshHeaderTextShadowOffset() {
  return CGSizeMake(0, 1);
}
std::shared_ptr<UIImage> S::tableRefreshHeaderArrowImage() {
  return ULURLCache::sharedCache()->imageForURL("bundle://ULKit.bundle/images/blueArrow.png");
}
