// The library's additions to views: frame arithmetic, searches up and down the tree, and
// presenting any view the way the keyboard comes and goes.  Plain functions on the view; none
// keeps state of its own.  Points throughout; main thread only.
#pragma once

#include <memory>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSClass.h"
#include "Foundation/Value.h"
#include "UIKit/UIView.h"
#include "UIKit/UIViewController.h"

// The library's standard durations of its animations, in seconds.
inline constexpr double ULDefaultTransitionDuration = 0.3;
inline constexpr double ULDefaultFastTransitionDuration = 0.2;

// ---- geometry: all read and set the frame, keeping what the name does not say
CGFloat left(const UIView& view);
void setLeft(UIView& view, CGFloat x);
CGFloat top(const UIView& view);
void setTop(UIView& view, CGFloat y);
// x + width; setting keeps the width.
CGFloat right(const UIView& view);
void setRight(UIView& view, CGFloat right);
// y + height; setting keeps the height.
CGFloat bottom(const UIView& view);
void setBottom(UIView& view, CGFloat bottom);
// One coordinate of the centre; setting keeps the other.
CGFloat centerX(const UIView& view);
void setCenterX(UIView& view, CGFloat x);
CGFloat centerY(const UIView& view);
void setCenterY(UIView& view, CGFloat y);
CGFloat width(const UIView& view);
void setWidth(UIView& view, CGFloat width);
CGFloat height(const UIView& view);
void setHeight(UIView& view, CGFloat height);
CGPoint origin(const UIView& view);
void setOrigin(UIView& view, CGPoint origin);
CGSize size(const UIView& view);
void setSize(UIView& view, CGSize size);

// The sums of left (top) of the view and every superview.
CGFloat ulScreenX(const UIView& view);
CGFloat ulScreenY(const UIView& view);
// The same, less the content offset of every scroll view on the way (the view included).
CGFloat screenViewX(const UIView& view);
CGFloat screenViewY(const UIView& view);
// (screenViewX, screenViewY, width, height).
CGRect screenFrame(const UIView& view);
// width and height, swapped while the interface is in landscape.
CGFloat orientationWidth(const UIView& view);
CGFloat orientationHeight(const UIView& view);
// offsetFromView: the sum of (left, top) of the view and its superviews up to, not including,
// `ancestor` (all the way up when it is not an ancestor); (0, 0) for the view itself.
CGPoint offsetFromView(const UIView& view, const UIView* ancestor);

// ---- the tree
// The view itself when of the class, else the first match depth first (each subview searched
// whole before the next); nullptr when none.
std::shared_ptr<UIView> descendantOrSelfWithClass(const std::shared_ptr<UIView>& view,
                                                  const NSClass& cls);
// The view itself when of the class, else the nearest superview that is; nullptr when none.
std::shared_ptr<UIView> ancestorOrSelfWithClass(const std::shared_ptr<UIView>& view,
                                                const NSClass& cls);
// Removes the last subview until none is left.
void removeAllSubviews(UIView& view);
// viewController: from the superview up (not the view itself), the controller of the first
// view that is a controller's root view; nullptr when none.
std::shared_ptr<UIViewController> viewController(const UIView& view);

// ---- presenting like the keyboard
// The keyboard notifications' user info for the view, over the oriented screen S:
// bounds (0, 0, S.width, view height); centre begin (floor(S.width/2 - width/2),
// S.height + floor(height/2)); centre end (the same x, S.height - floor(height/2)).
Value userInfoForKeyboardNotification(const UIView& view);
// Posts the will-show notification (object: the view), puts the view's top at the container's
// bottom inside it and raises it by its height in a 0.3 s animation; the did-show
// notification follows when the animation ends.
void presentAsKeyboardInView(const std::shared_ptr<UIView>& view,
                             const std::shared_ptr<UIView>& container);
// Posts the will-hide notification and lowers the view by its height (animated over 0.3 s or
// at once); then the did-hide notification, and the view leaves its superview.
void dismissAsKeyboard(const std::shared_ptr<UIView>& view, bool animated);
// The frame, less the part the keyboard (and `extraHeight` above it) covers while the key
// window has a first responder.
CGRect frameWithKeyboardSubtracted(const UIView& view, CGFloat extraHeight);
