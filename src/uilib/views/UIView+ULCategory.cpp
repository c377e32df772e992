#include <cmath>

#include "Foundation/NSNotificationCenter.h"
#include "UIKit/NSValue+UIGeometry.h"
#include "UIKit/UIKeyboard.h"
#include "UIKit/UIScrollView.h"
#include "uilib/screen/ULOrientation.h"
#include "uilib/views/UIView+ULCategory.h"
#include "uilib/views/UIWindow+ULCategory.h"

namespace {

void setFrameOrigin(UIView& view, CGFloat x, CGFloat y) {
  CGRect f = view.frame();
  f.origin = CGPointMake(x, y);
  view.setFrame(f);
}

void setFrameSize(UIView& view, CGFloat w, CGFloat h) {
  CGRect f = view.frame();
  f.size = CGSizeMake(w, h);
  view.setFrame(f);
}

// Sums the view's and its superviews' positions, less scroll offsets when asked.
CGPoint screenSum(const UIView& view, bool lessScrollOffsets) {
  CGPoint sum = CGPointZero;
  for (const UIView* v = &view; v;) {
    sum.x += left(*v);
    sum.y += top(*v);
    if (lessScrollOffsets) {
      if (auto scroll = dynamic_cast<const UIScrollView*>(v)) {
        sum.x -= scroll->contentOffset().x;
        sum.y -= scroll->contentOffset().y;
      }
    }
    auto parent = v->superview();
    v = parent.get();
  }
  return sum;
}

bool isLandscape() {
  auto o = ULCurrentOrientation();
  return o == UIInterfaceOrientation::LandscapeLeft || o == UIInterfaceOrientation::LandscapeRight;
}

void postKeyboardNotification(std::string_view name, const std::shared_ptr<UIView>& view) {
  NSNotificationCenter::defaultCenter()->postNotificationName(
      name, Value(std::static_pointer_cast<NSObject>(view)),
      userInfoForKeyboardNotification(*view));
}

}  // namespace

CGFloat left(const UIView& view) {
  return view.frame().origin.x;
}
void setLeft(UIView& view, CGFloat x) {
  setFrameOrigin(view, x, top(view));
}
CGFloat top(const UIView& view) {
  return view.frame().origin.y;
}
void setTop(UIView& view, CGFloat y) {
  setFrameOrigin(view, left(view), y);
}
CGFloat right(const UIView& view) {
  return left(view) + width(view);
}
void setRight(UIView& view, CGFloat r) {
  setLeft(view, r - width(view));
}
CGFloat bottom(const UIView& view) {
  return top(view) + height(view);
}
void setBottom(UIView& view, CGFloat b) {
  setTop(view, b - height(view));
}
CGFloat centerX(const UIView& view) {
  return view.center().x;
}
void setCenterX(UIView& view, CGFloat x) {
  view.setCenter(CGPointMake(x, view.center().y));
}
CGFloat centerY(const UIView& view) {
  return view.center().y;
}
void setCenterY(UIView& view, CGFloat y) {
  view.setCenter(CGPointMake(view.center().x, y));
}
CGFloat width(const UIView& view) {
  return view.frame().size.width;
}
void setWidth(UIView& view, CGFloat w) {
  setFrameSize(view, w, height(view));
}
CGFloat height(const UIView& view) {
  return view.frame().size.height;
}
void setHeight(UIView& view, CGFloat h) {
  setFrameSize(view, width(view), h);
}
CGPoint origin(const UIView& view) {
  return view.frame().origin;
}
void setOrigin(UIView& view, CGPoint o) {
  setFrameOrigin(view, o.x, o.y);
}
CGSize size(const UIView& view) {
  return view.frame().size;
}
void setSize(UIView& view, CGSize s) {
  setFrameSize(view, s.width, s.height);
}

CGFloat ulScreenX(const UIView& view) {
  return screenSum(view, false).x;
}
CGFloat ulScreenY(const UIView& view) {
  return screenSum(view, false).y;
}
CGFloat screenViewX(const UIView& view) {
  return screenSum(view, true).x;
}
CGFloat screenViewY(const UIView& view) {
  return screenSum(view, true).y;
}
CGRect screenFrame(const UIView& view) {
  CGPoint p = screenSum(view, true);
  return CGRectMake(p.x, p.y, width(view), height(view));
}
CGFloat orientationWidth(const UIView& view) {
  return isLandscape() ? height(view) : width(view);
}
CGFloat orientationHeight(const UIView& view) {
  return isLandscape() ? width(view) : height(view);
}

CGPoint offsetFromView(const UIView& view, const UIView* ancestor) {
  CGPoint sum = CGPointZero;
  for (const UIView* v = &view; v && v != ancestor;) {
    sum.x += left(*v);
    sum.y += top(*v);
    auto parent = v->superview();
    v = parent.get();
  }
  return sum;
}

std::shared_ptr<UIView> descendantOrSelfWithClass(const std::shared_ptr<UIView>& view,
                                                  const NSClass& cls) {
  if (!view) return nullptr;
  if (view->isKindOfClass(cls)) return view;
  for (const auto& child : view->subviews())
    if (auto found = descendantOrSelfWithClass(child, cls)) return found;
  return nullptr;
}

std::shared_ptr<UIView> ancestorOrSelfWithClass(const std::shared_ptr<UIView>& view,
                                                const NSClass& cls) {
  for (auto v = view; v; v = v->superview())
    if (v->isKindOfClass(cls)) return v;
  return nullptr;
}

void removeAllSubviews(UIView& view) {
  while (!view.subviews().empty()) {
    auto last = view.subviews().back();
    last->removeFromSuperview();
  }
}

std::shared_ptr<UIViewController> viewController(const UIView& view) {
  for (auto v = view.superview(); v; v = v->superview())
    if (auto controller = std::dynamic_pointer_cast<UIViewController>(v->nextResponder()))
      return controller;
  return nullptr;
}

Value userInfoForKeyboardNotification(const UIView& view) {
  CGRect screen = ULOrientedScreenBounds();
  CGFloat h = height(view);
  CGFloat x = std::floor(screen.size.width / 2 - width(view) / 2);
  return Value::dictionaryOf({
      {std::string(UIKeyboardBoundsUserInfoKey),
       valueWithCGRect(CGRectMake(0, 0, screen.size.width, h))},
      {std::string(UIKeyboardCenterBeginUserInfoKey),
       valueWithCGPoint(CGPointMake(x, screen.size.height + std::floor(h / 2)))},
      {std::string(UIKeyboardCenterEndUserInfoKey),
       valueWithCGPoint(CGPointMake(x, screen.size.height - std::floor(h / 2)))},
  });
}

void presentAsKeyboardInView(const std::shared_ptr<UIView>& view,
                             const std::shared_ptr<UIView>& container) {
  if (!view || !container) return;
  postKeyboardNotification(UIKeyboardWillShowNotification, view);
  setTop(*view, height(*container));
  container->addSubview(view);
  std::weak_ptr<UIView> weak = view;
  UIView::animateWithDuration(
      ULDefaultTransitionDuration, [&] { setTop(*view, top(*view) - height(*view)); },
      [weak](bool) {
        if (auto v = weak.lock()) postKeyboardNotification(UIKeyboardDidShowNotification, v);
      });
}

void dismissAsKeyboard(const std::shared_ptr<UIView>& view, bool animated) {
  if (!view) return;
  postKeyboardNotification(UIKeyboardWillHideNotification, view);
  auto lower = [&] { setTop(*view, top(*view) + height(*view)); };
  auto done = [view] {
    postKeyboardNotification(UIKeyboardDidHideNotification, view);
    view->removeFromSuperview();
  };
  if (animated) {
    UIView::animateWithDuration(ULDefaultTransitionDuration, lower, [done](bool) { done(); });
  } else {
    lower();
    done();
  }
}

CGRect frameWithKeyboardSubtracted(const UIView& view, CGFloat extraHeight) {
  CGRect frame = view.frame();
  if (ULKeyWindowHasFirstResponder()) {
    CGRect screen = ULOrientedScreenBounds();
    CGFloat keyboard = ULCurrentKeyboardHeight();
    CGFloat overlap =
        ulScreenY(view) + frame.size.height - (screen.size.height - (extraHeight + keyboard));
    if (overlap > 0) frame.size.height -= overlap;
  }
  return frame;
}
