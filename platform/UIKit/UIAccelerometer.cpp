#include "UIKit/UIAccelerometer.h"

#include "Foundation/Clock.h"
#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(UIAccelerometer) {}

std::shared_ptr<UIAccelerometer> UIAccelerometer::sharedAccelerometer() {
  static const std::shared_ptr<UIAccelerometer> shared = std::make_shared<UIAccelerometer>();
  return shared;
}

void UIAccelerometer::deliverSample(UIAccelerationValue x, UIAccelerationValue y,
                                    UIAccelerationValue z) {
  if (auto delegate = delegate_.lock())
    delegate->accelerometerDidAccelerate(self<UIAccelerometer>(), {ClockNow(), x, y, z});
}
