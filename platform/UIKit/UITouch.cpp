#include "UIKit/UITouch.h"

#include <algorithm>

#include "UIKit/UIEvent.h"
#include "UIKit/UIGestureRecognizer.h"
#include "UIKit/UIView.h"
#include "UIKit/UIWindow.h"

CGPoint UITouch::convert(CGPoint windowPoint, const UIView* view) const {
  if (!view) return windowPoint;
  auto w = window_.lock();
  if (!w) return windowPoint;
  return view->convertPointFromView(windowPoint, w.get());
}

CGPoint UITouch::locationInView(const UIView* view) const {
  return convert(location_, view);
}

CGPoint UITouch::previousLocationInView(const UIView* view) const {
  return convert(previous_, view);
}

std::vector<std::shared_ptr<UIGestureRecognizer>> UITouch::gestureRecognizers() const {
  std::vector<std::shared_ptr<UIGestureRecognizer>> out;
  for (const auto& weak : recognizers_)
    if (auto r = weak.lock()) out.push_back(std::move(r));
  return out;
}

bool UITouchSet::containsObject(const std::shared_ptr<UITouch>& touch) const {
  return std::find(touches_.begin(), touches_.end(), touch) != touches_.end();
}

void UITouchSet::add(const std::shared_ptr<UITouch>& touch) {
  if (touch && !containsObject(touch)) touches_.push_back(touch);
}

UITouchSet UIEvent::touchesForView(const UIView* view) const {
  UITouchSet out;
  for (const auto& t : touches_)
    if (t->view().get() == view) out.add(t);
  return out;
}

UITouchSet UIEvent::touchesForWindow(const UIWindow* window) const {
  UITouchSet out;
  for (const auto& t : touches_)
    if (t->window().get() == window) out.add(t);
  return out;
}

UITouchSet UIEvent::touchesForGestureRecognizer(const UIGestureRecognizer* recognizer) const {
  UITouchSet out;
  for (const auto& t : touches_)
    for (const auto& r : t->gestureRecognizers())
      if (r.get() == recognizer) out.add(t);
  return out;
}
