// The system side of input, for the window backends and the test driver: fingers on the
// screen, typing, the return key, the arrows and the shake, delivered to the application as the
// platform delivers them.  Points are in screen points; times are the main run loop's clock at
// the call.  Main thread only.
//
// Fingers are numbered by the caller; a finger comes down (began), moves and lifts (ended), or
// the system cancels it.  Changes given together are one event (two fingers of a pinch).  A
// finger that comes down where no shown window takes touches is not tracked.
//
// Typing goes to the first responder when it takes text (UIKeyInput): insertText as an input
// method commits it (one call per committed string, so "你好" from a Chinese input method is
// one call), deleteBackward for backspace, pressReturn inserts "\n" (a text field turns it into
// its should-return question).  Each returns false when no first responder takes text.
#pragma once

#include <string_view>
#include <vector>

#include "CoreGraphics/CGGeometry.h"
#include "UIKit/UITouchDelivery.h"

class UIEventDriver {
 public:
  static bool touchDown(CGPoint point, int finger = 0);
  static bool touchMove(CGPoint point, int finger = 0);
  static bool touchUp(CGPoint point, int finger = 0);
  static bool touchCancel(int finger = 0);
  // Several fingers' changes as one event.
  static bool touches(const std::vector<UITouchInput>& changes);
  static size_t fingersDown();

  static bool insertText(std::string_view text);
  static bool deleteBackward();
  static bool pressReturn();
  // The left and right arrows: moves the insertion point by that many UTF-16 units (the
  // selection collapses), kept within the text.
  static bool moveInsertionPoint(long offset);

  // The desktop's scroll wheel over `point`: drags the innermost scroll view under it that can
  // scroll that way by `moved` points (the way the content moves, as a finger's translation;
  // see UIScrollView).  A wheel that goes on over another scroll view ends the first one's
  // drag.  False when no scroll view under the point can scroll that way.
  static bool scrollWheel(CGPoint point, CGPoint moved);

  // The device is shaken: the shared accelerometer's delegate gets a swing of three samples,
  // (0, 0, -1), (1, 0, 0), (1, 0, 0) in g, a quarter turn and a stop, which a shake detector
  // with a threshold below 1.57 rad counts as one shake (the last sample turns it, whatever came
  // before); then motion began and ended (subtype shake) go to the first responder, or to the
  // key window when there is none; each passes it up its responder chain.  False when there is
  // neither.
  static bool shake();
  // One accelerometer sample, in g, to the shared accelerometer's delegate.
  static void accelerate(double x, double y, double z);

  // A tap on the status bar: the key window's one scroll view that scrolls to top goes there
  // (UIScrollView::scrollToTopFromStatusBar).  False when none does.
  static bool tapStatusBar();

  // Forgets the fingers down and the recognisers under way (a fresh application).
  static void reset();
};
