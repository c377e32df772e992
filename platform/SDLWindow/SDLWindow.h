// The phone's screen in a desktop window (SDL2), a backend beside UIKit: it shows what the
// application's windows composite to and turns the mouse and the keyboard into the system's
// input (UIEventDriver, UIApplicationDriver).
//
//   left button            one finger: press, move, release (a click on the status bar, while
//                          it shows, is the status-bar tap)
//   wheel                  a drag of the scroll view under the pointer
//   typing                 SDL's text events, as the input method commits them (so that a CJK
//                          input method works), to the first responder; Return, Backspace and
//                          the Left and Right arrows
//   F1                     the home button: the app goes to the background (the window dims);
//                          F1 again opens it (foreground)
//   F2                     shake
//   F3                     memory warning
//   F12                    the screenshot handler (the runner writes the screen)
//   closing the window     the close handler: by default the app terminates in the
//                          platform's order (UIApplicationDriver::terminate) and the main loop
//                          stops (UIApplication::stopMainLoop)
//
// The window has the device profile's screen size in points, at 1 or 2 window pixels a point.
// A frame is drawn on the main loop's next pass after any layer changed (CALayer's change
// observer).  Text input is on while the keyboard shows, with the input method's box placed at
// the first responder.  While the window is open the main loop waits through SDLEventWaiter.
//
// Main thread only, except pushEvent.  One window at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

union SDL_Event;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Window;
class RunLoopSource;
class SDLEventWaiter;

class SDLWindow {
 public:
  struct Options {
    // Window pixels a point, 1 or 2; 0 picks 2 when the display has room for it, else 1.
    int scale = 0;
    std::string title = "zept";
    // The window's close button.  Default: terminate the app as the system does.
    std::function<void()> onClose;
    // F12.  Default: nothing.
    std::function<void()> onScreenshot;
  };

  // Opens the window on the display.  nullptr, with the reason in `error`, when there is no
  // display (or SDL cannot show a window on it).  SDL's offscreen and dummy drivers count as no
  // display unless SDL_VIDEODRIVER asks for them (tests do: real events and drawing, no screen).
  static std::unique_ptr<SDLWindow> open(Options options, std::string* error = nullptr);
  // Closes the window and quits SDL's video; the main loop waits in poll(2) again.
  ~SDLWindow();
  SDLWindow(const SDLWindow&) = delete;
  SDLWindow& operator=(const SDLWindow&) = delete;

  // SDL's id of the window (the windowID of its events).
  uint32_t windowID() const;
  int scale() const { return scale_; }
  // The SDL video driver in use ("x11", "offscreen", ...).
  std::string driver() const;

  // Draws a frame now when a layer changed since the last one (the loop does it on its own on
  // the pass after a change).
  void drawIfChanged();

  // Puts an event on SDL's queue and wakes the main loop; from any thread.  False when SDL's
  // queue refused it.
  static bool pushEvent(SDL_Event& event);

 private:
  SDLWindow() = default;
  void handle(const SDL_Event& event);
  void readEvents();
  void scheduleDraw();
  void draw();
  void present();
  void textInputFollowsKeyboard(bool showing);
  void placeInputMethod();
  void homeButton();
  void close();
  // Window pixels -> screen points.
  double toPointsX(int x) const;
  double toPointsY(int y) const;

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0, textureHeight_ = 0;
  int scale_ = 1;
  double pointsWide_ = 0, pointsHigh_ = 0;
  Options options_;
  std::shared_ptr<RunLoopSource> events_;
  std::shared_ptr<SDLEventWaiter> waiter_;
  std::shared_ptr<void> keyboardObserver_;
  bool drawScheduled_ = false;
  bool fingerDown_ = false;
  bool statusBarPress_ = false;
  bool closing_ = false;
  bool dimmed_ = false;
};
