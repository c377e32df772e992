// Shared pieces of the UIKit tests: a fresh application on a virtual clock, controllers and
// delegates that write what happens to them into one log, and a canvas to draw on.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CoreGraphics/CGBitmapContext.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIEvent.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIViewController.h"
#include "UIKit/UIWindow.h"
#include "support/MainLoop.h"

using Log = std::vector<std::string>;

class UIKitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    UIApplicationDriver::reset();
  }
  void TearDown() override { UIApplicationDriver::reset(); }
};

// Logs "<name>.<callback>" and, for appearance callbacks, "(animated)" when animated.
class LoggingController : public UIViewController {
  NS_CLASS(LoggingController, UIViewController)
 public:
  LoggingController(std::string name, std::shared_ptr<Log> log)
      : name_(std::move(name)), log_(std::move(log)) {}
  void viewDidLoad() override { add("viewDidLoad", false); }
  void viewWillAppear(bool animated) override { add("viewWillAppear", animated); }
  void viewDidAppear(bool animated) override { add("viewDidAppear", animated); }
  void viewWillDisappear(bool animated) override { add("viewWillDisappear", animated); }
  void viewDidDisappear(bool animated) override { add("viewDidDisappear", animated); }
  void didReceiveMemoryWarning() override { add("didReceiveMemoryWarning", false); }
  const std::string& name() const { return name_; }

 private:
  void add(const char* what, bool animated) {
    log_->push_back(name_ + "." + what + (animated ? "(animated)" : ""));
  }
  std::string name_;
  std::shared_ptr<Log> log_;
};

// A shown key window filling the screen (with the controller as its root, when given).
inline std::shared_ptr<UIWindow> showWindow(std::shared_ptr<UIViewController> root = nullptr) {
  auto w = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
  if (root) w->setRootViewController(std::move(root));
  w->makeKeyAndVisible();
  return w;
}

// What the log holds, leaving it empty.
inline Log takeLog(Log& log) {
  Log out = std::move(log);
  log.clear();
  return out;
}

// A view that logs "<name>.<phase>" for the touches it gets (and passes them on, as the
// default handlers do, when asked to).
class TouchLogView : public UIView {
 public:
  TouchLogView(std::string name, CGRect frame, std::shared_ptr<Log> log, bool passOn = false)
      : UIView(frame), name_(std::move(name)), log_(std::move(log)), passOn_(passOn) {}
  void touchesBegan(const UITouchSet& t, UIEvent* e) override {
    add("began");
    if (passOn_) UIView::touchesBegan(t, e);
  }
  void touchesMoved(const UITouchSet& t, UIEvent* e) override {
    add("moved");
    if (passOn_) UIView::touchesMoved(t, e);
  }
  void touchesEnded(const UITouchSet& t, UIEvent* e) override {
    add("ended");
    if (passOn_) UIView::touchesEnded(t, e);
  }
  void touchesCancelled(const UITouchSet& t, UIEvent* e) override {
    add("cancelled");
    if (passOn_) UIView::touchesCancelled(t, e);
  }

 private:
  void add(const char* what) { log_->push_back(name_ + "." + what); }
  std::string name_;
  std::shared_ptr<Log> log_;
  bool passOn_;
};

using Pixel = std::array<int, 4>;  // R G B A, premultiplied

// A flipped RGBA context of w × h points at scale 1 (no interpolation), the current context
// while it lives.
struct Canvas {
  std::shared_ptr<CGBitmapContext> ctx;
  Canvas(size_t w, size_t h) {
    ctx = CGBitmapContext::create(nullptr, w, h, 8, 0, CGColorSpace::createDeviceRGB(),
                                  kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big);
    ctx->setBaseCTM(CGAffineTransformMake(1, 0, 0, -1, 0, CGFloat(h)));
    ctx->setInterpolationQuality(CGInterpolationQuality::None);
    UIGraphicsPushContext(ctx);
  }
  ~Canvas() { UIGraphicsPopContext(); }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  Pixel at(size_t x, size_t y) const {
    const uint8_t* p = static_cast<const uint8_t*>(ctx->data()) + y * ctx->bytesPerRow() + x * 4;
    return {p[0], p[1], p[2], p[3]};
  }
  // The first and last rows with any ink (-1 when none).
  std::pair<int, int> inkRows() const {
    int first = -1, last = -1;
    for (size_t y = 0; y < ctx->height(); ++y)
      for (size_t x = 0; x < ctx->width(); ++x)
        if (at(x, y)[3] > 0) {
          if (first < 0) first = int(y);
          last = int(y);
          break;
        }
    return {first, last};
  }
};
