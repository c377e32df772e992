#include "uilib/style/ULStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULPartStyle.h"

NS_CLASS_IMPLEMENTATION(ULStyle) {
  c.property(
      "next", [](ULStyle& s) { return s.next(); },
      [](ULStyle& s, std::shared_ptr<ULStyle> n) { s.setNext(std::move(n)); });
}

std::shared_ptr<ULStyle> ULStyle::next(std::shared_ptr<ULStyle> next) {
  next_ = std::move(next);
  return self<ULStyle>();
}

void ULStyle::draw(ULStyleContext& context) {
  drawNext(context);
}

UIEdgeInsets ULStyle::addToInsets(UIEdgeInsets insets, CGSize size) {
  return next_ ? next_->addToInsets(insets, size) : insets;
}

CGSize ULStyle::addToSize(CGSize size, ULStyleContext& context) {
  return next_ ? next_->addToSize(size, context) : size;
}

void ULStyle::addStyle(std::shared_ptr<ULStyle> style) {
  ULStyle* last = this;
  while (last->next_) last = last->next_.get();
  last->next_ = std::move(style);
}

std::shared_ptr<ULStyle> ULStyle::firstStyleOfClass(const NSClass& cls) {
  for (ULStyle* s = this; s; s = s->next_.get())
    if (s->isKindOfClass(cls)) return s->self<ULStyle>();
  return nullptr;
}

std::shared_ptr<ULPartStyle> ULStyle::styleForPart(std::string_view name) {
  for (ULStyle* s = this; s; s = s->next_.get())
    if (auto* part = dynamic_cast<ULPartStyle*>(s); part && part->name() == name)
      return part->self<ULPartStyle>();
  return nullptr;
}

CGGradientRef ULStyle::newGradientWithColors(const std::vector<std::shared_ptr<UIColor>>& colors,
                                             const std::vector<CGFloat>& locations) {
  std::vector<CGFloat> components;
  components.reserve(colors.size() * 4);
  for (const auto& c : colors) {
    if (c) {
      // red(), green() and blue() read a white-level colour as its grey in all three.
      components.insert(components.end(), {c->red(), c->green(), c->blue(), c->alpha()});
    } else {
      components.insert(components.end(), {0, 0, 0, 0});
    }
  }
  return CGGradient::createWithColorComponents(CGColorSpace::createDeviceRGB(), components,
                                               locations, colors.size());
}
