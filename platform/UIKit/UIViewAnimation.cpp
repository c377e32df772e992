// The animation class methods of UIView.  There is nothing to interpolate while views are not
// drawn: a committed animation is a timer on the main run loop that reports its end.
#include <algorithm>

#include "Foundation/Clock.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"
#include "UIKit/UIView.h"

namespace {

struct OpenBlock {
  UIViewAnimationRecord record;
  std::weak_ptr<void> delegate;
  bool hasDelegate = false;
  Selector didStop;
};

struct Running {
  uint64_t id;
  UIViewAnimationRecord record;
  std::shared_ptr<NSTimer> timer;
};

// Main thread only.
struct AnimationState {
  bool enabled = true;
  std::vector<OpenBlock> open;
  std::vector<Running> running;
  uint64_t nextId = 1;
};

AnimationState& state() {
  static AnimationState s;
  return s;
}

constexpr double kDefaultDuration = 0.2;

UIViewAnimationCurve curveOf(UIViewAnimationOptions options) {
  return UIViewAnimationCurve((options >> 16) & 3);
}

// Schedules the end of a committed animation; `ended` runs once the clock passes its end.
void schedule(UIViewAnimationRecord record, std::function<void()> ended) {
  AnimationState& s = state();
  auto loop = NSRunLoop::mainRunLoop();
  record.commitTime = loop->clock()->now();
  double wait = s.enabled ? std::max(0.0, record.delay) + std::max(0.0, record.duration) : 0;
  record.endTime = record.commitTime + wait;
  uint64_t id = s.nextId++;
  auto timer = NSTimer::timerWithTimeInterval(
      wait, false, [id, ended = std::move(ended)](const std::shared_ptr<NSTimer>&) {
        auto& list = state().running;
        std::erase_if(list, [id](const Running& r) { return r.id == id; });
        ended();
      });
  s.running.push_back(Running{id, std::move(record), timer});
  loop->addTimer(timer, NSRunLoopCommonModes);
}

}  // namespace

void UIView::animateWithDuration(double duration, std::function<void()> animations,
                                 std::function<void(bool)> completion) {
  animateWithDuration(duration, 0, 0, std::move(animations), std::move(completion));
}

void UIView::animateWithDuration(double duration, double delay, UIViewAnimationOptions options,
                                 std::function<void()> animations,
                                 std::function<void(bool)> completion) {
  UIViewAnimationRecord record;
  record.duration = duration;
  record.delay = delay;
  record.curve = curveOf(options);
  if (animations) animations();
  schedule(std::move(record), [completion = std::move(completion)] {
    if (completion) completion(true);
  });
}

void UIView::beginAnimations(std::string_view animationID, Value context) {
  OpenBlock block;
  block.record.animationID = std::string(animationID);
  block.record.context = std::move(context);
  block.record.duration = kDefaultDuration;
  state().open.push_back(std::move(block));
}

void UIView::commitAnimations() {
  AnimationState& s = state();
  if (s.open.empty()) return;
  OpenBlock block = std::move(s.open.back());
  s.open.pop_back();
  Value id = block.record.animationID.empty() ? Value() : Value(block.record.animationID);
  schedule(std::move(block.record), [id, delegate = block.delegate, hasDelegate = block.hasDelegate,
                                     didStop = block.didStop] {
    if (hasDelegate && delegate.expired()) return;
    if (didStop) didStop(id);
  });
}

void UIView::setAnimationDuration(double duration) {
  if (!state().open.empty()) state().open.back().record.duration = duration;
}

void UIView::setAnimationDelay(double delay) {
  if (!state().open.empty()) state().open.back().record.delay = delay;
}

void UIView::setAnimationCurve(UIViewAnimationCurve curve) {
  if (!state().open.empty()) state().open.back().record.curve = curve;
}

void UIView::setAnimationTransition(UIViewAnimationTransition transition,
                                    const std::shared_ptr<UIView>&, bool) {
  if (!state().open.empty()) state().open.back().record.transition = transition;
}

void UIView::setAnimationDelegate(std::weak_ptr<void> delegate) {
  if (state().open.empty()) return;
  OpenBlock& block = state().open.back();
  block.delegate = std::move(delegate);
  block.hasDelegate = true;
}

void UIView::setAnimationDidStopSelector(Selector selector) {
  if (!state().open.empty()) state().open.back().didStop = std::move(selector);
}

bool UIView::areAnimationsEnabled() {
  return state().enabled;
}

void UIView::setAnimationsEnabled(bool enabled) {
  state().enabled = enabled;
}

std::vector<UIViewAnimationRecord> UIView::runningAnimations() {
  std::vector<UIViewAnimationRecord> out;
  for (const auto& r : state().running) out.push_back(r.record);
  return out;
}
