// A named chain of its own inside a chain (a button's "image"), drawn not in the chain's order
// but by the view, which finds it with styleForPart, measures it, reserves room for it and
// draws it with drawPart.
#pragma once

#include <string>

#include "uilib/style/ULStyle.h"

class ULPartStyle : public ULStyle {
  NS_CLASS(ULPartStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULPartStyle> styleWithName(std::string name, ULStylePtr style,
                                                    ULStylePtr next = nullptr);

  const std::string& name() const { return name_; }
  void setName(std::string name) { name_ = std::move(name); }
  const ULStylePtr& style() const { return style_; }
  void setStyle(ULStylePtr style) { style_ = std::move(style); }

  // Draws nothing of the part: the rest of the chain.
  void draw(ULStyleContext& context) override;
  // drawPart: the part's own chain with the context.
  void drawPart(ULStyleContext& context);

 private:
  std::string name_;
  ULStylePtr style_;
};
