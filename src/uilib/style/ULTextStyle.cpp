#include "uilib/style/ULTextStyle.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "Foundation/NSClass.h"
#include "uilib/style/UIFont+ULCategory.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDrawing.h"

NS_CLASS_IMPLEMENTATION(ULTextStyle) {}

std::shared_ptr<ULTextStyle> ULTextStyle::styleWithFont(std::shared_ptr<UIFont> font,
                                                        ULStylePtr next) {
  auto style = std::make_shared<ULTextStyle>(std::move(next));
  style->font_ = std::move(font);
  return style;
}

std::shared_ptr<ULTextStyle> ULTextStyle::styleWithColor(std::shared_ptr<UIColor> color,
                                                         ULStylePtr next) {
  auto style = std::make_shared<ULTextStyle>(std::move(next));
  style->color_ = std::move(color);
  return style;
}

std::shared_ptr<ULTextStyle> ULTextStyle::styleWithFont(std::shared_ptr<UIFont> font,
                                                        std::shared_ptr<UIColor> color,
                                                        ULStylePtr next) {
  auto style = styleWithFont(std::move(font), std::move(next));
  style->color_ = std::move(color);
  return style;
}

std::shared_ptr<ULTextStyle> ULTextStyle::styleWithFont(std::shared_ptr<UIFont> font,
                                                        std::shared_ptr<UIColor> color,
                                                        UITextAlignment textAlignment,
                                                        ULStylePtr next) {
  auto style = styleWithFont(std::move(font), std::move(color), std::move(next));
  style->textAlignment_ = textAlignment;
  return style;
}

std::shared_ptr<ULTextStyle> ULTextStyle::styleWithFont(std::shared_ptr<UIFont> font,
                                                        std::shared_ptr<UIColor> color,
                                                        std::shared_ptr<UIColor> shadowColor,
                                                        CGSize shadowOffset, ULStylePtr next) {
  auto style = styleWithFont(std::move(font), std::move(color), std::move(next));
  style->shadowColor_ = std::move(shadowColor);
  style->shadowOffset_ = shadowOffset;
  return style;
}

std::shared_ptr<ULTextStyle> ULTextStyle::styleWithFont(std::shared_ptr<UIFont> font,
                                                        std::shared_ptr<UIColor> color,
                                                        CGFloat minimumFontSize,
                                                        std::shared_ptr<UIColor> shadowColor,
                                                        CGSize shadowOffset, ULStylePtr next) {
  auto style = styleWithFont(std::move(font), std::move(color), std::move(shadowColor),
                             shadowOffset, std::move(next));
  style->minimumFontSize_ = minimumFontSize;
  return style;
}

std::shared_ptr<ULTextStyle> ULTextStyle::styleWithFont(
    std::shared_ptr<UIFont> font, std::shared_ptr<UIColor> color, CGFloat minimumFontSize,
    std::shared_ptr<UIColor> shadowColor, CGSize shadowOffset, UITextAlignment textAlignment,
    UIControlContentVerticalAlignment verticalAlignment, UILineBreakMode lineBreakMode,
    long numberOfLines, ULStylePtr next) {
  auto style = styleWithFont(std::move(font), std::move(color), minimumFontSize,
                             std::move(shadowColor), shadowOffset, std::move(next));
  style->textAlignment_ = textAlignment;
  style->verticalAlignment_ = verticalAlignment;
  style->lineBreakMode_ = lineBreakMode;
  style->numberOfLines_ = numberOfLines;
  return style;
}

CGSize ULTextStyle::sizeOfText(std::string_view text, const std::shared_ptr<UIFont>& font,
                               CGSize size) const {
  if (numberOfLines_ == 1) return sizeWithFont(text, font);
  CGSize s = sizeWithFont(text, font, CGSizeMake(size.width, FLT_MAX), lineBreakMode_);
  if (numberOfLines_ != 0 && font)
    s.height = std::min(s.height, ulLineHeight(*font) * CGFloat(numberOfLines_));
  return s;
}

CGRect ULTextStyle::rectForText(std::string_view text, CGSize size,
                                const std::shared_ptr<UIFont>& font) const {
  if (textAlignment_ == UITextAlignmentLeft &&
      verticalAlignment_ == UIControlContentVerticalAlignment::Top)
    return CGRectMake(0, 0, size.width, size.height);
  CGSize t = sizeOfText(text, font, size);
  CGFloat m = std::max(size.width, t.width);
  CGFloat x = 0, y = 0;
  if (textAlignment_ == UITextAlignmentRight)
    x = m - t.width;
  else if (textAlignment_ == UITextAlignmentCenter)
    x = std::round(m / 2 - t.width / 2);
  if (verticalAlignment_ == UIControlContentVerticalAlignment::Bottom)
    y = size.height - t.height;
  else if (verticalAlignment_ == UIControlContentVerticalAlignment::Center)
    y = std::round(size.height / 2 - t.height / 2);
  return CGRectMake(x, y, t.width, t.height);
}

void ULTextStyle::drawText(std::string_view text, ULStyleContext& context) {
  CGContext* ctx = ULCurrentContext();
  if (!ctx) return;
  ctx->saveGState();
  std::shared_ptr<UIFont> font = font_ ? font_ : context.font();
  if (!font) font = UIFont::systemFontOfSize(UIFont::systemFontSize());
  if (shadowColor_)
    ctx->setShadowWithColor(CGSizeMake(shadowOffset_.width, -shadowOffset_.height), 0,
                            shadowColor_->CGColor());
  if (color_) ctx->setFillColorWithColor(color_->CGColor());
  CGRect cf = context.contentFrame();
  if (numberOfLines_ == 1) {
    CGRect r = rectForText(text, cf.size, font);
    CGFloat minimum = minimumFontSize_ != 0 ? minimumFontSize_ : font->pointSize();
    CGFloat actual = 0;
    CGSize drawn = drawAtPoint(
        text, CGPointMake(cf.origin.x + r.origin.x, cf.origin.y + r.origin.y), cf.size.width, font,
        minimum, &actual, lineBreakMode_, UIBaselineAdjustmentAlignCenters);
    context.setContentFrame(CGRectMake(r.origin.x, r.origin.y, drawn.width, drawn.height));
  } else {
    CGRect r = CGRectOffset(rectForText(text, cf.size, font), cf.origin.x, cf.origin.y);
    CGSize drawn = drawInRect(text, r, font, lineBreakMode_, textAlignment_);
    context.setContentFrame(CGRectMake(cf.origin.x, cf.origin.y, drawn.width, drawn.height));
  }
  ctx->restoreGState();
}

void ULTextStyle::draw(ULStyleContext& context) {
  auto delegate = context.delegate();
  if (delegate) {
    if (auto text = delegate->textForLayerWithStyle(*this)) {
      context.setDidDrawContent(true);
      drawText(*text, context);
    }
    if (!context.didDrawContent() && delegate->drawLayer(context, *this))
      context.setDidDrawContent(true);
  }
  drawNext(context);
}

CGSize ULTextStyle::addToSize(CGSize size, ULStyleContext& context) {
  if (auto delegate = context.delegate()) {
    if (auto text = delegate->textForLayerWithStyle(*this)) {
      std::shared_ptr<UIFont> font = font_ ? font_ : context.font();
      CGFloat width = context.contentFrame().size.width;
      CGSize max = CGSizeMake(
          width != 0 ? width : FLT_MAX,
          numberOfLines_ != 0 && font ? ulLineHeight(*font) * CGFloat(numberOfLines_) : FLT_MAX);
      CGSize t = sizeOfText(*text, font, max);
      size.width += t.width;
      size.height += t.height;
    }
  }
  return ULStyle::addToSize(size, context);
}
