#include "QuartzCore/CATransaction.h"

#include <vector>

#include "Foundation/NSRunLoop.h"

struct CATransaction::Group {
  std::function<void()> completion;
  int pending = 0;
  bool committed = false;
  bool ran = false;

  void runIfDone() {
    if (!committed || pending > 0 || ran || !completion) return;
    ran = true;
    auto block = std::move(completion);
    block();
  }
};

namespace {

struct Open {
  double duration = 0.25;
  bool disableActions = false;
  std::shared_ptr<CATransaction::Group> group = std::make_shared<CATransaction::Group>();
};

std::vector<Open>& stack() {
  static std::vector<Open> s;
  return s;
}

}  // namespace

void CATransaction::begin() {
  Open o;
  if (!stack().empty()) {
    // Nested transactions start from their parent's settings.
    o.duration = stack().back().duration;
    o.disableActions = stack().back().disableActions;
  }
  stack().push_back(std::move(o));
}

void CATransaction::commit() {
  if (stack().empty()) return;
  auto group = stack().back().group;
  stack().pop_back();
  group->committed = true;
  if (group->completion && group->pending == 0) {
    NSRunLoop::mainRunLoop()->performBlock([group] { group->runIfDone(); });
  }
}

double CATransaction::animationDuration() {
  return stack().empty() ? 0.25 : stack().back().duration;
}

void CATransaction::setAnimationDuration(double duration) {
  if (!stack().empty()) stack().back().duration = duration;
}

bool CATransaction::disableActions() {
  return !stack().empty() && stack().back().disableActions;
}

void CATransaction::setDisableActions(bool disable) {
  if (!stack().empty()) stack().back().disableActions = disable;
}

void CATransaction::setCompletionBlock(std::function<void()> block) {
  if (!stack().empty()) stack().back().group->completion = std::move(block);
}

std::shared_ptr<CATransaction::Group> CATransaction::currentGroup() {
  if (stack().empty()) return nullptr;
  auto group = stack().back().group;
  ++group->pending;
  return group;
}

void CATransaction::animationEnded(const std::shared_ptr<Group>& group) {
  if (!group) return;
  --group->pending;
  group->runIfDone();
}
