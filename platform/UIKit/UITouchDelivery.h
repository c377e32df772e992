// The machinery between the system's fingers and the views: hit-testing where a finger comes
// down, the touch objects of the fingers, the gesture recognisers' rules (who begins, who
// waits, who fails, whose touches the views lose or get late) and the delivery to the views.
// UIKit's own; the system side feeds it through UIEventDriver.  Main thread only.
#pragma once

#include <memory>
#include <vector>

#include "CoreGraphics/CGGeometry.h"
#include "UIKit/UIGestureRecognizer.h"
#include "UIKit/UITouch.h"

// One finger's change, at a point of the screen (points).
struct UITouchInput {
  int finger = 0;
  UITouchPhase phase = UITouchPhase::Began;
  CGPoint location;
};

class UITouchDelivery {
 public:
  // Delivers the changes as one event.  A finger that comes down where no window takes touches,
  // or that is already down, and changes of fingers that are not down, are left out; returns
  // whether anything was delivered.
  static bool deliver(const std::vector<UITouchInput>& changes);
  // Fingers down now.
  static size_t activeTouchCount();
  // Cancels every finger that is down (the system takes the screen away) and forgets them.
  static void cancelAll();
  // Forgets every touch and recogniser under way without telling anyone (a fresh application).
  static void reset();

  // ---- the recognisers' side
  static void requestState(UIGestureRecognizer& recognizer, UIGestureRecognizerState state);
  // After a recogniser's timer fired, or anything else outside a delivery that may settle it.
  static void settle();
  static void forget(UIGestureRecognizer& recognizer);

 private:
  static void deliverToRecognizers(const std::vector<std::shared_ptr<UITouch>>& changed,
                                   UIEvent* event);
  static void deliverToViews(const std::vector<std::shared_ptr<UITouch>>& changed, UIEvent* event);
  static void tryBegin(UIGestureRecognizer& recognizer, UIGestureRecognizerState state);
  static void fail(UIGestureRecognizer& recognizer);
  static bool shouldBegin(UIGestureRecognizer& recognizer);
  static void cancelTouchesInViews(const std::vector<std::shared_ptr<UITouch>>& touches);
  static void releaseHeldTouches();
  static bool delaysBegan(const UITouch& touch);
  static bool delaysEnded(const UITouch& touch);
  static void sendToView(const std::shared_ptr<UIView>& view, const UITouchSet& touches,
                         UITouchPhase phase, UIEvent* event);
};
