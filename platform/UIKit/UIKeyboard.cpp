#include "UIKit/UIKeyboard.h"

#include "Foundation/NSClass.h"
#include "Foundation/NSNotificationCenter.h"
#include "UIKit/NSValue+UIGeometry.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIResponder.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UITextInput.h"
#include "UIKit/UIWindow.h"

namespace {

// Main thread only.
struct KeyboardState {
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIView> shown;  // the keyboard or the responder's input view
  CGRect frame = CGRectZero;      // on screen while up
  bool up = false;
  unsigned generation = 0;  // a slide that is overtaken reports nothing
};

KeyboardState& state() {
  static KeyboardState s;
  return s;
}

bool takesTyping(const std::shared_ptr<UIResponder>& r) {
  return r && dynamic_cast<UIKeyInput*>(r.get());
}

Value userInfo(CGRect begin, CGRect end) {
  auto centre = [](CGRect r) { return CGPointMake(CGRectGetMidX(r), CGRectGetMidY(r)); };
  return Value::dictionaryOf(
      {{std::string(UIKeyboardFrameBeginUserInfoKey), valueWithCGRect(begin)},
       {std::string(UIKeyboardFrameEndUserInfoKey), valueWithCGRect(end)},
       {std::string(UIKeyboardAnimationDurationUserInfoKey), Value(UIKeyboard::kAnimationDuration)},
       {std::string(UIKeyboardAnimationCurveUserInfoKey),
        Value(int(UIViewAnimationCurve::EaseInOut))},
       {std::string(UIKeyboardBoundsUserInfoKey),
        valueWithCGRect(CGRectMake(0, 0, end.size.width, end.size.height))},
       {std::string(UIKeyboardCenterBeginUserInfoKey), valueWithCGPoint(centre(begin))},
       {std::string(UIKeyboardCenterEndUserInfoKey), valueWithCGPoint(centre(end))}});
}

void post(std::string_view name, CGRect begin, CGRect end) {
  NSNotificationCenter::defaultCenter()->postNotificationName(name, {}, userInfo(begin, end));
}

// The view to show for the responder and its height.
std::shared_ptr<UIView> viewFor(const std::shared_ptr<UIResponder>& r) {
  CGRect screen = UIScreen::mainScreen()->bounds();
  if (auto input = r ? r->inputView() : nullptr) return input;
  auto& s = state();
  if (auto keyboard = std::dynamic_pointer_cast<UIKeyboard>(s.shown)) return keyboard;
  auto keyboard =
      std::make_shared<UIKeyboard>(CGRectMake(0, 0, screen.size.width, UIKeyboard::kHeight));
  keyboard->setBackgroundColor(UIColor::colorWithRed(0.82, 0.84, 0.87, 1));
  return keyboard;
}

void show(const std::shared_ptr<UIResponder>& to) {
  auto& s = state();
  CGRect screen = UIScreen::mainScreen()->bounds();
  auto view = viewFor(to);
  CGFloat height = view->bounds().size.height;
  CGRect end = CGRectMake(0, screen.size.height - height, screen.size.width, height);
  if (s.up && s.shown == view && s.frame == end) return;
  CGRect begin = s.up ? s.frame : CGRectOffset(end, 0, height);
  if (!s.window) {
    s.window = std::make_shared<UIWindow>(end);
    s.window->setWindowLevel(UIKeyboard::kWindowLevel);
  }
  if (s.shown != view) {
    if (s.shown) s.shown->removeFromSuperview();
    s.shown = view;
    s.window->addSubview(view);
  }
  s.up = true;
  s.frame = end;
  unsigned generation = ++s.generation;
  post(UIKeyboardWillShowNotification, begin, end);
  s.window->setFrame(end);
  view->setFrame(CGRectMake(0, 0, end.size.width, height));
  s.window->setHidden(false);
  UIView::animateWithDuration(UIKeyboard::kAnimationDuration, {}, [generation, begin, end](bool) {
    if (state().generation == generation) post(UIKeyboardDidShowNotification, begin, end);
  });
}

void hide() {
  auto& s = state();
  if (!s.up) return;
  CGRect begin = s.frame;
  CGRect end = CGRectOffset(begin, 0, begin.size.height);
  s.up = false;
  s.frame = CGRectZero;
  unsigned generation = ++s.generation;
  post(UIKeyboardWillHideNotification, begin, end);
  UIView::animateWithDuration(UIKeyboard::kAnimationDuration, {}, [generation, begin, end](bool) {
    auto& st = state();
    if (st.generation != generation) return;
    if (st.window) st.window->setHidden(true);
    post(UIKeyboardDidHideNotification, begin, end);
  });
}

}  // namespace

void UIKeyboard::firstResponderChanged(const std::shared_ptr<UIResponder>&,
                                       const std::shared_ptr<UIResponder>& to) {
  if (takesTyping(to)) {
    show(to);
  } else {
    hide();
  }
}

bool UIKeyboard::isVisible() {
  return state().up;
}

CGRect UIKeyboard::frameOnScreen() {
  return state().frame;
}

std::shared_ptr<UIWindow> UIKeyboard::window() {
  auto& s = state();
  return s.up ? s.window : nullptr;
}

void UIKeyboard::reset() {
  auto& s = state();
  ++s.generation;
  if (s.window) s.window->setHidden(true);
  if (s.shown) s.shown->removeFromSuperview();
  s = KeyboardState{};
}

void UIKeyboard::drawRect(CGRect) {
  // Four rows of plain keys.
  auto ctx = UIGraphicsGetCurrentContext();
  CGRect b = bounds();
  CGFloat rowHeight = (b.size.height - 10) / 4;
  static const int keys[] = {10, 9, 9, 5};
  for (int row = 0; row < 4; ++row) {
    CGFloat keyWidth = (b.size.width - 6) / 10;
    CGFloat inset = (10 - keys[row]) * keyWidth / 2;
    for (int k = 0; k < keys[row]; ++k) {
      CGFloat w = row == 3 && k == 2 ? keyWidth * 5 : keyWidth;  // the space bar
      CGFloat x = 3 + inset + k * keyWidth + (row == 3 && k > 2 ? keyWidth * 4 : 0);
      CGRect key = CGRectMake(x + 3, 8 + row * rowHeight + 3, w - 6, rowHeight - 10);
      ctx->setRGBFillColor(0.45, 0.47, 0.5, 1);
      ctx->fillRect(CGRectOffset(key, 0, 1));
      ctx->setRGBFillColor(1, 1, 1, 1);
      ctx->fillRect(key);
    }
  }
}

NS_CLASS_IMPLEMENTATION(UIKeyboard) {}
