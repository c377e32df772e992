#include "uilib/layout/ULLayout.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(ULLayout) {}

CGSize ULLayout::layoutSubviews(const std::vector<std::shared_ptr<UIView>>&,
                                const std::shared_ptr<UIView>&) {
  return CGSizeZero;
}
