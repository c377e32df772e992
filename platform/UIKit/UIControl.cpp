#include "UIKit/UIControl.h"

#include <algorithm>

#include "Foundation/NSClass.h"
#include "UIKit/UIEvent.h"
#include "UIKit/UITapGestureRecognizer.h"
#include "UIKit/UITouch.h"

void UIControl::changed() {
  stateDidChange();
  setNeedsLayout();
  setNeedsDisplay();
}

void UIControl::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  changed();
}

void UIControl::setSelected(bool selected) {
  if (selected == selected_) return;
  selected_ = selected;
  changed();
}

void UIControl::setHighlighted(bool highlighted) {
  if (highlighted == highlighted_) return;
  highlighted_ = highlighted;
  changed();
}

UIControlState UIControl::state() const {
  UIControlState s = UIControlStateNormal;
  if (highlighted_) s |= UIControlStateHighlighted;
  if (!enabled_) s |= UIControlStateDisabled;
  if (selected_) s |= UIControlStateSelected;
  return s;
}

void UIControl::setContentHorizontalAlignment(UIControlContentHorizontalAlignment a) {
  horizontal_ = a;
  changed();
}

void UIControl::setContentVerticalAlignment(UIControlContentVerticalAlignment a) {
  vertical_ = a;
  changed();
}

void UIControl::describeAttributes(std::string& line) const {
  if (highlighted_) line += " highlighted";
  if (selected_) line += " selected";
  if (!enabled_) line += " disabled";
}

// ---- targets and actions

void UIControl::addTarget(Selector action, UIControlEvents events) {
  if (!action) return;
  auto target = action.target();
  bool targeted = !(action.targetAlive() && !target);
  std::string name = action.name();
  UIControlAction a{name, target, [action](UIControl& sender, UIEvent*) {
                      action(Value(std::static_pointer_cast<NSObject>(
                          std::static_pointer_cast<UIControl>(sender.weak_from_this().lock()))));
                    }};
  for (auto& r : registrations_) {
    if (r.targeted == targeted && r.action.name == name &&
        !r.action.target.owner_before(a.target) && !a.target.owner_before(r.action.target)) {
      r.events |= events;
      return;
    }
  }
  registrations_.push_back({std::move(a), targeted, events});
}

void UIControl::addTarget(UIControlAction action, UIControlEvents events) {
  if (!action.call) return;
  for (auto& r : registrations_) {
    if (r.targeted && r.action.name == action.name &&
        !r.action.target.owner_before(action.target) &&
        !action.target.owner_before(r.action.target)) {
      r.events |= events;
      return;
    }
  }
  registrations_.push_back({std::move(action), true, events});
}

void UIControl::removeTarget(const void* target, std::string_view actionName,
                             UIControlEvents events) {
  for (auto& r : registrations_) {
    auto t = r.action.target.lock();
    bool targetMatches = !target || t.get() == target;
    bool nameMatches = actionName.empty() || r.action.name == actionName;
    if (targetMatches && nameMatches) r.events &= ~events;
  }
  std::erase_if(registrations_, [](const Registration& r) { return r.events == 0; });
}

std::vector<std::shared_ptr<void>> UIControl::allTargets() const {
  std::vector<std::shared_ptr<void>> out;
  for (const auto& r : registrations_) {
    auto t = r.action.target.lock();
    if (t && std::find(out.begin(), out.end(), t) == out.end()) out.push_back(std::move(t));
  }
  return out;
}

UIControlEvents UIControl::allControlEvents() const {
  UIControlEvents all = 0;
  for (const auto& r : registrations_) all |= r.events;
  return all;
}

std::vector<std::string> UIControl::actionsForTarget(const void* target,
                                                     UIControlEvents event) const {
  std::vector<std::string> out;
  for (const auto& r : registrations_) {
    auto t = r.action.target.lock();
    if ((r.events & event) && t.get() == target) out.push_back(r.action.name);
  }
  return out;
}

void UIControl::sendActions(UIControlEvents events, UIEvent* event) {
  auto keep = weak_from_this().lock();
  if (!keep) return;
  auto registrations = registrations_;  // an action may add or remove targets
  for (const auto& r : registrations) {
    if (!(r.events & events)) continue;
    if (r.targeted && r.action.target.expired()) continue;
    auto target = r.action.target.lock();  // alive for the length of the call
    r.action.call(*this, event);
  }
}

void UIControl::sendActionsForControlEvents(UIControlEvents events) {
  sendActions(events, nullptr);
}

// ---- tracking

namespace {

// How far outside its bounds a finger still counts as on the control.
constexpr CGFloat kTouchSlop = 70;

}  // namespace

std::shared_ptr<UIView> UIControl::hitTest(CGPoint point, UIEvent* event) {
  if (!enabled_) return nullptr;
  return UIView::hitTest(point, event);
}

bool UIControl::allowsGestureRecognizerAbove(const UIGestureRecognizer& recognizer) const {
  auto tap = dynamic_cast<const UITapGestureRecognizer*>(&recognizer);
  return !(enabled_ && tap && tap->numberOfTapsRequired() == 1 &&
           tap->numberOfTouchesRequired() == 1);
}

bool UIControl::touchIsNear(const UITouch& touch) const {
  return CGRectContainsPoint(CGRectInset(bounds(), -kTouchSlop, -kTouchSlop),
                             touch.locationInView(this));
}

void UIControl::touchesBegan(const UITouchSet& touches, UIEvent* event) {
  auto touch = touches.anyObject();
  if (!touch) return;
  auto keep = weak_from_this().lock();
  touchInside_ = true;
  tracking_ = beginTrackingWithTouch(*touch, event);
  setHighlighted(true);
  UIControlEvents events = UIControlEventTouchDown;
  if (touch->tapCount() > 1) events |= UIControlEventTouchDownRepeat;
  sendActions(events, event);
}

void UIControl::touchesMoved(const UITouchSet& touches, UIEvent* event) {
  auto touch = touches.anyObject();
  if (!touch) return;
  auto keep = weak_from_this().lock();
  bool wasInside = touchInside_;
  touchInside_ = touchIsNear(*touch);
  setHighlighted(touchInside_);
  if (tracking_) tracking_ = continueTrackingWithTouch(*touch, event);
  UIControlEvents events =
      touchInside_ ? UIControlEventTouchDragInside : UIControlEventTouchDragOutside;
  if (wasInside && !touchInside_) events |= UIControlEventTouchDragExit;
  if (!wasInside && touchInside_) events |= UIControlEventTouchDragEnter;
  sendActions(events, event);
}

void UIControl::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  auto touch = touches.anyObject();
  if (!touch) return;
  auto keep = weak_from_this().lock();
  touchInside_ = touchIsNear(*touch);
  setHighlighted(false);
  if (tracking_) endTrackingWithTouch(touch.get(), event);
  tracking_ = false;
  sendActions(touchInside_ ? UIControlEventTouchUpInside : UIControlEventTouchUpOutside, event);
  touchInside_ = false;
}

void UIControl::touchesCancelled(const UITouchSet&, UIEvent* event) {
  auto keep = weak_from_this().lock();
  setHighlighted(false);
  if (tracking_) cancelTrackingWithEvent(event);
  tracking_ = false;
  touchInside_ = false;
  sendActions(UIControlEventTouchCancel, event);
}

NS_CLASS_IMPLEMENTATION(UIControl) {}
