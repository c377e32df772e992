// The library's look: the style chains of every library control and the library-wide colours,
// fonts and sizes.  Every method is also known by its name through the class registry; style
// methods whose name ends in ':' take a control state (0 normal, 1 highlighted, 2 disabled,
// 4 selected, or their combinations) and are meant to be asked through styleWithSelector,
// which keeps their answers.  Value methods build a new colour or font each call.
//
// Chains that use another named style or a value ask the global style sheet for it (by name),
// so that an installed sheet changes them too.  Colours named by their 0 ... 255 components
// are RGB colours, those named by a white level white-level ones; components above the range
// are clamped by the colours.
#pragma once

#include <memory>

#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "uilib/style/ULShape.h"
#include "uilib/style/ULStyleSheet.h"

class ULDefaultStyleSheet : public ULStyleSheet {
  NS_CLASS(ULDefaultStyleSheet, ULStyleSheet)

 public:
  using Color = std::shared_ptr<UIColor>;
  using Font = std::shared_ptr<UIFont>;

  // ---- style methods
  ULStylePtr linkText(UIControlState state);
  ULStylePtr linkHighlighted();
  ULStylePtr thumbView(UIControlState state);
  ULStylePtr toolbarButton(UIControlState state);
  ULStylePtr toolbarBackButton(UIControlState state);
  ULStylePtr toolbarForwardButton(UIControlState state);
  ULStylePtr toolbarRoundButton(UIControlState state);
  ULStylePtr blackToolbarButton(UIControlState state);
  ULStylePtr grayToolbarButton(UIControlState state);
  ULStylePtr blackToolbarForwardButton(UIControlState state);
  ULStylePtr blackToolbarRoundButton(UIControlState state);
  ULStylePtr searchTextField();
  ULStylePtr searchBar();
  ULStylePtr searchBarBottom();
  ULStylePtr blackSearchBar();
  // With no tint (the default) the header has no gradient: its border only.
  ULStylePtr tableHeader();
  ULStylePtr pickerCell(UIControlState state);
  ULStylePtr searchTableShadow();
  ULStylePtr blackBezel();
  ULStylePtr whiteBezel();
  ULStylePtr blackBanner();
  ULStylePtr badgeWithFontSize(CGFloat fontSize);
  ULStylePtr miniBadge();
  ULStylePtr badge();
  ULStylePtr largeBadge();
  ULStylePtr tabBar();
  ULStylePtr tabStrip();
  ULStylePtr tabGrid();
  ULStylePtr tabGridTabImage(UIControlState state);
  // Corner 0 the plain rectangle; 1 top-left, 2 top-right, 3 bottom-right, 4 bottom-left,
  // 5 both left and 6 both right corners rounded by 8.
  ULStylePtr tabGridTab(UIControlState state, long corner);
  ULStylePtr tabGridTabTopLeft(UIControlState state);
  ULStylePtr tabGridTabTopRight(UIControlState state);
  ULStylePtr tabGridTabBottomRight(UIControlState state);
  ULStylePtr tabGridTabBottomLeft(UIControlState state);
  ULStylePtr tabGridTabLeft(UIControlState state);
  ULStylePtr tabGridTabRight(UIControlState state);
  ULStylePtr tabGridTabCenter(UIControlState state);
  ULStylePtr tab(UIControlState state);
  ULStylePtr tabRound(UIControlState state);
  ULStylePtr tabOverflowLeft();
  ULStylePtr tabOverflowRight();
  ULStylePtr rounded();
  ULStylePtr postTextEditor();
  ULStylePtr photoCaption();
  ULStylePtr photoStatusLabel();
  ULStylePtr pageDot(UIControlState state);
  ULStylePtr launcherButton(UIControlState state);
  ULStylePtr launcherBlackButton(UIControlState state);
  // Darkened (source-atop black at half alpha) for exactly highlighted or exactly selected.
  ULStylePtr launcherButtonImage(UIControlState state);
  ULStylePtr launcherCloseButtonImage(UIControlState state);
  ULStylePtr launcherCloseButton(UIControlState state);
  ULStylePtr launcherPageDot(UIControlState state);
  ULStylePtr textBar();
  ULStylePtr textBarFooter();
  ULStylePtr textBarTextField();
  ULStylePtr textBarPostButton(UIControlState state);

  // ---- style-building operations
  Color toolbarButtonColorWithTintColor(const Color& tint, UIControlState state);
  // White; at alpha 0.4 when the disabled bit is set.
  Color toolbarButtonTextColorForState(UIControlState state);
  ULStylePtr selectionFillStyle(ULStylePtr next);
  // A nil font: the text is drawn in the context's (the button's) font.
  ULStylePtr toolbarButtonForState(UIControlState state, ULShapePtr shape, const Color& tintColor,
                                   Font font);
  // A dot 6 × 6 with a margin of 10 on its right.
  ULStylePtr pageDotWithColor(Color color);

  // ---- values
  Color textColor();
  Color highlightedTextColor();
  Color backgroundTextColor();
  Font font();
  Color backgroundColor();
  Color navigationBarTintColor();
  Color toolbarTintColor();
  Color searchBarTintColor();
  // The values that answer nil leave the choice to the platform's default of the view.
  Color tablePlainBackgroundColor();
  Color tablePlainCellSeparatorColor();
  long tablePlainCellSeparatorStyle();
  Color tableGroupedBackgroundColor();
  Color tableGroupedCellSeparatorColor();
  long tableGroupedCellSeparatorStyle();
  Color searchTableBackgroundColor();
  Color searchTableSeparatorColor();
  Color linkTextColor();
  Color timestampTextColor();
  Color moreLinkTextColor();
  Color tableHeaderTextColor();
  Color tableHeaderShadowColor();
  CGSize tableHeaderShadowOffset();
  Color tableHeaderTintColor();
  Color photoCaptionTextColor();
  Color photoCaptionTextShadowColor();
  CGSize photoCaptionTextShadowOffset();
  Color screenBackgroundColor();
  Color tableActivityTextColor();
  Color tableErrorTextColor();
  Color tableSubTextColor();
  Color tableTitleTextColor();
  Color tabBarTintColor();
  Color tabTintColor();
  Color messageFieldTextColor();
  Color messageFieldSeparatorColor();
  Color thumbnailBackgroundColor();
  Color postButtonColor();
  Font buttonFont();
  Font tableFont();
  Font tableSmallFont();
  Font tableTitleFont();
  Font tableTimestampFont();
  Font tableButtonFont();
  Font tableSummaryFont();
  Font tableHeaderPlainFont();
  Font tableHeaderGroupedFont();
  CGFloat tableBannerViewHeight();
  Font photoCaptionFont();
  Font messageFont();
  Font errorTitleFont();
  Font errorSubtitleFont();
  Font activityLabelFont();
  Font activityBannerFont();
  long tableSelectionStyle();
  Font tableRefreshHeaderLastUpdatedFont();
  Font tableRefreshHeaderStatusFont();
  Color tableRefreshHeaderBackgroundColor();
  Color tableRefreshHeaderTextColor();
  Color tableRefreshHeaderTextShadowColor();
  CGSize tableRefreshHeaderTextShadowOffset();
  std::shared_ptr<UIImage> tableRefreshHeaderArrowImage();
};
