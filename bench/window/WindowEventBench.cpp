// The window on a real display (DISPLAY; Xvfb will do):
//
//   WindowEvent/ClickToTouch   a button press sent to the window by another X client, until the
//                              view under it has its touch: the display's descriptor wakes the
//                              main loop's waiter (manual time; the aim is under one frame, 16 ms)
//   WindowIdle/CPUPerSecond    the process's CPU time while the main loop waits with the window
//                              open and nothing happening (counter cpu_share; the aim is under 1 %)
//
//   xvfb-run -s '-screen 0 1024x1100x24' build/default/bench/window/window_bench
//
// The X headers come last: their macros clash with the platform's names.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "Foundation/NSRunLoop.h"
#include "SDLWindow/SDLWindow.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UITouch.h"
#include "UIKit/UIWindow.h"

// clang-format off
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
// clang-format on

namespace {

using Clock = std::chrono::steady_clock;

class Pad : public UIView {
 public:
  using UIView::UIView;
  void touchesBegan(const UITouchSet&, UIEvent*) override { touched = Clock::now(); }
  Clock::time_point touched{};
};

struct Shown {
  std::shared_ptr<UIWindow> screen;
  std::shared_ptr<Pad> pad;
  std::unique_ptr<SDLWindow> window;
  std::string error;

  Shown() {
    screen = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    pad = std::make_shared<Pad>(screen->bounds());
    screen->addSubview(pad);
    screen->makeKeyAndVisible();
    SDLWindow::Options options;
    options.scale = 1;
    options.onClose = [] {};
    window = SDLWindow::open(std::move(options), &error);
  }
  ~Shown() { screen->setHidden(true); }

  // Runs the main loop for `seconds` of its clock.
  static void run(double seconds) {
    NSRunLoop::mainRunLoop()->runInMode(NSDefaultRunLoopMode, seconds, false);
  }
};

double cpuSeconds() {
  rusage use{};
  getrusage(RUSAGE_SELF, &use);
  return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
         double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

void ClickToTouch(benchmark::State& state) {
  Shown shown;
  if (!shown.window) return state.SkipWithError(("no window: " + shown.error).c_str());
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  SDL_Window* sdl = SDL_GetWindowFromID(shown.window->windowID());
  if (!SDL_GetWindowWMInfo(sdl, &info) || info.subsystem != SDL_SYSWM_X11)
    return state.SkipWithError("not an X11 window");
  Display* other = XOpenDisplay(nullptr);
  if (!other) return state.SkipWithError("no second connection to the display");
  Window target = info.info.x11.window;
  Shown::run(0.3);  // mapped, exposed, drawn
  auto send = [&](int type) {
    XEvent e{};
    e.xbutton.type = type;
    e.xbutton.display = other;
    e.xbutton.window = target;
    e.xbutton.root = DefaultRootWindow(other);
    e.xbutton.same_screen = True;
    e.xbutton.button = Button1;
    e.xbutton.x = 100;
    e.xbutton.y = 200;
    e.xbutton.state = type == ButtonRelease ? Button1Mask : 0;
    XSendEvent(other, target, True, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
    XFlush(other);
  };
  for (auto _ : state) {
    shown.pad->touched = {};
    auto sent = Clock::now();
    send(ButtonPress);
    while (shown.pad->touched == Clock::time_point{} &&
           Clock::now() - sent < std::chrono::seconds(2))
      NSRunLoop::mainRunLoop()->runInMode(NSDefaultRunLoopMode, 2.0, true);
    if (shown.pad->touched == Clock::time_point{}) {
      state.SkipWithError("the press never reached the view");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(shown.pad->touched - sent).count());
    send(ButtonRelease);
    Shown::run(0.02);
  }
  XCloseDisplay(other);
}
BENCHMARK(ClickToTouch)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

void CPUPerSecond(benchmark::State& state) {
  Shown shown;
  if (!shown.window) return state.SkipWithError(("no window: " + shown.error).c_str());
  Shown::run(0.3);
  double cpu = 0, wall = 0;
  for (auto _ : state) {
    double before = cpuSeconds();
    auto start = Clock::now();
    Shown::run(2.0);
    cpu += cpuSeconds() - before;
    wall += std::chrono::duration<double>(Clock::now() - start).count();
  }
  state.counters["cpu_share"] = cpu / wall;
}
BENCHMARK(CPUPerSecond)->Unit(benchmark::kSecond)->Iterations(5);

}  // namespace
