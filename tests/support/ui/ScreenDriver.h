// Drives the screen from a test the way a person would, through the system's entry points
// (UIEventDriver) and on the virtual clock (MainLoop): taps, long presses, drags, swipes and
// pinches with their durations, typing, return, backspace and the shake.  Views are found in
// the shown windows, frontmost first, by tag or by the text they show (a label's text, a
// button's current title, a text input's text or placeholder).
//
// A gesture lets the clock run for its duration, one screen frame (1/60 s) at a time with a
// move each frame, and lifts its fingers at the end without waiting after: what happens next
// (deceleration, animations) runs when the test lets time pass (wait or MainLoop::advance).
// Points are screen points.  Calls that find no view or cannot touch it record a test failure
// and return false.
#pragma once

#include <memory>
#include <string_view>

#include "CoreGraphics/CGGeometry.h"
#include "UIKit/UISwipeGestureRecognizer.h"

class UIView;

class ScreenDriver {
 public:
  static constexpr double kFrame = 1.0 / 60;
  // How long a tap's finger stays down.
  static constexpr double kTapDuration = 0.05;

  // ---- finding views (shown ones only: not hidden, not faded out, in a shown window)
  static std::shared_ptr<UIView> findTag(long tag);
  static std::shared_ptr<UIView> findText(std::string_view text);
  // The middle of the part of the view on screen (inside its clipping superviews and its
  // window); nullopt-like CGRectNull's middle is not given: false when nothing of it shows.
  static bool visiblePoint(const std::shared_ptr<UIView>& view, CGPoint& point);

  // ---- taps: `taps` taps 0.1 s apart
  static bool tap(CGPoint point, int taps = 1);
  static bool tap(const std::shared_ptr<UIView>& view, int taps = 1);
  static bool tapTag(long tag, int taps = 1);
  static bool tapText(std::string_view text, int taps = 1);

  static bool longPress(CGPoint point, double duration = 1.0);
  static bool longPress(const std::shared_ptr<UIView>& view, double duration = 1.0);

  // The finger comes down at `from`, moves there in a straight line over the duration and lifts.
  static bool drag(CGPoint from, CGPoint to, double duration = 0.3);
  // From the middle of the view, by the offset.
  static bool drag(const std::shared_ptr<UIView>& view, CGPoint offset, double duration = 0.3);
  // A quick straight drag in the direction (one of them).
  static bool swipe(CGPoint from, UISwipeGestureRecognizerDirection direction,
                    CGFloat distance = 100, double duration = 0.15);
  static bool swipe(const std::shared_ptr<UIView>& view,
                    UISwipeGestureRecognizerDirection direction, CGFloat distance = 100,
                    double duration = 0.15);
  // Two fingers on a horizontal line through the centre, from one distance apart to the other.
  static bool pinch(CGPoint center, CGFloat fromDistance, CGFloat toDistance,
                    double duration = 0.3);

  // ---- typing into the first responder
  // One key per character (code point), as a keyboard types it.
  static bool typeText(std::string_view text);
  // All at once, as an input method commits a phrase.
  static bool commitText(std::string_view text);
  static bool pressReturn();
  static bool deleteBackward(int times = 1);
  static bool shake();
  // The status bar: the one scroll view of the key window that scrolls to top goes there.
  static bool tapStatusBar();

  // Lets virtual time pass with the main loop running.
  static void wait(double seconds);
};
