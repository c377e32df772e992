#include "Foundation/NSTimer.h"

#include <algorithm>

#include "Foundation/Clock.h"

NSTimer::NSTimer(Private, double interval, bool repeats, Value userInfo, Selector selector,
                 Block block)
    : interval_(repeats && !(interval > 0) ? 0.0001 : std::max(0.0, interval)),
      repeats_(repeats),
      userInfo_(std::move(userInfo)),
      selector_(std::move(selector)),
      block_(std::move(block)) {
  retainedTarget_ = selector_.target();
}

std::shared_ptr<NSTimer> NSTimer::timerWithTimeInterval(double interval, Selector selector,
                                                        Value userInfo, bool repeats) {
  return std::make_shared<NSTimer>(Private{}, interval, repeats, std::move(userInfo),
                                   std::move(selector), Block());
}

std::shared_ptr<NSTimer> NSTimer::timerWithTimeInterval(double interval, bool repeats,
                                                        Block block) {
  return std::make_shared<NSTimer>(Private{}, interval, repeats, Value(), Selector(),
                                   std::move(block));
}

std::shared_ptr<NSTimer> NSTimer::scheduledTimerWithTimeInterval(double interval, Selector selector,
                                                                 Value userInfo, bool repeats) {
  auto timer = timerWithTimeInterval(interval, std::move(selector), std::move(userInfo), repeats);
  NSRunLoop::currentRunLoop()->addTimer(timer, NSDefaultRunLoopMode);
  return timer;
}

std::shared_ptr<NSTimer> NSTimer::scheduledTimerWithTimeInterval(double interval, bool repeats,
                                                                 Block block) {
  auto timer = timerWithTimeInterval(interval, repeats, std::move(block));
  NSRunLoop::currentRunLoop()->addTimer(timer, NSDefaultRunLoopMode);
  return timer;
}

void NSTimer::invoke() {
  auto keep = self<NSTimer>();
  if (block_) {
    block_(keep);
  } else if (selector_) {
    selector_(Value(std::static_pointer_cast<NSObject>(keep)));
  }
}

void NSTimer::fire() {
  if (!isValid()) return;
  invoke();
  if (!repeats_) invalidate();
}

void NSTimer::invalidate() {
  std::shared_ptr<void> target;
  std::shared_ptr<NSRunLoop> loop;
  {
    std::lock_guard<std::mutex> lock(itemMutex_);
    if (!valid_) return;
    target = std::move(retainedTarget_);
    loop = markInvalid();
  }
  // Also takes the timer's delayed perform, if any, off the loop's books.
  if (loop) loop->removeItem(this);
  // The target is released here, outside every lock: it may be the timer's last owner.
}

double NSTimer::fireDate() const {
  {
    std::lock_guard<std::mutex> lock(itemMutex_);
    if (scheduled_) return fireDate_;
  }
  return NSRunLoop::currentRunLoop()->clock()->now() + interval_;
}

void NSTimer::setFireDate(double date) {
  std::shared_ptr<NSRunLoop> loop;
  {
    std::lock_guard<std::mutex> lock(itemMutex_);
    fireDate_ = date;
    scheduled_ = true;
    loop = loop_.lock();
  }
  if (loop) loop->wakeUp();
}
