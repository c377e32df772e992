// The main run loop's waiter while a window is open: it waits in poll(2) on the loop's
// descriptors and the display connection together, so that a window event wakes the loop at once
// and nothing wakes it while nothing happens.  When SDL has events queued it signals the
// window's source (which the loop runs right after the wait) and does not wait.
//
// SDL reads the display only when pumped; every wait pumps first, so that events already read
// (while drawing, say) are never left waiting for the descriptor.  A video driver whose
// connection has no descriptor is pumped every `pumpInterval` milliseconds instead; so is an
// input method, whose answers may come on a channel of its own, while text input is on.
// While a nested run of a mode the window's source is not in holds the events back, neither the
// display nor SDL's queue is watched; the events are read once the loop is back in its modes.
#pragma once

#include <poll.h>

#include <memory>
#include <vector>

#include "Foundation/NSRunLoop.h"

struct SDL_Window;

class SDLEventWaiter final : public RunLoopWaiter {
 public:
  static constexpr int kPumpInterval = 16;  // one frame

  // `displayFd` is the display connection's descriptor (-1: none).  `pumpInterval` (ms, -1:
  // never) bounds every wait when there is no descriptor for the display, and while text input
  // is on.
  SDLEventWaiter(std::shared_ptr<RunLoopSource> events, int displayFd, int pumpInterval);

  int wait(pollfd* fds, size_t count, int timeoutMs) override;

  // The descriptor of the window's display connection, when its driver has one to wait on
  // (X11); -1 otherwise.
  static int displayDescriptor(SDL_Window* window);

  // The source has read the queue; the next events signal it again.
  void eventsTaken() { signalled_ = false; }

 private:
  // Pumps SDL; signals the source when events are queued (once until they are taken).  Returns
  // whether the loop has events to run.
  bool pump();

  std::shared_ptr<RunLoopSource> events_;
  int displayFd_;
  int pumpInterval_;
  bool signalled_ = false;
  std::vector<pollfd> fds_;
};
