// Layer animations.  Nothing is interpolated on screen (layers draw their model values); an
// animation is a record that tests can inspect (key, key path, values, duration, start) and
// that ends on the main run loop's clock: a layer removes it when its time is up and tells its
// delegate, as the platform does.  Animations are copied when added to a layer.
#pragma once

#include <cmath>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "CoreGraphics/CGColor.h"
#include "CoreGraphics/CGGeometry.h"
#include "CoreGraphics/CGImage.h"
#include "Foundation/NSObject.h"
#include "QuartzCore/CATransform3D.h"

// A value an animation moves a property to or from.
using CAValue = std::variant<std::monostate, double, CGPoint, CGSize, CGRect, CATransform3D,
                             CGColorRef, CGImageRef, bool>;

inline constexpr std::string_view kCAMediaTimingFunctionLinear = "linear";
inline constexpr std::string_view kCAMediaTimingFunctionEaseIn = "easeIn";
inline constexpr std::string_view kCAMediaTimingFunctionEaseOut = "easeOut";
inline constexpr std::string_view kCAMediaTimingFunctionEaseInEaseOut = "easeInEaseOut";
inline constexpr std::string_view kCAMediaTimingFunctionDefault = "default";

inline constexpr std::string_view kCAFillModeRemoved = "removed";
inline constexpr std::string_view kCAFillModeForwards = "forwards";
inline constexpr std::string_view kCAFillModeBackwards = "backwards";
inline constexpr std::string_view kCAFillModeBoth = "both";

inline constexpr std::string_view kCATransitionFade = "fade";
inline constexpr std::string_view kCATransitionMoveIn = "moveIn";
inline constexpr std::string_view kCATransitionPush = "push";
inline constexpr std::string_view kCATransitionReveal = "reveal";

class CAMediaTimingFunction {
 public:
  static std::shared_ptr<CAMediaTimingFunction> functionWithName(std::string_view name) {
    auto f = std::make_shared<CAMediaTimingFunction>();
    f->name_ = std::string(name);
    return f;
  }
  const std::string& name() const { return name_; }

 private:
  std::string name_;
};

class CAAnimation;

// The delegate is held by the animation (strongly, as the platform's), so an object that
// animates keeps itself alive until its animations end.
class CAAnimationDelegate {
 public:
  virtual ~CAAnimationDelegate() = default;
  virtual void animationDidStart(const std::shared_ptr<CAAnimation>&) {}
  // finished is false when the animation was removed or replaced before its end.
  virtual void animationDidStop(const std::shared_ptr<CAAnimation>&, bool finished) {}
};

class CAAnimation : public NSObject {
  NS_CLASS(CAAnimation, NSObject)
 public:
  virtual ~CAAnimation() = default;
  static std::shared_ptr<CAAnimation> animation() { return std::make_shared<CAAnimation>(); }
  virtual std::shared_ptr<CAAnimation> copy() const { return std::make_shared<CAAnimation>(*this); }

  // 0 means the transaction's duration when added.
  double duration() const { return duration_; }
  void setDuration(double d) { duration_ = d; }
  // On the main run loop's clock; 0 when added means "now".
  double beginTime() const { return beginTime_; }
  void setBeginTime(double t) { beginTime_ = t; }
  // HUGE_VALF or infinity: for ever.  0 counts as 1.
  float repeatCount() const { return repeatCount_; }
  void setRepeatCount(float n) { repeatCount_ = n; }
  bool autoreverses() const { return autoreverses_; }
  void setAutoreverses(bool a) { autoreverses_ = a; }
  float speed() const { return speed_; }
  void setSpeed(float s) { speed_ = s; }
  double timeOffset() const { return timeOffset_; }
  void setTimeOffset(double t) { timeOffset_ = t; }
  bool isRemovedOnCompletion() const { return removedOnCompletion_; }
  void setRemovedOnCompletion(bool r) { removedOnCompletion_ = r; }
  const std::string& fillMode() const { return fillMode_; }
  void setFillMode(std::string_view m) { fillMode_ = std::string(m); }
  const std::shared_ptr<CAMediaTimingFunction>& timingFunction() const { return timing_; }
  void setTimingFunction(std::shared_ptr<CAMediaTimingFunction> f) { timing_ = std::move(f); }
  const std::shared_ptr<CAAnimationDelegate>& delegate() const { return delegate_; }
  void setDelegate(std::shared_ptr<CAAnimationDelegate> d) { delegate_ = std::move(d); }

  // How long the animation runs from its begin time: duration × repeats (× 2 when it
  // reverses) ÷ speed; infinity for ever.
  double activeDuration() const {
    double repeats = repeatCount_ > 0 ? double(repeatCount_) : 1;
    if (std::isinf(repeats) || repeatCount_ >= HUGE_VALF) return INFINITY;
    double d = duration_ * repeats * (autoreverses_ ? 2 : 1);
    return speed_ > 0 ? d / speed_ : INFINITY;
  }

 private:
  double duration_ = 0;
  double beginTime_ = 0;
  float repeatCount_ = 0;
  bool autoreverses_ = false;
  float speed_ = 1;
  double timeOffset_ = 0;
  bool removedOnCompletion_ = true;
  std::string fillMode_ = std::string(kCAFillModeRemoved);
  std::shared_ptr<CAMediaTimingFunction> timing_;
  std::shared_ptr<CAAnimationDelegate> delegate_;
};

class CAPropertyAnimation : public CAAnimation {
  NS_CLASS(CAPropertyAnimation, CAAnimation)
 public:
  std::shared_ptr<CAAnimation> copy() const override {
    return std::make_shared<CAPropertyAnimation>(*this);
  }
  // "transform.rotation", "opacity", "position" ...
  const std::string& keyPath() const { return keyPath_; }
  void setKeyPath(std::string_view k) { keyPath_ = std::string(k); }
  bool isAdditive() const { return additive_; }
  void setAdditive(bool a) { additive_ = a; }
  bool isCumulative() const { return cumulative_; }
  void setCumulative(bool c) { cumulative_ = c; }

 private:
  std::string keyPath_;
  bool additive_ = false;
  bool cumulative_ = false;
};

class CABasicAnimation : public CAPropertyAnimation {
  NS_CLASS(CABasicAnimation, CAPropertyAnimation)
 public:
  static std::shared_ptr<CABasicAnimation> animationWithKeyPath(std::string_view keyPath) {
    auto a = std::make_shared<CABasicAnimation>();
    a->setKeyPath(keyPath);
    return a;
  }
  std::shared_ptr<CAAnimation> copy() const override {
    return std::make_shared<CABasicAnimation>(*this);
  }
  const CAValue& fromValue() const { return from_; }
  void setFromValue(CAValue v) { from_ = std::move(v); }
  const CAValue& toValue() const { return to_; }
  void setToValue(CAValue v) { to_ = std::move(v); }
  const CAValue& byValue() const { return by_; }
  void setByValue(CAValue v) { by_ = std::move(v); }

 private:
  CAValue from_, to_, by_;
};

class CAKeyframeAnimation : public CAPropertyAnimation {
  NS_CLASS(CAKeyframeAnimation, CAPropertyAnimation)
 public:
  static std::shared_ptr<CAKeyframeAnimation> animationWithKeyPath(std::string_view keyPath) {
    auto a = std::make_shared<CAKeyframeAnimation>();
    a->setKeyPath(keyPath);
    return a;
  }
  std::shared_ptr<CAAnimation> copy() const override {
    return std::make_shared<CAKeyframeAnimation>(*this);
  }
  const std::vector<CAValue>& values() const { return values_; }
  void setValues(std::vector<CAValue> v) { values_ = std::move(v); }
  const std::vector<double>& keyTimes() const { return keyTimes_; }
  void setKeyTimes(std::vector<double> t) { keyTimes_ = std::move(t); }

 private:
  std::vector<CAValue> values_;
  std::vector<double> keyTimes_;
};

class CAAnimationGroup : public CAAnimation {
  NS_CLASS(CAAnimationGroup, CAAnimation)
 public:
  std::shared_ptr<CAAnimation> copy() const override {
    return std::make_shared<CAAnimationGroup>(*this);
  }
  const std::vector<std::shared_ptr<CAAnimation>>& animations() const { return animations_; }
  void setAnimations(std::vector<std::shared_ptr<CAAnimation>> a) { animations_ = std::move(a); }

 private:
  std::vector<std::shared_ptr<CAAnimation>> animations_;
};

// Added under the key "transition" when no key is given.
class CATransition : public CAAnimation {
  NS_CLASS(CATransition, CAAnimation)
 public:
  std::shared_ptr<CAAnimation> copy() const override {
    return std::make_shared<CATransition>(*this);
  }
  const std::string& type() const { return type_; }
  void setType(std::string_view t) { type_ = std::string(t); }
  const std::string& subtype() const { return subtype_; }
  void setSubtype(std::string_view s) { subtype_ = std::string(s); }

 private:
  std::string type_ = std::string(kCATransitionFade);
  std::string subtype_;
};

// The main run loop's clock, in seconds: what begin times are measured on.
double CACurrentMediaTime();
