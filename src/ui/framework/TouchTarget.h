// The one target and action of the app's touch-up buttons (UIZMButton, UIButtonView,
// UIZMImageView): set again, it replaces the last one; it fires at the end of a touch, for a
// touch event, while its target lives, with the button as the argument.
#pragma once

#include "Foundation/NSObject.h"
#include "UIKit/UIControl.h"

class UIEvent;
class UIView;

struct TouchTarget {
  Selector pressFun;
  UIControlEvents m_event = 0;
  // A target has been set.
  bool isNomal = false;

  void set(Selector action, UIControlEvents events);
  // Sends the action when a target is set, the event is a touch event and the target lives.
  void fire(UIView& sender, UIEvent* event) const;
};
