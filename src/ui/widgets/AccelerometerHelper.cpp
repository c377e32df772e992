#include "ui/widgets/AccelerometerHelper.h"

#include <algorithm>
#include <cmath>

#include "Foundation/Clock.h"
#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(AccelerometerHelper) {
  c.method("checkTrigger", &AccelerometerHelper::checkTrigger);
}

std::shared_ptr<AccelerometerHelper> AccelerometerHelper::sharedInstance() {
  static const std::shared_ptr<AccelerometerHelper> shared = [] {
    auto helper = std::make_shared<AccelerometerHelper>();
    UIAccelerometer::sharedAccelerometer()->setDelegate(helper);
    return helper;
  }();
  return shared;
}

AccelerometerHelper::AccelerometerHelper() : triggerTime_(ClockNow()) {}

void AccelerometerHelper::setX(float x) {
  px_ = lx_;
  lx_ = cx_;
  cx_ = x;
}

void AccelerometerHelper::setY(float y) {
  py_ = ly_;
  ly_ = cy_;
  cy_ = y;
}

void AccelerometerHelper::setZ(float z) {
  pz_ = lz_;
  lz_ = cz_;
  cz_ = z;
}

float AccelerometerHelper::dAngle() const {
  if (cx_ == kNoSample || lx_ == kNoSample || px_ == kNoSample) return kNoSample;
  // Sums in single precision, the square roots and arc cosines in double, as the samples were
  // always weighed.
  float c = float(std::sqrt(double(cx_ * cx_ + cy_ * cy_ + cz_ * cz_)));
  float l = float(std::sqrt(double(lx_ * lx_ + ly_ * ly_ + lz_ * lz_)));
  float p = float(std::sqrt(double(px_ * px_ + py_ * py_ + pz_ * pz_)));
  float lp = (lx_ * px_ + ly_ * py_ + lz_ * pz_) / (l * p);
  float cl = (cx_ * lx_ + cy_ * ly_ + cz_ * lz_) / (c * l);
  // Two equal samples can weigh a hair above 1 in single precision; its arc cosine would be
  // NaN and a swing that ends at rest would go unnoticed.
  double a1 = std::acos(std::clamp(double(lp), -1.0, 1.0));
  double a2 = std::acos(std::clamp(double(cl), -1.0, 1.0));
  return float(a1 - a2);
}

bool AccelerometerHelper::checkTrigger() {
  if (lx_ == kNoSample) return false;
  if (ClockNow() - triggerTime_ < lockout_) return false;
  float d = dAngle();
  // A NaN (a sample of length zero) is no shake either.
  if (d == kNoSample || !(d > sensitivity_)) return false;
  triggerTime_ = ClockNow();
  return true;
}

void AccelerometerHelper::accelerometerDidAccelerate(const std::shared_ptr<UIAccelerometer>&,
                                                     const UIAcceleration& acceleration) {
  setX(float(-acceleration.x));
  setY(float(acceleration.y));
  setZ(float(acceleration.z));
  // Held across both calls: the delegate may replace itself.
  if (auto delegate = delegate_) delegate->ping();
  if (checkTrigger())
    if (auto delegate = delegate_) delegate->shake();
}
