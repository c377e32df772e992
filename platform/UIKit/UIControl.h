// Controls: views with a state (highlighted, selected, enabled) that decides their look, and
// targets whose actions they send for their events.
//
// Tracking a finger: touch down highlights the control and sends touch down (and touch down
// repeat for the second tap of a quick double tap); moves send drag inside or outside (with
// enter and exit when that changes) and keep the control highlighted while the finger is within
// 70 points of its bounds; lifting there sends touch up inside, elsewhere touch up outside; a
// cancelled touch sends touch cancel.  Subclasses follow the finger through begin, continue and
// end tracking.  A disabled control takes no touches (they go to the view below).
//
// Actions run in the order their targets were added, and receive the control (an object
// Value).  Actions that want the event too use the UIControlAction form.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "UIKit/UIView.h"

class UIEvent;
class UITouch;

using UIControlEvents = unsigned;
inline constexpr UIControlEvents UIControlEventTouchDown = 1 << 0;
inline constexpr UIControlEvents UIControlEventTouchDownRepeat = 1 << 1;
inline constexpr UIControlEvents UIControlEventTouchDragInside = 1 << 2;
inline constexpr UIControlEvents UIControlEventTouchDragOutside = 1 << 3;
inline constexpr UIControlEvents UIControlEventTouchDragEnter = 1 << 4;
inline constexpr UIControlEvents UIControlEventTouchDragExit = 1 << 5;
inline constexpr UIControlEvents UIControlEventTouchUpInside = 1 << 6;
inline constexpr UIControlEvents UIControlEventTouchUpOutside = 1 << 7;
inline constexpr UIControlEvents UIControlEventTouchCancel = 1 << 8;
inline constexpr UIControlEvents UIControlEventValueChanged = 1 << 12;
inline constexpr UIControlEvents UIControlEventEditingDidBegin = 1 << 16;
inline constexpr UIControlEvents UIControlEventEditingChanged = 1 << 17;
inline constexpr UIControlEvents UIControlEventEditingDidEnd = 1 << 18;
inline constexpr UIControlEvents UIControlEventEditingDidEndOnExit = 1 << 19;
inline constexpr UIControlEvents UIControlEventAllTouchEvents = 0x00000FFF;
inline constexpr UIControlEvents UIControlEventAllEditingEvents = 0x000F0000;
inline constexpr UIControlEvents UIControlEventAllEvents = 0xFFFFFFFF;

class UIControl;

// An action that takes the sender and the event (nullptr when sent without one), named like
// its selector ("buttonTouchedDown:withEvent:") and bound to a target that is not kept.
struct UIControlAction {
  std::string name;
  std::weak_ptr<void> target;
  std::function<void(UIControl& sender, UIEvent* event)> call;
};

using UIControlState = unsigned;
inline constexpr UIControlState UIControlStateNormal = 0;
inline constexpr UIControlState UIControlStateHighlighted = 1 << 0;
inline constexpr UIControlState UIControlStateDisabled = 1 << 1;
inline constexpr UIControlState UIControlStateSelected = 1 << 2;

enum class UIControlContentHorizontalAlignment { Center = 0, Left = 1, Right = 2, Fill = 3 };
enum class UIControlContentVerticalAlignment { Center = 0, Top = 1, Bottom = 2, Fill = 3 };

class UIControl : public UIView {
  NS_CLASS(UIControl, UIView)
 public:
  UIControl() : UIControl(CGRectZero) {}
  explicit UIControl(CGRect frame) : UIView(frame) {}

  // ---- targets and actions.  The same target and action added again only adds events.  A
  // control that keeps its target its own way overrides the Selector form.
  virtual void addTarget(Selector action, UIControlEvents events);
  void addTarget(UIControlAction action, UIControlEvents events);
  // Removes the events from the target's actions of that name (every action of the target
  // for an empty name, of every target for a null target); an action left without events goes.
  void removeTarget(const void* target, std::string_view actionName, UIControlEvents events);
  // The live targets, each once.
  std::vector<std::shared_ptr<void>> allTargets() const;
  UIControlEvents allControlEvents() const;
  // The names of the target's actions for the event.
  std::vector<std::string> actionsForTarget(const void* target, UIControlEvents event) const;
  // Sends the actions of every target registered for one of the events.
  void sendActionsForControlEvents(UIControlEvents events);

  // ---- tracking
  bool isTracking() const { return tracking_; }
  bool isTouchInside() const { return touchInside_; }
  virtual bool beginTrackingWithTouch(UITouch& touch, UIEvent* event) { return true; }
  // False stops the tracking (no more continue calls, and no end call).
  virtual bool continueTrackingWithTouch(UITouch& touch, UIEvent* event) { return true; }
  virtual void endTrackingWithTouch(UITouch* touch, UIEvent* event) {}
  virtual void cancelTrackingWithEvent(UIEvent* event) {}

  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
  void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;
  std::shared_ptr<UIView> hitTest(CGPoint point, UIEvent* event) override;
  bool allowsGestureRecognizerAbove(const UIGestureRecognizer& recognizer) const override;

  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  bool isSelected() const { return selected_; }
  void setSelected(bool selected);
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted);
  // The flags together (disabled, highlighted, selected).
  virtual UIControlState state() const;

  UIControlContentHorizontalAlignment contentHorizontalAlignment() const { return horizontal_; }
  void setContentHorizontalAlignment(UIControlContentHorizontalAlignment a);
  UIControlContentVerticalAlignment contentVerticalAlignment() const { return vertical_; }
  void setContentVerticalAlignment(UIControlContentVerticalAlignment a);

 protected:
  // After any change of the state or the alignments.
  virtual void stateDidChange() {}
  void describeAttributes(std::string& line) const override;
  // Sends the actions registered for the events, with the event.
  void sendActions(UIControlEvents events, UIEvent* event);

 private:
  void changed();
  bool touchIsNear(const UITouch& touch) const;

  struct Registration {
    UIControlAction action;
    bool targeted;  // false for a selector without a target
    UIControlEvents events;
  };
  std::vector<Registration> registrations_;
  bool tracking_ = false;
  bool touchInside_ = false;
  bool enabled_ = true;
  bool selected_ = false;
  bool highlighted_ = false;
  UIControlContentHorizontalAlignment horizontal_ = UIControlContentHorizontalAlignment::Center;
  UIControlContentVerticalAlignment vertical_ = UIControlContentVerticalAlignment::Center;
};
