// Subviews in `columnCount` columns of equal width (the parent's width less both paddings,
// divided and rounded up), each as high as it fits that width, `spacing` apart.  Every row,
// the first included, starts `spacing` below the one before (the first at padding + spacing),
// and the rows advance by the height of their last subview, not the tallest.  The size needed
// runs to the widest row's end, with the spacing after it, and to the last subview's bottom,
// plus the padding; with no subviews it is (padding, padding).
#pragma once

#include "uilib/layout/ULLayout.h"

class ULGridLayout : public ULLayout {
  NS_CLASS(ULGridLayout, ULLayout)

 public:
  long columnCount() const { return columnCount_; }
  void setColumnCount(long count) { columnCount_ = count; }
  CGFloat padding() const { return padding_; }
  void setPadding(CGFloat padding) { padding_ = padding; }
  CGFloat spacing() const { return spacing_; }
  void setSpacing(CGFloat spacing) { spacing_ = spacing; }

  CGSize layoutSubviews(const std::vector<std::shared_ptr<UIView>>& subviews,
                        const std::shared_ptr<UIView>& view) override;

 private:
  long columnCount_ = 1;
  CGFloat padding_ = 0, spacing_ = 0;
};
