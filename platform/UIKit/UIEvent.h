// An event: the touches of the screen at one moment (each with its phase), or a motion such as
// the shake.  A touch event holds every finger that is down, also those that did not change.
#pragma once

#include <memory>
#include <vector>

#include "Foundation/NSObject.h"
#include "UIKit/UIResponder.h"
#include "UIKit/UITouch.h"

enum class UIEventType { Touches = 0, Motion = 1, RemoteControl = 2 };

class UIEvent : public NSObject {
 public:
  UIEvent(UIEventType type, UIEventSubtype subtype, double timestamp)
      : type_(type), subtype_(subtype), timestamp_(timestamp) {}

  UIEventType type() const { return type_; }
  UIEventSubtype subtype() const { return subtype_; }
  double timestamp() const { return timestamp_; }

  const UITouchSet& allTouches() const { return touches_; }
  // Those whose hit-tested view is the view / that are in the window.
  UITouchSet touchesForView(const UIView* view) const;
  UITouchSet touchesForWindow(const UIWindow* window) const;
  // Those the recogniser gets.
  UITouchSet touchesForGestureRecognizer(const UIGestureRecognizer* recognizer) const;

 private:
  friend class UITouchDelivery;
  UIEventType type_;
  UIEventSubtype subtype_;
  double timestamp_;
  UITouchSet touches_;
};
