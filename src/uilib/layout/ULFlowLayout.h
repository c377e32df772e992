// Subviews left to right at their own sizes, `spacing` apart, wrapping into rows `spacing`
// apart, inside `padding` on every side of the parent.  A subview wraps when it is not first
// in its row and its right edge would pass the parent's width less both paddings (measured
// from the parent's left, padding included); one wider than that stands alone at the start of
// its row.  The size needed runs to the widest row's end, with the spacing after its last
// subview, plus the padding; with no subviews it is (padding, padding).
#pragma once

#include "uilib/layout/ULLayout.h"

class ULFlowLayout : public ULLayout {
  NS_CLASS(ULFlowLayout, ULLayout)

 public:
  CGFloat padding() const { return padding_; }
  void setPadding(CGFloat padding) { padding_ = padding; }
  CGFloat spacing() const { return spacing_; }
  void setSpacing(CGFloat spacing) { spacing_ = spacing; }

  CGSize layoutSubviews(const std::vector<std::shared_ptr<UIView>>& subviews,
                        const std::shared_ptr<UIView>& view) override;

 private:
  CGFloat padding_ = 0, spacing_ = 0;
};
