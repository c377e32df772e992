#include "UIKit/UIResponder.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIKeyboard.h"

namespace {

// Main thread only.
std::weak_ptr<NSObject>& current() {
  static std::weak_ptr<NSObject> responder;
  return responder;
}

}  // namespace

std::string UIResponder::description() const {
  return "<" + className() + ">";
}

void UIResponder::touchesBegan(const UITouchSet& touches, UIEvent* event) {
  if (auto next = nextResponder()) next->touchesBegan(touches, event);
}

void UIResponder::touchesMoved(const UITouchSet& touches, UIEvent* event) {
  if (auto next = nextResponder()) next->touchesMoved(touches, event);
}

void UIResponder::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  if (auto next = nextResponder()) next->touchesEnded(touches, event);
}

void UIResponder::touchesCancelled(const UITouchSet& touches, UIEvent* event) {
  if (auto next = nextResponder()) next->touchesCancelled(touches, event);
}

void UIResponder::motionBegan(UIEventSubtype motion, UIEvent* event) {
  if (auto next = nextResponder()) next->motionBegan(motion, event);
}

void UIResponder::motionEnded(UIEventSubtype motion, UIEvent* event) {
  if (auto next = nextResponder()) next->motionEnded(motion, event);
}

void UIResponder::motionCancelled(UIEventSubtype motion, UIEvent* event) {
  if (auto next = nextResponder()) next->motionCancelled(motion, event);
}

std::shared_ptr<UIResponder> UIResponder::firstResponder() {
  return std::static_pointer_cast<UIResponder>(current().lock());
}

bool UIResponder::isFirstResponder() const {
  auto c = current().lock();
  return c && c.get() == this;
}

bool UIResponder::becomeFirstResponder() {
  if (isFirstResponder()) return true;
  auto self = std::static_pointer_cast<UIResponder>(weak_from_this().lock());
  if (!self || !canBecomeFirstResponder()) return false;
  auto old = firstResponder();
  if (old) {
    if (!old->canResignFirstResponder()) return false;
    current().reset();
    old->didResignFirstResponder();
  }
  current() = self;
  didBecomeFirstResponder();
  // The keyboard follows the change once, so that going from one field to another keeps it up.
  UIKeyboard::firstResponderChanged(old, self);
  return true;
}

bool UIResponder::resignFirstResponder() {
  if (!isFirstResponder()) return true;
  if (!canResignFirstResponder()) return false;
  forceResignFirstResponder();
  return true;
}

void UIResponder::forceResignFirstResponder() {
  if (!isFirstResponder()) return;
  auto self = std::static_pointer_cast<UIResponder>(weak_from_this().lock());
  current().reset();
  didResignFirstResponder();
  UIKeyboard::firstResponderChanged(self, nullptr);
}

NS_CLASS_IMPLEMENTATION(UIResponder) {}
