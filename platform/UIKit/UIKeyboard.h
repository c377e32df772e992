// The on-screen keyboard.  It follows the first responder: a responder that takes typing
// (UIKeyInput) brings it up, and when no such responder is left it goes down.  It stands in a
// window of its own above the application's windows, covering the bottom of the screen
// (216 points in portrait), and takes the touches that land on it; the keys themselves are
// typed through UIEventDriver.  A responder with an input view shows that view instead, at
// its own height.
//
// Coming up, it posts UIKeyboardWillShowNotification (after the responder's did-begin-editing),
// slides up over kAnimationDuration on the main run loop's clock and then posts
// UIKeyboardDidShowNotification; going down, the will-hide and did-hide ones.  Going from one
// text input to another keeps it up and posts nothing (unless its height changes).  The user
// info carries, in screen coordinates, the begin and end frames and the duration and curve of
// the slide, and the older bounds and begin and end centres.
#pragma once

#include <memory>
#include <string_view>

#include "UIKit/UIView.h"

class UIResponder;
class UIWindow;

inline constexpr std::string_view UIKeyboardWillShowNotification = "UIKeyboardWillShowNotification";
inline constexpr std::string_view UIKeyboardDidShowNotification = "UIKeyboardDidShowNotification";
inline constexpr std::string_view UIKeyboardWillHideNotification = "UIKeyboardWillHideNotification";
inline constexpr std::string_view UIKeyboardDidHideNotification = "UIKeyboardDidHideNotification";
// Rectangles and points (NSValue+UIGeometry.h), a duration (double) and a curve (integer).
inline constexpr std::string_view UIKeyboardFrameBeginUserInfoKey =
    "UIKeyboardFrameBeginUserInfoKey";
inline constexpr std::string_view UIKeyboardFrameEndUserInfoKey = "UIKeyboardFrameEndUserInfoKey";
inline constexpr std::string_view UIKeyboardAnimationDurationUserInfoKey =
    "UIKeyboardAnimationDurationUserInfoKey";
inline constexpr std::string_view UIKeyboardAnimationCurveUserInfoKey =
    "UIKeyboardAnimationCurveUserInfoKey";
inline constexpr std::string_view UIKeyboardBoundsUserInfoKey = "UIKeyboardBoundsUserInfoKey";
inline constexpr std::string_view UIKeyboardCenterBeginUserInfoKey =
    "UIKeyboardCenterBeginUserInfoKey";
inline constexpr std::string_view UIKeyboardCenterEndUserInfoKey = "UIKeyboardCenterEndUserInfoKey";

class UIKeyboard : public UIView {
 public:
  static constexpr CGFloat kHeight = 216;
  static constexpr double kAnimationDuration = 0.25;
  // Above the application's windows, below alerts.
  static constexpr double kWindowLevel = 1;

  NS_CLASS(UIKeyboard, UIView)
 public:
  void drawRect(CGRect rect) override;

  // Called by UIResponder when the first responder changes.
  static void firstResponderChanged(const std::shared_ptr<UIResponder>& from,
                                    const std::shared_ptr<UIResponder>& to);
  // Up (or on its way up).
  static bool isVisible();
  // Where it is (or is going) on screen; CGRectZero while down.
  static CGRect frameOnScreen();
  // The window it stands in while up.
  static std::shared_ptr<UIWindow> window();
  // Takes it away without notifications (a fresh application).
  static void reset();

  explicit UIKeyboard(CGRect frame) : UIView(frame) {}
};
