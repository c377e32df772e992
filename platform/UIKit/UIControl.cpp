#include "UIKit/UIControl.h"

#include "Foundation/NSClass.h"

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

NS_CLASS_IMPLEMENTATION(UIControl) {}
