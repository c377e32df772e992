#include "uilib/layout/ULFlowLayout.h"

#include <algorithm>

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(ULFlowLayout) {
  c.property("padding", &ULFlowLayout::padding, &ULFlowLayout::setPadding);
  c.property("spacing", &ULFlowLayout::spacing, &ULFlowLayout::setSpacing);
}

CGSize ULFlowLayout::layoutSubviews(const std::vector<std::shared_ptr<UIView>>& subviews,
                                    const std::shared_ptr<UIView>& view) {
  if (subviews.empty()) return CGSizeMake(padding_, padding_);
  CGFloat x = padding_, y = padding_, rowHeight = 0, maxX = 0;
  CGFloat available = (view ? view->frame().size.width : 0) - padding_ * 2;
  for (const auto& subview : subviews) {
    CGSize size = subview->frame().size;
    if (x > padding_ && x + size.width > available) {
      x = padding_;
      y += rowHeight + spacing_;
      rowHeight = 0;
    }
    subview->setFrame(CGRectMake(x, y, size.width, size.height));
    x += size.width + spacing_;
    maxX = std::max(maxX, x);
    rowHeight = std::max(rowHeight, size.height);
  }
  return CGSizeMake(maxX + padding_, y + rowHeight + padding_);
}
