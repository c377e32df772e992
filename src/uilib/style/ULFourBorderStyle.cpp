#include "uilib/style/ULFourBorderStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULBevelBorderStyle.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDrawing.h"

NS_CLASS_IMPLEMENTATION(ULFourBorderStyle) {}

std::shared_ptr<ULFourBorderStyle> ULFourBorderStyle::styleWithTop(std::shared_ptr<UIColor> top,
                                                                   std::shared_ptr<UIColor> right,
                                                                   std::shared_ptr<UIColor> bottom,
                                                                   std::shared_ptr<UIColor> left,
                                                                   CGFloat width, ULStylePtr next) {
  auto style = std::make_shared<ULFourBorderStyle>(std::move(next));
  style->top_ = std::move(top);
  style->right_ = std::move(right);
  style->bottom_ = std::move(bottom);
  style->left_ = std::move(left);
  style->width_ = width;
  return style;
}

std::shared_ptr<ULFourBorderStyle> ULFourBorderStyle::styleWithTop(std::shared_ptr<UIColor> top,
                                                                   CGFloat width, ULStylePtr next) {
  return styleWithTop(std::move(top), nullptr, nullptr, nullptr, width, std::move(next));
}

std::shared_ptr<ULFourBorderStyle> ULFourBorderStyle::styleWithRight(std::shared_ptr<UIColor> right,
                                                                     CGFloat width,
                                                                     ULStylePtr next) {
  return styleWithTop(nullptr, std::move(right), nullptr, nullptr, width, std::move(next));
}

std::shared_ptr<ULFourBorderStyle> ULFourBorderStyle::styleWithBottom(
    std::shared_ptr<UIColor> bottom, CGFloat width, ULStylePtr next) {
  return styleWithTop(nullptr, nullptr, std::move(bottom), nullptr, width, std::move(next));
}

std::shared_ptr<ULFourBorderStyle> ULFourBorderStyle::styleWithLeft(std::shared_ptr<UIColor> left,
                                                                    CGFloat width,
                                                                    ULStylePtr next) {
  return styleWithTop(nullptr, nullptr, nullptr, std::move(left), width, std::move(next));
}

void ULFourBorderStyle::draw(ULStyleContext& context) {
  CGRect frame = context.frame();
  auto inset = [&](const std::shared_ptr<UIColor>& side, CGFloat amount) {
    return side ? amount : 0;
  };
  if (CGContext* ctx = ULCurrentContext()) {
    CGFloat h = width_ / 2;
    CGRect stroke = UIEdgeInsetsInsetRect(
        frame,
        UIEdgeInsetsMake(inset(top_, h), inset(left_, h), inset(bottom_, h), inset(right_, h)));
    const ULShapePtr& shape = context.shape();
    shape->openPath(stroke);
    ctx->setLineWidth(width_);
    auto strokeSide = [&](const std::shared_ptr<UIColor>& color) {
      ctx->setStrokeColorWithColor(color ? color->CGColor() : UIColor::clearColor()->CGColor());
      ctx->strokePath();
    };
    shape->addTopEdgeToPath(stroke, ULDefaultLightSource);
    strokeSide(top_);
    shape->addRightEdgeToPath(stroke, ULDefaultLightSource);
    strokeSide(right_);
    shape->addBottomEdgeToPath(stroke, ULDefaultLightSource);
    strokeSide(bottom_);
    shape->addLeftEdgeToPath(stroke, ULDefaultLightSource);
    strokeSide(left_);
    ctx->restoreGState();
  }
  context.setFrame(UIEdgeInsetsInsetRect(
      frame, UIEdgeInsetsMake(inset(top_, width_), inset(left_, width_), inset(bottom_, width_),
                              inset(right_, width_))));
  drawNext(context);
}
