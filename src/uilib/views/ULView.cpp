#include "uilib/views/ULView.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULStyleSheet.h"

ULView::ULView(CGRect frame, std::shared_ptr<CALayer> layer) : UIView(frame, std::move(layer)) {
  setContentMode(UIViewContentMode::Redraw);
}

void ULView::setStyle(ULStylePtr style) {
  if (style == style_) return;
  style_ = std::move(style);
  setNeedsDisplay();
}

std::shared_ptr<ULStyleDelegate> ULView::styleDelegate() const {
  auto self = std::const_pointer_cast<NSObject>(weak_from_this().lock());
  return std::dynamic_pointer_cast<ULView>(self);
}

std::shared_ptr<ULStyleContext> ULView::makeContext(CGRect frame) const {
  auto context = std::make_shared<ULStyleContext>();
  context->setDelegate(styleDelegate());
  context->setFrame(frame);
  context->setContentFrame(frame);
  return context;
}

void ULView::drawRect(CGRect) {
  if (style_) {
    auto context = makeContext(bounds());
    style_->draw(*context);
    if (context->didDrawContent()) return;
  }
  drawContent(bounds());
}

void ULView::layoutSubviews() {
  if (layout_)
    layout_->layoutSubviews(subviews(), std::static_pointer_cast<UIView>(shared_from_this()));
}

CGSize ULView::sizeThatFits(CGSize) const {
  if (!style_) return CGSizeZero;
  auto context = std::make_shared<ULStyleContext>();
  context->setDelegate(styleDelegate());
  return style_->addToSize(CGSizeZero, *context);
}

// ---- ULLabel

ULLabel::ULLabel(std::string text) : ULLabel(CGRectZero) {
  setText(std::move(text));
}

void ULLabel::setText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  setNeedsDisplay();
}

std::shared_ptr<UIFont> ULLabel::font() const {
  if (!font_) font_ = ULStyleSheet::globalStyleSheet()->performSelector("font").object<UIFont>();
  return font_;
}

void ULLabel::setFont(std::shared_ptr<UIFont> font) {
  if (font == font_) return;
  font_ = std::move(font);
  setNeedsDisplay();
}

void ULLabel::drawRect(CGRect) {
  auto context = makeContext(bounds());
  context->setFont(font_);
  if (style()) style()->draw(*context);
  if (!context->didDrawContent()) drawContent(bounds());
}

CGSize ULLabel::sizeThatFits(CGSize size) const {
  if (!style()) return CGSizeZero;
  auto context = makeContext(CGRectMake(0, 0, size.width, size.height));
  context->setFont(font_);
  return style()->addToSize(CGSizeZero, *context);
}

void ULLabel::describeAttributes(std::string& line) const {
  ULView::describeAttributes(line);
  if (!text_.empty()) line += " text=" + quoted(text_);
}

// ---- ULUnclippedView

void ULUnclippedView::didMoveToSuperview() {
  for (auto v = std::static_pointer_cast<UIView>(shared_from_this()); v; v = v->superview())
    v->setClipsToBounds(false);
}

NS_CLASS_IMPLEMENTATION(ULView) {}
NS_CLASS_IMPLEMENTATION(ULLabel) {
  c.property("text", &ULLabel::text, &ULLabel::setText);
}
NS_CLASS_IMPLEMENTATION(ULUnclippedView) {}
