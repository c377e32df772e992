// Sizes for the current interface orientation, the bars and the keyboard: plain functions that
// keep no state and read the screen, the application frame, the status bar and the device
// idiom when called.  Orientations are the platform's (1 portrait, 2 upside down, 3 landscape
// right, 4 landscape left); rectangles and heights are in points.  Main thread only.
#pragma once

#include <functional>

#include "CoreGraphics/CGAffineTransform.h"
#include "CoreGraphics/CGGeometry.h"
#include "UIKit/UIApplication.h"

// YES on a pad.
bool ULDeviceIsPad();
// Every orientation on a pad; on a phone 1, 3 and 4 only.
bool ULOrientationIsSupported(UIInterfaceOrientation orientation);
// −π for 2, +π/2 for 3, 3π/2 for 4, identity otherwise.
CGAffineTransform ULTransformForOrientation(UIInterfaceOrientation orientation);
// 44 in portrait; in landscape 44 on a pad and 33 on a phone.
CGFloat ULToolbarHeightFor(UIInterfaceOrientation orientation);
// Phone 216 in portrait, 160 in landscape; pad 264 and 352.
CGFloat ULKeyboardHeightFor(UIInterfaceOrientation orientation);

// The status bar's orientation; when that is none (0), the orientation the fall-back gives
// (the navigator's visible controller, once the navigator installs it), else portrait.
UIInterfaceOrientation ULCurrentOrientation();
void ULSetCurrentOrientationFallback(std::function<UIInterfaceOrientation()> fallback);

// The screen's bounds, width and height swapped in landscape.
CGRect ULOrientedScreenBounds();
// (0, 0, application frame width, its height − the toolbar height).
CGRect ULContentFrameBelowBar();
// The same less two toolbars.
CGRect ULContentFrameBetweenBars();
// ULContentFrameBelowBar less the keyboard.
CGRect ULContentFrameAboveKeyboard();
// The status bar's height read off the application frame's origin: x in orientation 4, −x in
// 3, y otherwise.
CGFloat ULStatusBarHeightFromFrame();
// The status bar's height + 44 in portrait; in landscape its width + 44 on a pad, + 33 on a
// phone.
CGFloat ULNavigationBarBottom();
CGFloat ULCurrentToolbarHeight();
CGFloat ULCurrentKeyboardHeight();
