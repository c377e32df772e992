// Drives the main run loop from a test running on the main thread, on a virtual clock.
//
//   auto clock = MainLoop::install();        // fresh virtual process clock
//   ... schedule timers, post work from threads ...
//   MainLoop::advance(0.5);                  // 0.5 s of virtual time, timers firing on time
//   EXPECT_TRUE(MainLoop::runUntil([&] { return done; }));   // wait for other threads
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "Foundation/Clock.h"
#include "Foundation/NSRunLoop.h"

class MainLoop {
 public:
  // Makes a new virtual clock the process clock (and so the main loop's clock) and returns it.
  static std::shared_ptr<VirtualClock> install(double start = VirtualClock::kDefaultStart);
  // The installed clock (installs one when none is).
  static std::shared_ptr<VirtualClock> clock();
  static double now();

  // Runs the main loop in the mode, without waiting and without moving the clock, until a pass
  // handles nothing (bounded, in case work keeps re-queuing itself).  Returns the number of
  // passes that handled something.
  static int pump(std::string_view mode = NSDefaultRunLoopMode);

  // Pumps until the predicate holds, waiting for other threads' work in between, up to
  // `realSeconds` of real time.  The virtual clock does not move.
  static bool runUntil(const std::function<bool()>& predicate, double realSeconds = 10,
                       std::string_view mode = NSDefaultRunLoopMode);

  // Lets `seconds` of virtual time pass with the main loop running in the mode: the clock stops
  // at every timer fire date on the way, so timers (also ones scheduled meanwhile, and the
  // periods of repeating ones) fire at their own times and in order.
  static void advance(double seconds, std::string_view mode = NSDefaultRunLoopMode);
  // Moves the clock in one jump and pumps once: what a loop sees after sleeping through it
  // (due timers fire once each, in fire-date order).
  static void jump(double seconds, std::string_view mode = NSDefaultRunLoopMode);
};
