#include "support/ui/ScreenDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "UIKit/UIApplication.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIEventDriver.h"
#include "UIKit/UILabel.h"
#include "UIKit/UITextField.h"
#include "UIKit/UITextView.h"
#include "UIKit/UIWindow.h"
#include "support/MainLoop.h"

namespace {

// Every shown window, frontmost first.
std::vector<std::shared_ptr<UIWindow>> shownWindows() {
  auto all = UIApplication::sharedApplication()->windows();
  std::vector<std::shared_ptr<UIWindow>> out;
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if (!(*it)->isHidden()) out.push_back(*it);
  return out;
}

bool shows(const UIView& v) {
  return !v.isHidden() && v.alpha() >= 0.01;
}

// The text a view shows, when it shows one the driver can find.
bool textOf(const UIView& v, std::string& text) {
  if (auto label = dynamic_cast<const UILabel*>(&v)) {
    text = label->text();
    return true;
  }
  if (auto field = dynamic_cast<const UITextField*>(&v)) {
    text = field->text().empty() ? field->placeholder() : field->text();
    return true;
  }
  if (auto textView = dynamic_cast<const UITextView*>(&v)) {
    text = textView->text();
    return true;
  }
  if (auto button = dynamic_cast<const UIButton*>(&v)) {
    auto title = button->currentTitle();
    if (!title) return false;
    text = *title;
    return true;
  }
  return false;
}

template <class Match>
std::shared_ptr<UIView> search(const std::shared_ptr<UIView>& v, const Match& match) {
  if (!shows(*v)) return nullptr;
  // The view itself (a button rather than its title label), then its subviews front first.
  if (match(*v)) return v;
  const auto& subviews = v->subviews();
  for (auto it = subviews.rbegin(); it != subviews.rend(); ++it)
    if (auto found = search(*it, match)) return found;
  return nullptr;
}

template <class Match>
std::shared_ptr<UIView> find(const Match& match) {
  for (const auto& w : shownWindows()) {
    w->layoutIfNeeded();
    if (auto found = search(w, match)) return found;
  }
  return nullptr;
}

bool touchAt(CGPoint p, int finger, UITouchPhase phase) {
  return UIEventDriver::touches({{finger, phase, p}});
}

CGPoint lerp(CGPoint a, CGPoint b, double t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

}  // namespace

std::shared_ptr<UIView> ScreenDriver::findTag(long tag) {
  return find([tag](const UIView& v) { return v.tag() == tag; });
}

std::shared_ptr<UIView> ScreenDriver::findText(std::string_view text) {
  return find([text](const UIView& v) {
    std::string shown;
    return textOf(v, shown) && shown == text;
  });
}

bool ScreenDriver::visiblePoint(const std::shared_ptr<UIView>& view, CGPoint& point) {
  if (!view) return false;
  auto window = view->window();
  if (!window || window->isHidden()) return false;
  window->layoutIfNeeded();
  CGRect r = view->convertRectToView(view->bounds(), window);
  for (auto v = view->superview(); v; v = v->superview()) {
    if (!shows(*v)) return false;
    if (v->clipsToBounds() || v == window)
      r = CGRectIntersection(r, v->convertRectToView(v->bounds(), window));
  }
  if (!shows(*view) || CGRectIsNull(r) || CGRectIsEmpty(r)) return false;
  CGRect f = window->frame();
  point = {CGRectGetMidX(r) + f.origin.x, CGRectGetMidY(r) + f.origin.y};
  return true;
}

namespace {

bool pointOf(const std::shared_ptr<UIView>& view, CGPoint& p, const char* what) {
  if (!view) {
    ADD_FAILURE() << what << ": no such view on screen";
    return false;
  }
  if (!ScreenDriver::visiblePoint(view, p)) {
    ADD_FAILURE() << what << ": " << view->className() << " does not show on screen";
    return false;
  }
  return true;
}

}  // namespace

bool ScreenDriver::tap(CGPoint point, int taps) {
  for (int i = 0; i < taps; ++i) {
    if (i > 0) wait(0.1);
    if (!touchAt(point, 0, UITouchPhase::Began)) {
      ADD_FAILURE() << "tap at (" << point.x << ", " << point.y << "): no view takes touches";
      return false;
    }
    wait(kTapDuration);
    touchAt(point, 0, UITouchPhase::Ended);
  }
  return true;
}

bool ScreenDriver::tap(const std::shared_ptr<UIView>& view, int taps) {
  CGPoint p;
  return pointOf(view, p, "tap") && tap(p, taps);
}

bool ScreenDriver::tapTag(long tag, int taps) {
  CGPoint p;
  return pointOf(findTag(tag), p, ("tap tag " + std::to_string(tag)).c_str()) && tap(p, taps);
}

bool ScreenDriver::tapText(std::string_view text, int taps) {
  CGPoint p;
  return pointOf(findText(text), p, ("tap \"" + std::string(text) + "\"").c_str()) && tap(p, taps);
}

bool ScreenDriver::longPress(CGPoint point, double duration) {
  if (!touchAt(point, 0, UITouchPhase::Began)) {
    ADD_FAILURE() << "long press at (" << point.x << ", " << point.y << "): no view takes touches";
    return false;
  }
  wait(duration);
  touchAt(point, 0, UITouchPhase::Ended);
  return true;
}

bool ScreenDriver::longPress(const std::shared_ptr<UIView>& view, double duration) {
  CGPoint p;
  return pointOf(view, p, "long press") && longPress(p, duration);
}

bool ScreenDriver::drag(CGPoint from, CGPoint to, double duration) {
  if (!touchAt(from, 0, UITouchPhase::Began)) {
    ADD_FAILURE() << "drag from (" << from.x << ", " << from.y << "): no view takes touches";
    return false;
  }
  int steps = std::max(1, int(std::lround(duration / kFrame)));
  for (int i = 1; i <= steps; ++i) {
    wait(duration / steps);
    touchAt(lerp(from, to, double(i) / steps), 0, UITouchPhase::Moved);
  }
  touchAt(to, 0, UITouchPhase::Ended);
  return true;
}

bool ScreenDriver::drag(const std::shared_ptr<UIView>& view, CGPoint offset, double duration) {
  CGPoint p;
  return pointOf(view, p, "drag") && drag(p, {p.x + offset.x, p.y + offset.y}, duration);
}

namespace {

CGPoint towards(CGPoint from, UISwipeGestureRecognizerDirection direction, CGFloat distance) {
  switch (direction) {
    case UISwipeGestureRecognizerDirectionLeft:
      return {from.x - distance, from.y};
    case UISwipeGestureRecognizerDirectionUp:
      return {from.x, from.y - distance};
    case UISwipeGestureRecognizerDirectionDown:
      return {from.x, from.y + distance};
    default:
      return {from.x + distance, from.y};
  }
}

}  // namespace

bool ScreenDriver::swipe(CGPoint from, UISwipeGestureRecognizerDirection direction,
                         CGFloat distance, double duration) {
  return drag(from, towards(from, direction, distance), duration);
}

bool ScreenDriver::swipe(const std::shared_ptr<UIView>& view,
                         UISwipeGestureRecognizerDirection direction, CGFloat distance,
                         double duration) {
  CGPoint p;
  return pointOf(view, p, "swipe") && swipe(p, direction, distance, duration);
}

bool ScreenDriver::pinch(CGPoint center, CGFloat fromDistance, CGFloat toDistance,
                         double duration) {
  auto at = [&](CGFloat d, int side) { return CGPointMake(center.x + side * d / 2, center.y); };
  if (!UIEventDriver::touches({{0, UITouchPhase::Began, at(fromDistance, -1)},
                               {1, UITouchPhase::Began, at(fromDistance, 1)}})) {
    ADD_FAILURE() << "pinch at (" << center.x << ", " << center.y << "): no view takes touches";
    return false;
  }
  int steps = std::max(1, int(std::lround(duration / kFrame)));
  CGFloat d = fromDistance;
  for (int i = 1; i <= steps; ++i) {
    wait(duration / steps);
    d = fromDistance + (toDistance - fromDistance) * CGFloat(i) / CGFloat(steps);
    UIEventDriver::touches(
        {{0, UITouchPhase::Moved, at(d, -1)}, {1, UITouchPhase::Moved, at(d, 1)}});
  }
  UIEventDriver::touches({{0, UITouchPhase::Ended, at(d, -1)}, {1, UITouchPhase::Ended, at(d, 1)}});
  return true;
}

bool ScreenDriver::typeText(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    // One UTF-8 sequence at a time.
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (!UIEventDriver::insertText(text.substr(i, n))) {
      ADD_FAILURE() << "typing \"" << text << "\": nothing on screen takes text";
      return false;
    }
    i += n;
  }
  return true;
}

bool ScreenDriver::commitText(std::string_view text) {
  if (UIEventDriver::insertText(text)) return true;
  ADD_FAILURE() << "typing \"" << text << "\": nothing on screen takes text";
  return false;
}

bool ScreenDriver::pressReturn() {
  if (UIEventDriver::pressReturn()) return true;
  ADD_FAILURE() << "return: nothing on screen takes text";
  return false;
}

bool ScreenDriver::deleteBackward(int times) {
  for (int i = 0; i < times; ++i)
    if (!UIEventDriver::deleteBackward()) {
      ADD_FAILURE() << "backspace: nothing on screen takes text";
      return false;
    }
  return true;
}

bool ScreenDriver::shake() {
  if (UIEventDriver::shake()) return true;
  ADD_FAILURE() << "shake: no responder and no key window";
  return false;
}

bool ScreenDriver::tapStatusBar() {
  if (UIEventDriver::tapStatusBar()) return true;
  ADD_FAILURE() << "status bar: no single scroll view scrolls to top";
  return false;
}

void ScreenDriver::wait(double seconds) {
  MainLoop::advance(seconds);
}
