#include "screens/reading/UISeminarScrollView.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(UISeminarScrollView) {}

std::shared_ptr<UISeminarScrollView> UISeminarScrollView::initWithFrame(CGRect frame) {
  return std::make_shared<UISeminarScrollView>(frame);
}

std::shared_ptr<UISeminarScrollView> UISeminarScrollView::initWithFrame(
    CGRect frame, const std::shared_ptr<NSObject>& data) {
  auto strip = std::make_shared<UISeminarScrollView>(frame);
  strip->data_ = data;
  return strip;
}
