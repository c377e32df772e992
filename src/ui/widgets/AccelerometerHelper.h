// The shake detector: the shared accelerometer's delegate for the whole process, which turns
// its samples into shakes.  A shake is a change of direction: the angle between the last two
// samples minus the angle between the current one and the last, above `sensitivity` radians
// (0.8), at least `lockout` seconds (1.5) after the previous shake or, for the first one, after
// the detector was made.  Main thread only, as the samples arrive.
#pragma once

#include <memory>

#include "Foundation/NSObject.h"
#include "UIKit/UIAccelerometer.h"

// Both optional; the detector keeps its delegate.
class AccelerometerHelperDelegate {
 public:
  virtual ~AccelerometerHelperDelegate() = default;
  virtual void ping() {}   // every sample
  virtual void shake() {}  // every shake
};

class AccelerometerHelper : public NSObject, public UIAccelerometerDelegate {
  NS_CLASS(AccelerometerHelper, NSObject)
 public:
  // Stands for a missing sample until three have arrived.
  static constexpr float kNoSample = 999.99f;

  // Made on the first call, which makes it the shared accelerometer's delegate.
  static std::shared_ptr<AccelerometerHelper> sharedInstance();
  // init: use sharedInstance; public for make_shared.
  AccelerometerHelper();

  // Shift one axis: the one before the last is dropped, the new value becomes the current one.
  void setX(float x);
  void setY(float y);
  void setZ(float z);
  // The change of direction in radians; kNoSample while fewer than three samples have arrived.
  float dAngle() const;
  // Whether a shake happens now; when it does, it is the new trigger time.
  bool checkTrigger();

  void accelerometerDidAccelerate(const std::shared_ptr<UIAccelerometer>& accelerometer,
                                  const UIAcceleration& acceleration) override;

  float sensitivity() const { return sensitivity_; }
  void setSensitivity(float radians) { sensitivity_ = radians; }
  double lockout() const { return lockout_; }
  void setLockout(double seconds) { lockout_ = seconds; }
  // Seconds on the main run loop's clock.
  double triggerTime() const { return triggerTime_; }
  void setTriggerTime(double time) { triggerTime_ = time; }
  std::shared_ptr<AccelerometerHelperDelegate> delegate() const { return delegate_; }
  void setDelegate(std::shared_ptr<AccelerometerHelperDelegate> delegate) {
    delegate_ = std::move(delegate);
  }

 private:
  float cx_ = kNoSample, cy_ = kNoSample, cz_ = kNoSample;
  float lx_ = kNoSample, ly_ = kNoSample, lz_ = kNoSample;
  float px_ = kNoSample, py_ = kNoSample, pz_ = kNoSample;
  float sensitivity_ = 0.8f;
  double lockout_ = 1.5;
  double triggerTime_;
  std::shared_ptr<AccelerometerHelperDelegate> delegate_;
};
