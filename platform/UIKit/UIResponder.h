// The base of views, controllers, windows and the application: objects that take part in the
// responder chain.  What a responder does not handle goes to its next responder: a view's is
// its controller when it is a controller's root view, else its superview; a controller's is its
// view's superview; a window's the application; the application's its delegate when that is a
// responder.  The default touch and motion handlers pass the event on that way.
//
// One responder at a time is the first responder (the text input that takes typing, or any
// responder that asks): becomeFirstResponder asks the current one to resign first.  A view that
// leaves its window stops being the first responder.  Main thread only.
#pragma once

#include <memory>
#include <string>

#include "Foundation/NSObject.h"

class UIEvent;
class UITouchSet;

enum class UIEventSubtype { None = 0, MotionShake = 1 };

class UIResponder : public NSObject {
  NS_CLASS(UIResponder, NSObject)
 public:
  // The responder that handles what this one does not; nullptr at the end of the chain.
  virtual std::shared_ptr<UIResponder> nextResponder() const { return nullptr; }
  std::string description() const override;

  // ---- touches: the touches of the set changed phase in the event.  The defaults pass them
  // on to the next responder.
  virtual void touchesBegan(const UITouchSet& touches, UIEvent* event);
  virtual void touchesMoved(const UITouchSet& touches, UIEvent* event);
  virtual void touchesEnded(const UITouchSet& touches, UIEvent* event);
  virtual void touchesCancelled(const UITouchSet& touches, UIEvent* event);

  // ---- motion (the shake), sent to the first responder; the defaults pass it on.
  virtual void motionBegan(UIEventSubtype motion, UIEvent* event);
  virtual void motionEnded(UIEventSubtype motion, UIEvent* event);
  virtual void motionCancelled(UIEventSubtype motion, UIEvent* event);

  // ---- first responder
  virtual bool canBecomeFirstResponder() const { return false; }
  // False when this responder cannot become it or the current one refuses to resign.  The
  // current first responder stays as it is when this one already is.
  virtual bool becomeFirstResponder();
  virtual bool canResignFirstResponder() const { return true; }
  // False (and it stays) when canResignFirstResponder says no; true when it is not the first
  // responder at all.
  virtual bool resignFirstResponder();
  bool isFirstResponder() const;
  // What the keyboard's place shows while this responder is first (nullptr: the keyboard).
  virtual std::shared_ptr<class UIView> inputView() const { return nullptr; }
  // The current first responder, if any.
  static std::shared_ptr<UIResponder> firstResponder();
  // Resigns without asking canResignFirstResponder (a view leaving its window, endEditing
  // forced).
  void forceResignFirstResponder();

 protected:
  // After this responder became / stopped being the first responder (text inputs start and
  // end editing here).
  virtual void didBecomeFirstResponder() {}
  virtual void didResignFirstResponder() {}
};
