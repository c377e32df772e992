// A popover: a controller's content shown in a bubble pointing at a bar item or at a rectangle
// of a view.  Here it is a logic object: it records what it shows, from where and with which
// arrow directions, and whether it is up; nothing is drawn.  A dismissal by the user (a tap
// outside, dismissByUser) tells the delegate; dismissPopoverAnimated, as on the platform, does
// not.  Main thread only.
#pragma once

#include <memory>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"

class UIBarButtonItem;
class UIPopoverController;
class UIView;
class UIViewController;

// Arrow directions: 1 up, 2 down, 4 left, 8 right; 15 any.
using UIPopoverArrowDirection = unsigned;
inline constexpr UIPopoverArrowDirection UIPopoverArrowDirectionAny = 15;

class UIPopoverControllerDelegate {
 public:
  virtual ~UIPopoverControllerDelegate() = default;
  virtual void popoverControllerDidDismissPopover(
      const std::shared_ptr<UIPopoverController>& /*popover*/) {}
};

class UIPopoverController : public NSObject {
  NS_CLASS(UIPopoverController, NSObject)
 public:
  explicit UIPopoverController(std::shared_ptr<UIViewController> content = nullptr)
      : content_(std::move(content)) {}

  const std::shared_ptr<UIViewController>& contentViewController() const { return content_; }
  void setContentViewController(std::shared_ptr<UIViewController> content) {
    content_ = std::move(content);
  }
  // Not kept alive by the popover.
  std::shared_ptr<UIPopoverControllerDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::weak_ptr<UIPopoverControllerDelegate>& delegate) {
    delegate_ = delegate;
  }

  void presentFromBarButtonItem(const std::shared_ptr<UIBarButtonItem>& item,
                                UIPopoverArrowDirection arrows, bool animated);
  void presentFromRect(CGRect rect, const std::shared_ptr<UIView>& view,
                       UIPopoverArrowDirection arrows, bool animated);
  void dismissPopoverAnimated(bool animated);
  // The user tapped outside: the popover goes and the delegate is told.
  void dismissByUser();

  bool isPopoverVisible() const { return visible_; }
  // Where it was last presented from.
  std::shared_ptr<UIBarButtonItem> presentedFromItem() const { return item_.lock(); }
  std::shared_ptr<UIView> presentedInView() const { return view_.lock(); }
  CGRect presentedFromRect() const { return rect_; }
  UIPopoverArrowDirection permittedArrowDirections() const { return arrows_; }
  bool wasAnimated() const { return animated_; }

 private:
  std::shared_ptr<UIViewController> content_;
  std::weak_ptr<UIPopoverControllerDelegate> delegate_;
  std::weak_ptr<UIBarButtonItem> item_;
  std::weak_ptr<UIView> view_;
  CGRect rect_ = CGRectZero;
  UIPopoverArrowDirection arrows_ = 0;
  bool visible_ = false;
  bool animated_ = false;
};
