#include "UIKit/UIEventDriver.h"

#include <algorithm>

#include "Foundation/Clock.h"
#include "UIKit/UIAccelerometer.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIEvent.h"
#include "UIKit/UIScrollView.h"
#include "UIKit/UITextInput.h"
#include "UIKit/UIWindow.h"

bool UIEventDriver::touchDown(CGPoint point, int finger) {
  return touches({{finger, UITouchPhase::Began, point}});
}

bool UIEventDriver::touchMove(CGPoint point, int finger) {
  return touches({{finger, UITouchPhase::Moved, point}});
}

bool UIEventDriver::touchUp(CGPoint point, int finger) {
  return touches({{finger, UITouchPhase::Ended, point}});
}

bool UIEventDriver::touchCancel(int finger) {
  return touches({{finger, UITouchPhase::Cancelled, {}}});
}

bool UIEventDriver::touches(const std::vector<UITouchInput>& changes) {
  return UITouchDelivery::deliver(changes);
}

size_t UIEventDriver::fingersDown() {
  return UITouchDelivery::activeTouchCount();
}

namespace {

std::shared_ptr<UIResponder> typingResponder(UIKeyInput*& input) {
  auto r = UIResponder::firstResponder();
  input = dynamic_cast<UIKeyInput*>(r.get());
  return input ? r : nullptr;
}

}  // namespace

bool UIEventDriver::insertText(std::string_view text) {
  UIKeyInput* input = nullptr;
  auto keep = typingResponder(input);
  if (!keep) return false;
  input->insertText(text);
  return true;
}

bool UIEventDriver::deleteBackward() {
  UIKeyInput* input = nullptr;
  auto keep = typingResponder(input);
  if (!keep) return false;
  input->deleteBackward();
  return true;
}

bool UIEventDriver::pressReturn() {
  return insertText("\n");
}

bool UIEventDriver::moveInsertionPoint(long offset) {
  UIKeyInput* input = nullptr;
  auto keep = typingResponder(input);
  auto text = dynamic_cast<UITextInput*>(input);
  if (!text) return false;
  NSRange r = text->selectedRange();
  long from = offset < 0 ? long(r.location) : long(r.location + r.length);
  long to = std::clamp<long>(from + offset, 0, long(text->textLength()));
  text->setSelectedRange(NSMakeRange(size_t(to), 0));
  return true;
}

namespace {

// The scroll view the wheel is dragging.
std::weak_ptr<UIView>& wheelTarget() {
  static std::weak_ptr<UIView> target;
  return target;
}

}  // namespace

bool UIEventDriver::scrollWheel(CGPoint point, CGPoint moved) {
  if (moved.x == 0 && moved.y == 0) return false;
  std::shared_ptr<UIView> hit;
  auto windows = UIApplication::sharedApplication()->windows();
  for (auto it = windows.rbegin(); it != windows.rend() && !hit; ++it) {
    CGRect f = (*it)->frame();
    hit = (*it)->hitTest(CGPointMake(point.x - f.origin.x, point.y - f.origin.y), nullptr);
  }
  for (auto v = hit; v; v = v->superview()) {
    auto scrollView = std::dynamic_pointer_cast<UIScrollView>(v);
    if (!scrollView) continue;
    auto previous = std::static_pointer_cast<UIScrollView>(wheelTarget().lock());
    if (previous == scrollView) {
      if (scrollView->wheelDrag(moved)) return true;
      continue;
    }
    if (!scrollView->wheelDrag(moved)) continue;
    if (previous) previous->endWheelDrag();
    wheelTarget() = scrollView;
    return true;
  }
  return false;
}

void UIEventDriver::accelerate(double x, double y, double z) {
  UIAccelerometer::sharedAccelerometer()->deliverSample(x, y, z);
}

bool UIEventDriver::shake() {
  accelerate(0, 0, -1);
  accelerate(1, 0, 0);
  accelerate(1, 0, 0);
  std::shared_ptr<UIResponder> target = UIResponder::firstResponder();
  if (!target) target = UIApplication::sharedApplication()->keyWindow();
  if (!target) return false;
  UIEvent began(UIEventType::Motion, UIEventSubtype::MotionShake, ClockNow());
  target->motionBegan(UIEventSubtype::MotionShake, &began);
  UIEvent ended(UIEventType::Motion, UIEventSubtype::MotionShake, ClockNow());
  target->motionEnded(UIEventSubtype::MotionShake, &ended);
  return true;
}

bool UIEventDriver::tapStatusBar() {
  return UIScrollView::scrollToTopFromStatusBar();
}

void UIEventDriver::reset() {
  UITouchDelivery::reset();
  wheelTarget().reset();
}
