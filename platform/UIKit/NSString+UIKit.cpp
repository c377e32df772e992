#include <cstdio>

#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIGraphics.h"

CTLineBreakMode CTLineBreakModeFromUILineBreakMode(UILineBreakMode mode) {
  // The two enumerations share their values.
  return mode >= UILineBreakModeWordWrap && mode <= UILineBreakModeMiddleTruncation
             ? CTLineBreakMode(mode)
             : kCTLineBreakByWordWrapping;
}

CTTextAlignment CTTextAlignmentFromUITextAlignment(UITextAlignment alignment) {
  switch (alignment) {
    case UITextAlignmentCenter:
      return kCTCenterTextAlignment;
    case UITextAlignmentRight:
      return kCTRightTextAlignment;
    default:
      return kCTLeftTextAlignment;
  }
}

CGSize sizeWithFont(std::string_view text, const std::shared_ptr<UIFont>& font) {
  if (!font) return CGSizeZero;
  // Any height below two lines keeps one line.
  return TextMeasurer::current()->measure(text, font->textFont(), {0, 1},
                                          kCTLineBreakByWordWrapping);
}

CGSize sizeWithFont(std::string_view text, const std::shared_ptr<UIFont>& font, CGSize size,
                    UILineBreakMode lineBreakMode) {
  if (!font) return CGSizeZero;
  return TextMeasurer::current()->measure(text, font->textFont(), size,
                                          CTLineBreakModeFromUILineBreakMode(lineBreakMode));
}

CGSize sizeWithFont(std::string_view text, const std::shared_ptr<UIFont>& font, CGFloat width,
                    UILineBreakMode lineBreakMode) {
  if (!font) return CGSizeZero;
  return TextMeasurer::current()->measure(text, font->textFont(), {width, 1},
                                          CTLineBreakModeFromUILineBreakMode(lineBreakMode));
}

CGSize sizeWithFont(std::string_view text, const std::shared_ptr<UIFont>& font, CGFloat minFontSize,
                    CGFloat* actualFontSize, CGFloat width, UILineBreakMode lineBreakMode) {
  if (!font) {
    if (actualFontSize) *actualFontSize = 0;
    return CGSizeZero;
  }
  auto measurer = TextMeasurer::current();
  TextFont fitted = font->textFont();
  fitted.pointSize = measurer->fittingFontSize(text, fitted, minFontSize, width);
  if (actualFontSize) *actualFontSize = fitted.pointSize;
  return measurer->measure(text, fitted, {width, 1},
                           CTLineBreakModeFromUILineBreakMode(lineBreakMode));
}

// ---- drawing

namespace {

std::string recordDetail(std::string_view text, const TextFont& font, const CGContextRef& ctx) {
  char size[32];
  std::snprintf(size, sizeof size, "%g", font.pointSize);
  std::string d = "\"" + std::string(text) + "\" font=" + font.name + " " + size;
  if (auto c = ctx->fillColor(); c && !c->isPattern()) {
    CGRGBA v = c->rgba();
    char rgba[96];
    std::snprintf(rgba, sizeof rgba, " rgba(%g %g %g %g)", v.r, v.g, v.b, v.a);
    d += rgba;
  }
  return d;
}

}  // namespace

CGSize drawInRect(std::string_view text, CGRect rect, const std::shared_ptr<UIFont>& font,
                  UILineBreakMode lineBreakMode, UITextAlignment alignment) {
  if (!font) return CGSizeZero;
  auto measurer = TextMeasurer::current();
  CTLineBreakMode mode = CTLineBreakModeFromUILineBreakMode(lineBreakMode);
  auto ctx = UIGraphicsGetCurrentContext();
  if (!ctx || text.empty()) return measurer->measure(text, font->textFont(), rect.size, mode);
  cairo_t* cr = ctx->beginCairoDrawing(rect);
  CGSize drawn = measurer->drawInRect(cr, text, font->textFont(), rect, mode,
                                      CTTextAlignmentFromUITextAlignment(alignment));
  ctx->endCairoDrawing();
  if (ctx->isRecording())
    ctx->record("drawText", {rect.origin, {rect.size.width, drawn.height}},
                recordDetail(text, font->textFont(), ctx));
  return drawn;
}

CGSize drawAtPoint(std::string_view text, CGPoint point, const std::shared_ptr<UIFont>& font) {
  return drawAtPoint(text, point, 0, font, UILineBreakModeWordWrap);
}

CGSize drawAtPoint(std::string_view text, CGPoint point, CGFloat width,
                   const std::shared_ptr<UIFont>& font, UILineBreakMode lineBreakMode) {
  return drawAtPoint(text, point, width, font, 0, nullptr, lineBreakMode,
                     UIBaselineAdjustmentAlignBaselines);
}

CGSize drawAtPoint(std::string_view text, CGPoint point, CGFloat width,
                   const std::shared_ptr<UIFont>& font, CGFloat minFontSize,
                   CGFloat* actualFontSize, UILineBreakMode lineBreakMode,
                   UIBaselineAdjustment baselineAdjustment) {
  if (!font) {
    if (actualFontSize) *actualFontSize = 0;
    return CGSizeZero;
  }
  auto measurer = TextMeasurer::current();
  TextFont used = font->textFont();
  if (minFontSize > 0 && width > 0)
    used.pointSize = measurer->fittingFontSize(text, used, minFontSize, width);
  if (actualFontSize) *actualFontSize = used.pointSize;
  CTLineBreakMode mode = CTLineBreakModeFromUILineBreakMode(lineBreakMode);
  auto ctx = UIGraphicsGetCurrentContext();
  if (!ctx || text.empty()) return measurer->measure(text, used, {width, 1}, mode);
  if (used.pointSize != font->pointSize()) {
    // A reduced line keeps the full-size line's baseline, or its middle.
    TextFontMetrics full = measurer->metrics(font->textFont()), small = measurer->metrics(used);
    if (baselineAdjustment == UIBaselineAdjustmentAlignCenters) {
      point.y += (full.lineHeight - small.lineHeight) / 2;
    } else if (baselineAdjustment == UIBaselineAdjustmentAlignBaselines) {
      point.y += full.ascender - small.ascender;
    }
  }
  cairo_t* cr = ctx->beginCairoDrawing();
  CGSize drawn = measurer->drawAtPoint(cr, text, used, point, width, mode);
  ctx->endCairoDrawing();
  if (ctx->isRecording()) ctx->record("drawText", {point, drawn}, recordDetail(text, used, ctx));
  return drawn;
}
