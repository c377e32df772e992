#include "UIKit/UITouchDelivery.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "Foundation/Clock.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIEvent.h"
#include "UIKit/UIView.h"
#include "UIKit/UIWindow.h"

namespace {

// Taps that follow within this time and distance of the last one count up.
constexpr double kMultiTapInterval = 0.35;
constexpr CGFloat kMultiTapDistance = 45;

using RecognizerPtr = std::shared_ptr<UIGestureRecognizer>;
using TouchPtr = std::shared_ptr<UITouch>;

struct LastTap {
  double time = -1e300;
  CGPoint point;
  std::weak_ptr<UIView> view;
  unsigned long count = 0;
};

// Main thread only.
struct State {
  std::map<int, TouchPtr> fingers;
  std::vector<TouchPtr> order;  // the fingers' touches in the order they began
  std::vector<TouchPtr> held;   // touches with a delivery to their view held back
  std::vector<RecognizerPtr> engaged;
  LastTap lastTap;
  int settling = 0;
  bool again = false;
};

State& state() {
  static State s;
  return s;
}

bool isActive(UIGestureRecognizerState s) {
  return s == UIGestureRecognizerState::Began || s == UIGestureRecognizerState::Changed;
}

bool isFinished(UIGestureRecognizerState s) {
  return s == UIGestureRecognizerState::Ended || s == UIGestureRecognizerState::Cancelled ||
         s == UIGestureRecognizerState::Failed;
}

RecognizerPtr lock(UIGestureRecognizer& r) {
  return std::static_pointer_cast<UIGestureRecognizer>(r.weak_from_this().lock());
}

bool shareTouch(const std::vector<TouchPtr>& aTouches, const std::vector<TouchPtr>& bTouches) {
  for (const auto& t : aTouches)
    if (std::find(bTouches.begin(), bTouches.end(), t) != bTouches.end()) return true;
  return false;
}

CGFloat distance(CGPoint a, CGPoint b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

}  // namespace

// ---- recognisers

namespace {

bool simultaneous(UIGestureRecognizer& a, UIGestureRecognizer& b) {
  auto sa = lock(a), sb = lock(b);
  if (auto d = a.delegate().lock();
      d && d->gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(sa, sb))
    return true;
  if (auto d = b.delegate().lock();
      d && d->gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(sb, sa))
    return true;
  return false;
}

}  // namespace

bool UITouchDelivery::shouldBegin(UIGestureRecognizer& r) {
  auto self = lock(r);
  if (r.view_ && !r.view_->gestureRecognizerShouldBegin(self)) return false;
  if (auto d = r.delegate_.lock(); d && !d->gestureRecognizerShouldBegin(self)) return false;
  for (const auto& t : r.touches_) {
    auto v = t->view();
    if (v && v.get() != r.view_ && !v->allowsGestureRecognizerAbove(r)) return false;
  }
  return true;
}

void UITouchDelivery::fail(UIGestureRecognizer& r) {
  r.pending_ = UIGestureRecognizerState::Possible;
  r.state_ = UIGestureRecognizerState::Failed;
  r.stopTimer();
  state().again = true;
}

void UITouchDelivery::tryBegin(UIGestureRecognizer& r, UIGestureRecognizerState to) {
  auto keep = lock(r);
  if (!shouldBegin(r)) {
    fail(r);
    return;
  }
  bool waiting = false;
  for (const auto& weak : r.requiredToFail_) {
    auto other = weak.lock();
    if (!other || other.get() == &r) continue;
    if (isActive(other->state_) || other->state_ == UIGestureRecognizerState::Ended) {
      fail(r);
      return;
    }
    if (other->state_ == UIGestureRecognizerState::Possible && other->engaged_) waiting = true;
  }
  if (waiting) {
    r.pending_ = to;
    return;
  }
  auto& s = state();
  auto others = s.engaged;
  for (const auto& o : others) {
    if (o.get() == &r || !shareTouch(r.seen_, o->seen_)) continue;
    if (isActive(o->state_) && !simultaneous(r, *o) && o->canPreventGestureRecognizer(r) &&
        r.canBePreventedByGestureRecognizer(*o)) {
      fail(r);
      return;
    }
  }
  r.pending_ = UIGestureRecognizerState::Possible;
  r.state_ = to;
  for (const auto& o : others) {
    if (o.get() == &r || !shareTouch(r.seen_, o->seen_)) continue;
    if (o->state_ == UIGestureRecognizerState::Possible && !simultaneous(r, *o) &&
        r.canPreventGestureRecognizer(*o) && o->canBePreventedByGestureRecognizer(r))
      fail(*o);
  }
  s.again = true;
  // A recogniser that its action takes off its view (reset, its touches forgotten) has still
  // recognised: the views lose its touches all the same.
  const bool cancels = r.cancelsTouchesInView_;
  const auto seen = r.seen_;
  r.sendActions();
  if (cancels && (r.state_ != UIGestureRecognizerState::Possible || !r.view_))
    cancelTouchesInViews(seen);
}

void UITouchDelivery::requestState(UIGestureRecognizer& r, UIGestureRecognizerState to) {
  using S = UIGestureRecognizerState;
  auto keep = lock(r);
  S from = r.state_;
  if (from == S::Possible) {
    if (r.pending_ != S::Possible) return;  // decided, waiting for another to fail
    if (to == S::Began || to == S::Ended) {
      tryBegin(r, to);
    } else if (to == S::Failed) {
      fail(r);
    } else if (to == S::Cancelled) {
      fail(r);  // nothing began that could be cancelled
    }
  } else if (isActive(from)) {
    if (to != S::Changed && to != S::Ended && to != S::Cancelled) return;
    r.state_ = to;
    if (to != S::Changed) r.stopTimer();
    state().again = true;
    r.sendActions();
  } else {
    return;  // over: it waits for its reset
  }
  settle();
}

void UITouchDelivery::settle() {
  auto& s = state();
  if (s.settling > 0) {
    s.again = true;
    return;
  }
  ++s.settling;
  for (int round = 0; round < 1000; ++round) {
    s.again = false;
    // Recognisers waiting for others to fail.
    auto engaged = s.engaged;
    for (const auto& r : engaged)
      if (r->state_ == UIGestureRecognizerState::Possible &&
          r->pending_ != UIGestureRecognizerState::Possible) {
        auto to = r->pending_;
        r->pending_ = UIGestureRecognizerState::Possible;
        tryBegin(*r, to);
      }
    // Over and without touches: back to possible.
    for (const auto& r : engaged) {
      if (isFinished(r->state_) && r->touches_.empty()) {
        r->resetState();
        s.again = true;
      }
    }
    releaseHeldTouches();
    if (!s.again) break;
  }
  --s.settling;
}

void UITouchDelivery::forget(UIGestureRecognizer& r) {
  auto& s = state();
  std::erase_if(s.engaged, [&](const auto& e) { return e.get() == &r; });
}

// ---- the views' side

bool UITouchDelivery::delaysBegan(const UITouch& t) {
  for (const auto& weak : t.recognizers_) {
    auto r = weak.lock();
    if (r && r->engaged_ && r->delaysTouchesBegan_ &&
        r->state_ == UIGestureRecognizerState::Possible)
      return true;
  }
  return false;
}

bool UITouchDelivery::delaysEnded(const UITouch& t) {
  for (const auto& weak : t.recognizers_) {
    auto r = weak.lock();
    if (r && r->engaged_ && r->delaysTouchesEnded_ &&
        r->state_ == UIGestureRecognizerState::Possible)
      return true;
  }
  return false;
}

void UITouchDelivery::sendToView(const std::shared_ptr<UIView>& view, const UITouchSet& touches,
                                 UITouchPhase phase, UIEvent* event) {
  if (!view || touches.empty()) return;
  // A held delivery goes out with the phase it was held in.
  std::vector<UITouchPhase> saved;
  for (const auto& t : touches) {
    saved.push_back(t->phase_);
    t->phase_ = phase;
  }
  switch (phase) {
    case UITouchPhase::Began:
      view->touchesBegan(touches, event);
      break;
    case UITouchPhase::Moved:
      view->touchesMoved(touches, event);
      break;
    case UITouchPhase::Ended:
      view->touchesEnded(touches, event);
      break;
    case UITouchPhase::Cancelled:
      view->touchesCancelled(touches, event);
      break;
    case UITouchPhase::Stationary:
      break;
  }
  size_t i = 0;
  for (const auto& t : touches) t->phase_ = saved[i++];
}

void UITouchDelivery::cancelTouchesInViews(const std::vector<std::shared_ptr<UITouch>>& touches) {
  std::map<UIView*, std::pair<std::shared_ptr<UIView>, UITouchSet>> byView;
  std::vector<UIView*> order;
  for (const auto& t : touches) {
    if (t->cancelledForView_) continue;
    t->cancelledForView_ = true;
    if (t->beganHeld_) {
      t->beganHeld_ = t->endHeld_ = false;
      continue;
    }
    if (!t->beganDelivered_ || t->finishedForView_) continue;
    t->finishedForView_ = true;
    t->endHeld_ = false;
    auto v = t->view();
    if (!v) continue;
    if (!byView.count(v.get())) order.push_back(v.get());
    auto& entry = byView[v.get()];
    entry.first = v;
    entry.second.add(t);
  }
  if (order.empty()) return;
  UIEvent event(UIEventType::Touches, UIEventSubtype::None, ClockNow());
  event.touches_ = UITouchSet(touches);
  for (UIView* key : order) {
    auto& [view, set] = byView[key];
    sendToView(view, set, UITouchPhase::Cancelled, &event);
  }
}

void UITouchDelivery::releaseHeldTouches() {
  auto& s = state();
  if (s.held.empty()) return;
  auto held = s.held;
  for (const auto& t : held) {
    if (t->cancelledForView_) continue;
    UIEvent event(UIEventType::Touches, UIEventSubtype::None, ClockNow());
    event.touches_.add(t);
    if (t->beganHeld_ && !delaysBegan(*t)) {
      t->beganHeld_ = false;
      t->beganDelivered_ = true;
      sendToView(t->view(), event.allTouches(), UITouchPhase::Began, &event);
    }
    if (!t->beganHeld_ && t->endHeld_ && !t->cancelledForView_ && !delaysEnded(*t)) {
      t->endHeld_ = false;
      t->finishedForView_ = true;
      sendToView(t->view(), event.allTouches(), UITouchPhase::Ended, &event);
    }
  }
  std::erase_if(s.held, [](const TouchPtr& t) {
    return t->cancelledForView_ || (!t->beganHeld_ && !t->endHeld_);
  });
}

// ---- one event

void UITouchDelivery::deliverToRecognizers(const std::vector<TouchPtr>& changed, UIEvent* event) {
  std::vector<RecognizerPtr> recognizers;
  for (const auto& t : changed)
    for (const auto& weak : t->recognizers_)
      if (auto r = weak.lock();
          r && std::find(recognizers.begin(), recognizers.end(), r) == recognizers.end())
        recognizers.push_back(r);
  static constexpr UITouchPhase phases[] = {UITouchPhase::Began, UITouchPhase::Moved,
                                            UITouchPhase::Ended, UITouchPhase::Cancelled};
  for (const auto& r : recognizers) {
    for (UITouchPhase phase : phases) {
      if (!r->view_ || !(r->state_ == UIGestureRecognizerState::Possible || isActive(r->state_)))
        break;
      if (r->pending_ != UIGestureRecognizerState::Possible) break;
      UITouchSet set;
      for (const auto& t : changed) {
        if (t->phase_ != phase) continue;
        bool mine = std::find(r->touches_.begin(), r->touches_.end(), t) != r->touches_.end();
        if (phase == UITouchPhase::Began) {
          bool listed = std::any_of(t->recognizers_.begin(), t->recognizers_.end(),
                                    [&](const auto& w) { return w.lock() == r; });
          if (listed && !mine) {
            r->touches_.push_back(t);
            r->seen_.push_back(t);
            mine = true;
          }
        }
        if (mine) set.add(t);
      }
      if (set.empty()) continue;
      switch (phase) {
        case UITouchPhase::Began:
          r->touchesBegan(set, event);
          break;
        case UITouchPhase::Moved:
          r->touchesMoved(set, event);
          break;
        case UITouchPhase::Ended:
          r->touchesEnded(set, event);
          break;
        default:
          r->touchesCancelled(set, event);
          break;
      }
    }
  }
  // Touches that ended leave their recognisers, which keep where they were last.
  for (const auto& r : recognizers) {
    for (const auto& t : changed) {
      if (t->phase_ != UITouchPhase::Ended && t->phase_ != UITouchPhase::Cancelled) continue;
      auto it = std::find(r->touches_.begin(), r->touches_.end(), t);
      if (it == r->touches_.end()) continue;
      r->lastLocation_ = t->location_;
      r->touches_.erase(it);
    }
  }
}

void UITouchDelivery::deliverToViews(const std::vector<TouchPtr>& changed, UIEvent* event) {
  auto& s = state();
  static constexpr UITouchPhase phases[] = {UITouchPhase::Began, UITouchPhase::Moved,
                                            UITouchPhase::Ended, UITouchPhase::Cancelled};
  for (UITouchPhase phase : phases) {
    std::vector<std::pair<std::shared_ptr<UIView>, UITouchSet>> groups;
    for (const auto& t : changed) {
      if (t->phase_ != phase || t->ignoredByView_ || t->cancelledForView_) continue;
      bool send = false;
      switch (phase) {
        case UITouchPhase::Began:
          if (delaysBegan(*t)) {
            t->beganHeld_ = true;
            s.held.push_back(t);
          } else {
            t->beganDelivered_ = send = true;
          }
          break;
        case UITouchPhase::Moved:
          send = t->beganDelivered_ && !t->finishedForView_;
          break;
        case UITouchPhase::Ended:
          if (t->beganHeld_) {
            t->endHeld_ = true;
          } else if (t->beganDelivered_ && !t->finishedForView_) {
            if (delaysEnded(*t)) {
              t->endHeld_ = true;
              if (std::find(s.held.begin(), s.held.end(), t) == s.held.end()) s.held.push_back(t);
            } else {
              t->finishedForView_ = send = true;
            }
          }
          break;
        case UITouchPhase::Cancelled:
          if (t->beganHeld_) {
            t->beganHeld_ = t->endHeld_ = false;
          } else if (t->beganDelivered_ && !t->finishedForView_) {
            t->endHeld_ = false;
            t->finishedForView_ = send = true;
          }
          break;
        default:
          break;
      }
      if (!send) continue;
      auto v = t->view();
      auto it =
          std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == v; });
      if (it == groups.end()) {
        groups.push_back({v, UITouchSet()});
        it = groups.end() - 1;
      }
      it->second.add(t);
    }
    for (auto& [view, set] : groups) sendToView(view, set, phase, event);
  }
}

bool UITouchDelivery::deliver(const std::vector<UITouchInput>& changes) {
  auto& s = state();
  double now = ClockNow();
  std::vector<TouchPtr> changed;
  for (const auto& in : changes) {
    auto found = s.fingers.find(in.finger);
    if (in.phase == UITouchPhase::Began) {
      if (found != s.fingers.end()) continue;
      // The topmost shown window that has a view at the point takes the finger.
      std::shared_ptr<UIWindow> window;
      std::shared_ptr<UIView> hit;
      CGPoint local;
      auto windows = UIApplication::sharedApplication()->windows();
      for (auto it = windows.rbegin(); it != windows.rend() && !hit; ++it) {
        // A window's own coordinates from the screen's: undo its frame.
        CGRect f = (*it)->frame();
        local = CGPointMake(in.location.x - f.origin.x, in.location.y - f.origin.y);
        if ((hit = (*it)->hitTest(local, nullptr))) window = *it;
      }
      if (!hit) continue;
      bool blocked = false;
      for (const auto& other : s.order) {
        auto v = other->view();
        if ((v && v->isExclusiveTouch()) || hit->isExclusiveTouch()) blocked = true;
      }
      if (blocked) continue;
      auto t = std::make_shared<UITouch>();
      t->phase_ = UITouchPhase::Began;
      t->timestamp_ = now;
      t->view_ = hit;
      t->window_ = window;
      t->location_ = t->previous_ = local;
      auto last = s.lastTap.view.lock();
      if (last == hit && now - s.lastTap.time <= kMultiTapInterval &&
          distance(local, s.lastTap.point) <= kMultiTapDistance)
        t->tapCount_ = s.lastTap.count + 1;
      for (const auto& other : s.order)
        if (other->view() == hit && !hit->isMultipleTouchEnabled()) t->ignoredByView_ = true;
      for (auto v = hit; v; v = v->superview()) {
        auto list = v->gestureRecognizers();
        for (const auto& r : list) {
          if (!r->isEnabled() || r->pending_ != UIGestureRecognizerState::Possible) continue;
          if (!(r->state_ == UIGestureRecognizerState::Possible || isActive(r->state_))) continue;
          if (auto d = r->delegate().lock(); d && !d->gestureRecognizerShouldReceiveTouch(r, t))
            continue;
          t->recognizers_.push_back(r);
          if (!r->engaged_) {
            r->engaged_ = true;
            s.engaged.push_back(r);
          }
        }
      }
      s.fingers[in.finger] = t;
      s.order.push_back(t);
      changed.push_back(t);
      continue;
    }
    if (found == s.fingers.end()) continue;
    auto t = found->second;
    if (std::find(changed.begin(), changed.end(), t) != changed.end()) continue;
    t->timestamp_ = now;
    t->phase_ = in.phase;
    if (in.phase != UITouchPhase::Cancelled) {
      CGPoint local = in.location;
      if (auto w = t->window()) {
        CGRect f = w->frame();
        local = CGPointMake(in.location.x - f.origin.x, in.location.y - f.origin.y);
      }
      t->previous_ = t->location_;
      t->location_ = local;
    }
    if (in.phase == UITouchPhase::Stationary) continue;
    changed.push_back(t);
  }
  if (changed.empty()) return false;
  for (const auto& t : s.order)
    if (std::find(changed.begin(), changed.end(), t) == changed.end())
      t->phase_ = UITouchPhase::Stationary;

  auto event = std::make_shared<UIEvent>(UIEventType::Touches, UIEventSubtype::None, now);
  event->touches_ = UITouchSet(s.order);
  ++s.settling;  // decisions made while the recognisers look settle once they are done
  deliverToRecognizers(changed, event.get());
  --s.settling;
  settle();
  deliverToViews(changed, event.get());

  // Lifted fingers go; their taps count for the next touch.
  for (const auto& t : changed) {
    if (t->phase_ != UITouchPhase::Ended && t->phase_ != UITouchPhase::Cancelled) continue;
    for (auto it = s.fingers.begin(); it != s.fingers.end(); ++it)
      if (it->second == t) {
        s.fingers.erase(it);
        break;
      }
    std::erase(s.order, t);
    if (t->phase_ == UITouchPhase::Ended) {
      s.lastTap = {t->timestamp_, t->location_, t->view_, t->tapCount_};
    }
  }
  if (s.fingers.empty()) {
    // A recogniser still undecided with no timer of its own will never decide: it fails.
    auto engaged = s.engaged;
    for (const auto& r : engaged)
      if (r->state_ == UIGestureRecognizerState::Possible &&
          r->pending_ == UIGestureRecognizerState::Possible && !r->timerRunning())
        fail(*r);
  }
  settle();
  return true;
}

size_t UITouchDelivery::activeTouchCount() {
  return state().fingers.size();
}

void UITouchDelivery::cancelAll() {
  std::vector<UITouchInput> changes;
  for (const auto& [finger, t] : state().fingers)
    changes.push_back({finger, UITouchPhase::Cancelled, {}});
  if (!changes.empty()) deliver(changes);
}

void UITouchDelivery::reset() {
  auto& s = state();
  auto engaged = std::move(s.engaged);
  s.engaged.clear();
  for (const auto& r : engaged) r->resetState();
  s.fingers.clear();
  s.order.clear();
  s.held.clear();
  s.lastTap = {};
}
