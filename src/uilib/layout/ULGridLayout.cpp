#include "uilib/layout/ULGridLayout.h"

#include <algorithm>
#include <cmath>

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(ULGridLayout) {
  c.property("columnCount", &ULGridLayout::columnCount, &ULGridLayout::setColumnCount);
  c.property("padding", &ULGridLayout::padding, &ULGridLayout::setPadding);
  c.property("spacing", &ULGridLayout::spacing, &ULGridLayout::setSpacing);
}

CGSize ULGridLayout::layoutSubviews(const std::vector<std::shared_ptr<UIView>>& subviews,
                                    const std::shared_ptr<UIView>& view) {
  if (subviews.empty()) return CGSizeMake(padding_, padding_);
  // A grid of no columns is laid out as one column rather than divided by zero.
  long columns = std::max(columnCount_, 1L);
  CGFloat width = (view ? view->frame().size.width : 0) - padding_ * 2;
  CGFloat cellWidth = std::ceil(width / CGFloat(columns));
  CGFloat x = padding_, y = padding_, rowHeight = 0, maxX = 0;
  CGFloat lastHeight = 0;
  for (size_t i = 0; i < subviews.size(); ++i) {
    const auto& subview = subviews[i];
    if (long(i) % columns == 0) {
      x = padding_;
      y += rowHeight + spacing_;
    }
    CGSize fitting = subview->sizeThatFits(CGSizeMake(cellWidth, 0));
    rowHeight = fitting.height;
    subview->setFrame(CGRectMake(x, y, cellWidth, fitting.height));
    x += subview->frame().size.width + spacing_;
    maxX = std::max(maxX, x);
    lastHeight = subview->frame().size.height;
  }
  return CGSizeMake(maxX + padding_, y + lastHeight + padding_);
}
