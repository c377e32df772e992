#include "SDLWindow/SDLWindow.h"

#include <SDL2/SDL.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSRunLoop.h"
#include "QuartzCore/CALayer.h"
#include "SDLWindow/SDLEventWaiter.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIEventDriver.h"
#include "UIKit/UIKeyboard.h"
#include "UIKit/UIResponder.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIScreenCapture.h"
#include "UIKit/UIWindow.h"

namespace {

// How far one notch of the wheel moves the content, in points.
constexpr double kWheelStep = 40;
// What the window's title bar and borders take, in window pixels, when choosing the scale.
constexpr int kWindowDecoration = 64;
// How bright the screen stays while the app is in the background (of 255).
constexpr Uint8 kBackgroundDim = 90;

bool gOpen = false;

bool askedFor(const char* driver) {
  const char* wanted = std::getenv("SDL_VIDEODRIVER");
  return wanted && SDL_strcasecmp(wanted, driver) == 0;
}

}  // namespace

std::unique_ptr<SDLWindow> SDLWindow::open(Options options, std::string* error) {
  auto fail = [&](std::string why) -> std::unique_ptr<SDLWindow> {
    if (error) *error = std::move(why);
    return nullptr;
  };
  if (gOpen) return fail("a window is already open");
  // The process reads SIGINT and SIGTERM itself.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  // Desktop compositors are left running.
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return fail(SDL_GetError());
  std::unique_ptr<SDLWindow> w(new SDLWindow);
  gOpen = true;
  w->options_ = std::move(options);

  std::string driver = w->driver();
  if ((driver == "offscreen" || driver == "dummy") && !askedFor(driver.c_str()))
    return fail("no display");

  CGRect bounds = UIScreen::mainScreen()->bounds();
  w->pointsWide_ = bounds.size.width;
  w->pointsHigh_ = bounds.size.height;
  int scale = w->options_.scale;
  if (scale != 1 && scale != 2) {
    SDL_Rect usable{};
    scale = SDL_GetDisplayUsableBounds(0, &usable) == 0 &&
                    usable.h >= int(2 * w->pointsHigh_) + kWindowDecoration &&
                    usable.w >= int(2 * w->pointsWide_)
                ? 2
                : 1;
  }
  w->scale_ = scale;
  w->window_ = SDL_CreateWindow(w->options_.title.c_str(), SDL_WINDOWPOS_CENTERED,
                                SDL_WINDOWPOS_CENTERED, int(std::lround(w->pointsWide_ * scale)),
                                int(std::lround(w->pointsHigh_ * scale)), SDL_WINDOW_SHOWN);
  if (!w->window_) return fail(SDL_GetError());
  w->renderer_ = SDL_CreateRenderer(w->window_, -1, 0);
  if (!w->renderer_) w->renderer_ = SDL_CreateRenderer(w->window_, -1, SDL_RENDERER_SOFTWARE);
  if (!w->renderer_) return fail(SDL_GetError());

  // Typing goes on with the keyboard.
  SDL_StopTextInput();
  SDLWindow* self = w.get();
  auto token = std::make_shared<int>(0);
  w->keyboardObserver_ = token;
  auto center = NSNotificationCenter::defaultCenter();
  center->addObserver(
      token, [self](const NSNotificationPtr&) { self->textInputFollowsKeyboard(true); },
      UIKeyboardWillShowNotification);
  center->addObserver(
      token, [self](const NSNotificationPtr&) { self->textInputFollowsKeyboard(false); },
      UIKeyboardWillHideNotification);

  auto loop = NSRunLoop::mainRunLoop();
  w->events_ = std::make_shared<RunLoopSource>([self] { self->readEvents(); });
  loop->addSource(w->events_, NSRunLoopCommonModes);
  int fd = SDLEventWaiter::displayDescriptor(w->window_);
  // The offscreen driver's events are only those pushed (pushEvent wakes the loop).
  int interval = driver == "offscreen" ? -1 : SDLEventWaiter::kPumpInterval;
  w->waiter_ = std::make_shared<SDLEventWaiter>(w->events_, fd, interval);
  loop->setWaiter(w->waiter_);

  CALayer::setChangeObserver([self] { self->scheduleDraw(); });
  w->draw();
  return w;
}

SDLWindow::~SDLWindow() {
  if (waiter_) {
    auto loop = NSRunLoop::mainRunLoop();
    if (loop->waiter() == waiter_) loop->setWaiter(nullptr);
  }
  if (events_) events_->invalidate();
  if (window_) CALayer::setChangeObserver(nullptr);
  keyboardObserver_.reset();
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  gOpen = false;
}

uint32_t SDLWindow::windowID() const {
  return SDL_GetWindowID(window_);
}

std::string SDLWindow::driver() const {
  const char* name = SDL_GetCurrentVideoDriver();
  return name ? name : "";
}

bool SDLWindow::pushEvent(SDL_Event& event) {
  if (SDL_PushEvent(&event) != 1) return false;
  NSRunLoop::mainRunLoop()->wakeUp();
  return true;
}

// ---- drawing

void SDLWindow::scheduleDraw() {
  if (drawScheduled_) return;
  drawScheduled_ = true;
  NSRunLoop::mainRunLoop()->performBlock([self = this, events = events_] {
    // The window may have closed meanwhile: its source is invalid then.
    if (events->isValid()) self->draw();
  });
}

void SDLWindow::drawIfChanged() {
  // takeChanges() is left to draw(): a change now still schedules (or has scheduled) a frame.
  draw();
}

void SDLWindow::draw() {
  drawScheduled_ = false;
  CGImageRef frame = UIScreenCaptureFrame();
  // What the frame was drawn from; later changes schedule the next one.
  CALayer::takeChanges();
  cairo_surface_t* surface = frame ? frame->surface() : nullptr;
  if (surface && cairo_image_surface_get_data(surface)) {
    int width = cairo_image_surface_get_width(surface);
    int height = cairo_image_surface_get_height(surface);
    if (!texture_ || width != textureWidth_ || height != textureHeight_) {
      if (texture_) SDL_DestroyTexture(texture_);
      // Cairo's ARGB32 and RGB24 are both native-endian 32-bit words, as is SDL's ARGB8888.
      texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                   width, height);
      textureWidth_ = texture_ ? width : 0;
      textureHeight_ = texture_ ? height : 0;
      if (texture_) SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
    }
    if (texture_) {
      cairo_surface_flush(surface);
      SDL_UpdateTexture(texture_, nullptr, cairo_image_surface_get_data(surface),
                        cairo_image_surface_get_stride(surface));
    }
  }
  present();
}

void SDLWindow::present() {
  bool background =
      UIApplication::sharedApplication()->applicationState() == UIApplicationState::Background;
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (texture_) {
    Uint8 level = background ? kBackgroundDim : 255;
    SDL_SetTextureColorMod(texture_, level, level, level);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  }
  SDL_RenderPresent(renderer_);
  if (background != dimmed_) {
    dimmed_ = background;
    std::string title = options_.title;
    if (background) title += " (in the background: F1 opens it)";
    SDL_SetWindowTitle(window_, title.c_str());
  }
}

// ---- events

double SDLWindow::toPointsX(int x) const {
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  return w > 0 ? std::clamp(x * pointsWide_ / w, 0.0, pointsWide_) : 0;
}

double SDLWindow::toPointsY(int y) const {
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  return h > 0 ? std::clamp(y * pointsHigh_ / h, 0.0, pointsHigh_) : 0;
}

void SDLWindow::readEvents() {
  waiter_->eventsTaken();
  // A bounded batch, so that timers and descriptors are served between floods of events.
  SDL_Event event;
  for (int i = 0; i < 512; ++i) {
    if (!SDL_PollEvent(&event)) return;
    handle(event);
    if (!window_ || closing_) return;
  }
  // More are queued: the waiter signals again before the loop waits.
}

void SDLWindow::handle(const SDL_Event& e) {
  auto app = UIApplication::sharedApplication();
  bool background = app->applicationState() == UIApplicationState::Background;
  switch (e.type) {
    case SDL_QUIT:
      close();
      break;
    case SDL_WINDOWEVENT:
      if (e.window.windowID != windowID()) break;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          close();
          break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          present();
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
        case SDL_WINDOWEVENT_HIDDEN:
          if (fingerDown_) UIEventDriver::touchCancel();
          fingerDown_ = statusBarPress_ = false;
          break;
        default:
          break;
      }
      break;
    case SDL_MOUSEBUTTONDOWN: {
      if (e.button.windowID != windowID() || e.button.button != SDL_BUTTON_LEFT || background)
        break;
      if (fingerDown_) break;
      CGPoint p{toPointsX(e.button.x), toPointsY(e.button.y)};
      if (CGRectContainsPoint(app->statusBarFrame(), p)) {
        statusBarPress_ = true;
      } else {
        fingerDown_ = true;
        UIEventDriver::touchDown(p);
      }
      break;
    }
    case SDL_MOUSEMOTION:
      if (fingerDown_ && e.motion.windowID == windowID())
        UIEventDriver::touchMove({toPointsX(e.motion.x), toPointsY(e.motion.y)});
      break;
    case SDL_MOUSEBUTTONUP: {
      if (e.button.windowID != windowID() || e.button.button != SDL_BUTTON_LEFT) break;
      CGPoint p{toPointsX(e.button.x), toPointsY(e.button.y)};
      if (fingerDown_) {
        fingerDown_ = false;
        UIEventDriver::touchUp(p);
      } else if (statusBarPress_) {
        statusBarPress_ = false;
        if (CGRectContainsPoint(app->statusBarFrame(), p)) UIEventDriver::tapStatusBar();
      }
      break;
    }
    case SDL_MOUSEWHEEL: {
      if (e.wheel.windowID != windowID() || background || fingerDown_) break;
      float dx = e.wheel.preciseX, dy = e.wheel.preciseY;
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
        dx = -dx;
        dy = -dy;
      }
      // Turning the wheel up (or right) shows what is above (or to the right): the content
      // moves down (or left).
      CGPoint moved{-dx * kWheelStep, dy * kWheelStep};
      UIEventDriver::scrollWheel({toPointsX(e.wheel.mouseX), toPointsY(e.wheel.mouseY)}, moved);
      break;
    }
    case SDL_TEXTEDITING:
      // An input method is composing: its box follows the field typed into.
      if (e.edit.windowID == windowID() && e.edit.start == 0) placeInputMethod();
      break;
    case SDL_TEXTINPUT:
      if (e.text.windowID == windowID() && !background) UIEventDriver::insertText(e.text.text);
      break;
    case SDL_KEYDOWN: {
      if (e.key.windowID != windowID()) break;
      SDL_Keycode key = e.key.keysym.sym;
      if (key == SDLK_F1 && !e.key.repeat) {
        homeButton();
        break;
      }
      if (background) break;
      switch (key) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
          if (!e.key.repeat) UIEventDriver::pressReturn();
          break;
        case SDLK_BACKSPACE:
          UIEventDriver::deleteBackward();
          break;
        case SDLK_LEFT:
          UIEventDriver::moveInsertionPoint(-1);
          break;
        case SDLK_RIGHT:
          UIEventDriver::moveInsertionPoint(1);
          break;
        case SDLK_F2:
          if (!e.key.repeat) UIEventDriver::shake();
          break;
        case SDLK_F3:
          if (!e.key.repeat) UIApplicationDriver::receiveMemoryWarning();
          break;
        case SDLK_F12:
        case SDLK_PRINTSCREEN:
          if (!e.key.repeat && options_.onScreenshot) options_.onScreenshot();
          break;
        default:
          break;
      }
      break;
    }
    default:
      break;
  }
}

void SDLWindow::homeButton() {
  if (fingerDown_) UIEventDriver::touchCancel();
  fingerDown_ = statusBarPress_ = false;
  auto app = UIApplication::sharedApplication();
  if (app->applicationState() == UIApplicationState::Background) {
    UIApplicationDriver::enterForeground();
  } else {
    UIApplicationDriver::enterBackground();
  }
  present();
}

void SDLWindow::textInputFollowsKeyboard(bool showing) {
  if (!showing) {
    SDL_StopTextInput();
    return;
  }
  placeInputMethod();
  SDL_StartTextInput();
}

void SDLWindow::placeInputMethod() {
  // The input method's box goes below the field being typed into.
  if (auto view = std::dynamic_pointer_cast<UIView>(UIResponder::firstResponder())) {
    if (auto window = view->window()) {
      CGRect r = view->convertRectToView(view->bounds(), window.get());
      CGRect f = window->frame();
      double k = scale_;
      SDL_Rect rect{int((r.origin.x + f.origin.x) * k), int((r.origin.y + f.origin.y) * k),
                    int(r.size.width * k), int(r.size.height * k)};
      SDL_SetTextInputRect(&rect);
    }
  }
}

void SDLWindow::close() {
  if (closing_) return;
  closing_ = true;
  if (fingerDown_) UIEventDriver::touchCancel();
  fingerDown_ = false;
  if (options_.onClose) {
    options_.onClose();
    return;
  }
  UIApplicationDriver::terminate();
  UIApplication::stopMainLoop(0);
}
