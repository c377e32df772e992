// Transactions group layer changes: their duration applies to the implicit animations of
// stand-alone layers, and they can switch those animations off.  Outside an explicit
// transaction the implicit one applies (0.25 s, actions on).  Main thread only.
#pragma once

#include <functional>
#include <memory>

class CATransaction {
 public:
  static void begin();
  // Ends the innermost transaction; its completion block runs once every animation added
  // while it was open has ended (on the next pass of the main run loop when there was none).
  static void commit();
  static void flush() {}
  static void lock() {}
  static void unlock() {}

  static double animationDuration();
  static void setAnimationDuration(double duration);
  static bool disableActions();
  static void setDisableActions(bool disable);
  static void setCompletionBlock(std::function<void()> block);

  // For layers: the completion group that an animation added now belongs to (nullptr outside
  // an explicit transaction with a completion block).
  struct Group;
  static std::shared_ptr<Group> currentGroup();
  static void animationEnded(const std::shared_ptr<Group>& group);
};
