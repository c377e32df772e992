// The desktop window on SDL's offscreen video driver: events go through SDL's queue and the
// main loop's waiter, frames through SDL's renderer, with no display.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "SDLWindow/SDLWindow.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIApplicationDelegate.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIEventDriver.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIScrollView.h"
#include "UIKit/UITextField.h"
#include "UIKit/UITouch.h"
#include "UIKit/UIWindow.h"
#include "support/MainLoop.h"

namespace {

using Log = std::vector<std::string>;

// Writes where each touch of it began and ended, in its own points.
class TouchPad : public UIView {
 public:
  explicit TouchPad(CGRect frame, std::shared_ptr<Log> log) : UIView(frame), log_(std::move(log)) {}
  void touchesBegan(const UITouchSet& touches, UIEvent*) override { add("began", touches); }
  void touchesMoved(const UITouchSet& touches, UIEvent*) override { add("moved", touches); }
  void touchesEnded(const UITouchSet& touches, UIEvent*) override { add("ended", touches); }
  void touchesCancelled(const UITouchSet& touches, UIEvent*) override { add("cancelled", touches); }

 private:
  void add(const char* what, const UITouchSet& touches) {
    CGPoint p = touches.anyObject()->locationInView(this);
    log_->push_back(std::string(what) + " " + std::to_string(int(p.x)) + "," +
                    std::to_string(int(p.y)));
  }
  std::shared_ptr<Log> log_;
};

// Return ends the editing.
class ReturnEnds : public UITextFieldDelegate {
 public:
  bool textFieldShouldReturn(const std::shared_ptr<UITextField>& field) override {
    ++returns;
    field->resignFirstResponder();
    return false;
  }
  int returns = 0;
};

class LifeLog : public UIApplicationDelegate {
 public:
  void applicationDidEnterBackground(UIApplication&) override { log.push_back("background"); }
  void applicationWillEnterForeground(UIApplication&) override { log.push_back("foreground"); }
  void applicationDidReceiveMemoryWarning(UIApplication&) override { log.push_back("memory"); }
  void applicationWillTerminate(UIApplication&) override { log.push_back("terminate"); }
  Log log;
};

class SDLWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    // The offscreen driver's GL would need a GPU stack; the software renderer is SDL's own.
    // Nor does the window's own surface go through GL: SDL would load the machine's EGL
    // for it and unload it again at the end, leaving what that held unreachable.
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);
    MainLoop::install();
    UIApplicationDriver::reset();
    UIApplicationDriver::launch(app_);
    screen_ = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    screen_->makeKeyAndVisible();
  }
  void TearDown() override {
    window_.reset();
    UIApplicationDriver::reset();
  }

  void open(int scale, SDLWindow::Options options = {}) {
    options.scale = scale;
    std::string error;
    window_ = SDLWindow::open(std::move(options), &error);
    ASSERT_TRUE(window_) << error;
    ASSERT_EQ(window_->driver(), "offscreen");
  }

  // Events as SDL queues them for the window, at window pixels.
  void mouse(Uint32 type, int x, int y) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_MOUSEMOTION) {
      e.motion.windowID = window_->windowID();
      e.motion.x = x;
      e.motion.y = y;
      e.motion.state = SDL_BUTTON_LMASK;
    } else {
      e.button.windowID = window_->windowID();
      e.button.button = SDL_BUTTON_LEFT;
      e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
      e.button.clicks = 1;
      e.button.x = x;
      e.button.y = y;
    }
    ASSERT_TRUE(SDLWindow::pushEvent(e));
  }
  void key(SDL_Keycode code) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = window_->windowID();
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = code;
    ASSERT_TRUE(SDLWindow::pushEvent(e));
  }
  void text(const char* utf8) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = window_->windowID();
    SDL_strlcpy(e.text.text, utf8, sizeof e.text.text);
    ASSERT_TRUE(SDLWindow::pushEvent(e));
  }
  void wheel(int x, int y, int notchesDown) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = window_->windowID();
    e.wheel.y = -notchesDown;
    e.wheel.preciseY = float(-notchesDown);
    e.wheel.mouseX = x;
    e.wheel.mouseY = y;
    ASSERT_TRUE(SDLWindow::pushEvent(e));
  }
  void windowEvent(Uint8 what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = window_->windowID();
    e.window.event = what;
    ASSERT_TRUE(SDLWindow::pushEvent(e));
  }

  // The window's pixel at window pixels (x, y), as SDL's renderer shows it: 0xRRGGBB.
  Uint32 shownPixel(int x, int y) {
    SDL_Renderer* renderer = SDL_GetRenderer(SDL_GetWindowFromID(window_->windowID()));
    Uint32 pixel = 0;
    SDL_Rect one{x, y, 1, 1};
    EXPECT_EQ(SDL_RenderReadPixels(renderer, &one, SDL_PIXELFORMAT_RGB888, &pixel, 4), 0)
        << SDL_GetError();
    return pixel & 0xffffff;
  }

  std::shared_ptr<LifeLog> app_ = std::make_shared<LifeLog>();
  std::shared_ptr<UIWindow> screen_;
  std::unique_ptr<SDLWindow> window_;
};

TEST_F(SDLWindowTest, AClickOnTheWindowIsAFingerOnTheViewUnderItAtTheWindowsScale) {
  auto log = std::make_shared<Log>();
  screen_->addSubview(std::make_shared<TouchPad>(CGRectMake(100, 200, 100, 100), log));
  open(2);
  int w = 0, h = 0;
  SDL_GetWindowSize(SDL_GetWindowFromID(window_->windowID()), &w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 960);

  // Window pixels (240, 460) are screen point (120, 230): (20, 30) in the pad.
  mouse(SDL_MOUSEBUTTONDOWN, 240, 460);
  mouse(SDL_MOUSEMOTION, 260, 480);
  mouse(SDL_MOUSEBUTTONUP, 260, 480);
  MainLoop::pump();
  EXPECT_EQ(*log, (Log{"began 20,30", "moved 30,40", "ended 30,40"}));

  // Motion without the button down is no finger; a click beside the pad does not reach it.
  log->clear();
  mouse(SDL_MOUSEMOTION, 250, 470);
  mouse(SDL_MOUSEBUTTONDOWN, 20, 20);
  mouse(SDL_MOUSEBUTTONUP, 20, 20);
  MainLoop::pump();
  EXPECT_EQ(*log, Log{});
}

TEST_F(SDLWindowTest, AFingerDownWhenTheWindowLosesFocusIsCancelled) {
  auto log = std::make_shared<Log>();
  screen_->addSubview(std::make_shared<TouchPad>(CGRectMake(0, 0, 320, 480), log));
  open(1);
  mouse(SDL_MOUSEBUTTONDOWN, 10, 100);
  windowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  mouse(SDL_MOUSEBUTTONUP, 10, 100);
  MainLoop::pump();
  EXPECT_EQ(*log, (Log{"began 10,100", "cancelled 10,100"}));
  EXPECT_EQ(UIEventDriver::fingersDown(), 0u);
}

TEST_F(SDLWindowTest, TextEventsTypeIntoTheFieldBeingEditedAndKeysEditIt) {
  auto field = std::make_shared<UITextField>(CGRectMake(20, 100, 280, 30));
  auto delegate = std::make_shared<ReturnEnds>();
  field->setDelegate(delegate);
  screen_->addSubview(field);
  open(1);
  EXPECT_FALSE(SDL_IsTextInputActive()) << "no text input while no keyboard shows";
  // Typed with nothing being edited, text goes nowhere.
  text("x");
  MainLoop::pump();

  ASSERT_TRUE(field->becomeFirstResponder());
  MainLoop::pump();
  EXPECT_TRUE(SDL_IsTextInputActive()) << "the keyboard came up";
  // An input method commits a phrase at once.
  text("你好");
  text("ab");
  key(SDLK_BACKSPACE);
  key(SDLK_LEFT);
  text("c");
  MainLoop::pump();
  EXPECT_EQ(field->text(), "你好ca");

  // Return asks the field's delegate, which ends the editing here: the keyboard goes.
  key(SDLK_RETURN);
  MainLoop::pump();
  EXPECT_EQ(delegate->returns, 1);
  EXPECT_EQ(field->text(), "你好ca");
  EXPECT_FALSE(field->isFirstResponder());
  EXPECT_FALSE(SDL_IsTextInputActive());
}

TEST_F(SDLWindowTest, TheWheelScrollsTheScrollViewUnderThePointer) {
  auto scroll = std::make_shared<UIScrollView>(CGRectMake(0, 0, 320, 480));
  scroll->setContentSize({320, 2000});
  screen_->addSubview(scroll);
  open(1);
  wheel(100, 100, 2);  // two notches down: the content moves up
  MainLoop::pump();
  EXPECT_EQ(scroll->contentOffset(), CGPointMake(0, 80));
  MainLoop::advance(UIScrollView::kWheelRest + 0.01);
  EXPECT_FALSE(scroll->isDragging());
}

TEST_F(SDLWindowTest, TheWindowShowsTheScreenAndRedrawsWhenAViewChanges) {
  auto box = std::make_shared<UIView>(CGRectMake(0, 0, 160, 240));
  box->setBackgroundColor(UIColor::colorWithRed(1, 0, 0, 1));
  screen_->setBackgroundColor(UIColor::colorWithRed(0, 0, 1, 1));
  screen_->addSubview(box);
  open(1);
  EXPECT_EQ(shownPixel(10, 10), 0xff0000u);
  EXPECT_EQ(shownPixel(300, 400), 0x0000ffu);

  box->setBackgroundColor(UIColor::colorWithRed(0, 1, 0, 1));
  EXPECT_EQ(shownPixel(10, 10), 0xff0000u) << "drawn on the loop's next pass";
  MainLoop::pump();
  EXPECT_EQ(shownPixel(10, 10), 0x00ff00u);
}

TEST_F(SDLWindowTest, FunctionKeysAreTheSystemsEventsAndClosingEndsTheApp) {
  open(1);
  key(SDLK_F3);
  key(SDLK_F1);
  MainLoop::pump();
  EXPECT_EQ(UIApplication::sharedApplication()->applicationState(), UIApplicationState::Background);
  key(SDLK_F1);
  MainLoop::pump();
  EXPECT_EQ(UIApplication::sharedApplication()->applicationState(), UIApplicationState::Active);

  windowEvent(SDL_WINDOWEVENT_CLOSE);
  MainLoop::pump();
  EXPECT_EQ(app_->log, (Log{"memory", "background", "foreground", "terminate"}));
  EXPECT_TRUE(UIApplicationDriver::isTerminated());
}

TEST_F(SDLWindowTest, TheCloseAndScreenshotHandlersReplaceTheDefaults) {
  int closes = 0, screenshots = 0;
  SDLWindow::Options options;
  options.onClose = [&] { ++closes; };
  options.onScreenshot = [&] { ++screenshots; };
  open(1, std::move(options));
  key(SDLK_F12);
  windowEvent(SDL_WINDOWEVENT_CLOSE);
  windowEvent(SDL_WINDOWEVENT_CLOSE);  // closing once is enough
  MainLoop::pump();
  EXPECT_EQ(screenshots, 1);
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(UIApplicationDriver::isTerminated());
}

TEST_F(SDLWindowTest, AnEventPushedFromAnotherThreadWakesTheWaitingLoop) {
  auto log = std::make_shared<Log>();
  screen_->addSubview(std::make_shared<TouchPad>(CGRectMake(0, 0, 320, 480), log));
  open(1);
  std::thread other([&] {
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = window_->windowID();
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = 5;
    e.button.y = 60;
    SDLWindow::pushEvent(e);
  });
  // runUntil waits in the loop's waiter between passes.
  EXPECT_TRUE(MainLoop::runUntil([&] { return !log->empty(); }));
  other.join();
  EXPECT_EQ(*log, Log{"began 5,60"});
}

TEST_F(SDLWindowTest, EventsWaitOutANestedRunOfAPrivateModeAndComeAfter) {
  auto log = std::make_shared<Log>();
  screen_->addSubview(std::make_shared<TouchPad>(CGRectMake(0, 0, 320, 480), log));
  open(1);
  mouse(SDL_MOUSEBUTTONDOWN, 5, 60);
  // A private mode (a request waited for in place, say) runs without the window's events.
  NSRunLoop::mainRunLoop()->runInMode("zept.test.private", 0.05, false, 0.05);
  EXPECT_EQ(*log, Log{});
  MainLoop::pump();
  EXPECT_EQ(*log, Log{"began 5,60"});
}

TEST_F(SDLWindowTest, OneWindowAtATimeAndNoneWithoutADisplay) {
  open(1);
  std::string error;
  EXPECT_FALSE(SDLWindow::open({}, &error));
  EXPECT_EQ(error, "a window is already open");
  window_.reset();
  EXPECT_EQ(NSRunLoop::mainRunLoop()->waiter(), nullptr) << "the plain waiter is back";

  // SDL falls back to its offscreen driver when there is no display; that is not a window
  // anyone sees.
  unsetenv("SDL_VIDEODRIVER");
  setenv("SDL_VIDEO_X11_DISPLAY", "", 1);
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  auto none = SDLWindow::open({}, &error);
  EXPECT_FALSE(none);
  EXPECT_FALSE(error.empty());
}

}  // namespace
