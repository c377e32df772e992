// The device's accelerometer: one shared instance whose delegate (not kept) receives each sample
// on the main thread, in units of g along the device's axes.  Nothing here reads hardware: the
// system side (UIEventDriver: the window's shake key, the test driver) hands in the samples.
#pragma once

#include <memory>

#include "Foundation/NSObject.h"

using UIAccelerationValue = double;

struct UIAcceleration {
  double timestamp = 0;  // the main run loop's clock when the sample was taken
  UIAccelerationValue x = 0, y = 0, z = 0;
};

class UIAccelerometer;

class UIAccelerometerDelegate {
 public:
  virtual ~UIAccelerometerDelegate() = default;
  virtual void accelerometerDidAccelerate(const std::shared_ptr<UIAccelerometer>&,
                                          const UIAcceleration&) {}
};

class UIAccelerometer : public NSObject {
  NS_CLASS(UIAccelerometer, NSObject)
 public:
  static std::shared_ptr<UIAccelerometer> sharedAccelerometer();

  std::weak_ptr<UIAccelerometerDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<UIAccelerometerDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  // Seconds between samples the delegate asks for; the samples here come when they are handed in.
  double updateInterval() const { return updateInterval_; }
  void setUpdateInterval(double seconds) { updateInterval_ = seconds; }

  // The system side: a sample taken now goes to the delegate.  Main thread only.
  void deliverSample(UIAccelerationValue x, UIAccelerationValue y, UIAccelerationValue z);

 private:
  std::weak_ptr<UIAccelerometerDelegate> delegate_;
  double updateInterval_ = 0.01;
};
