#include "SDLWindow/SDLEventWaiter.h"

#include <SDL2/SDL.h>
#include <poll.h>

#include <algorithm>

SDLEventWaiter::SDLEventWaiter(std::shared_ptr<RunLoopSource> events, int displayFd,
                               int pumpInterval)
    : events_(std::move(events)), displayFd_(displayFd), pumpInterval_(pumpInterval) {}

bool SDLEventWaiter::pump() {
  // Events waiting for a run in another mode (a nested run of a private mode) stay queued in
  // SDL; the loop does not spin on them.
  if (signalled_) return false;
  SDL_PumpEvents();
  if (!SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return false;
  signalled_ = true;
  events_->signal();
  return true;
}

int SDLEventWaiter::wait(pollfd* fds, size_t count, int timeoutMs) {
  if (pump()) timeoutMs = 0;
  bool bounded = pumpInterval_ >= 0 && (displayFd_ < 0 || SDL_IsTextInputActive());
  if (bounded && (timeoutMs < 0 || timeoutMs > pumpInterval_)) timeoutMs = pumpInterval_;
  // While the events wait for their source (a nested run in a mode it is not in), the display
  // is left unread: watching it would wake the loop at once, again and again.
  if (displayFd_ < 0 || signalled_) {
    int n = poll(fds, count, timeoutMs);
    if (bounded && n == 0) pump();
    return n;
  }
  fds_.assign(fds, fds + count);
  fds_.push_back(pollfd{displayFd_, POLLIN, 0});
  int n = poll(fds_.data(), fds_.size(), timeoutMs);
  if (n < 0) return n;
  std::copy_n(fds_.begin(), count, fds);
  bool display = fds_.back().revents != 0;
  if (display) --n;
  if (display || (bounded && n == 0)) pump();
  return n;
}
