// The compositor: windows' layer trees drawn into one frame of the screen.
#include <algorithm>
#include <cmath>

#include "CoreGraphics/CGBitmapContext.h"
#include "CoreGraphics/CGPixelLayout.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"

CGImageRef UIWindow::compositeFrame() {
  auto self = std::static_pointer_cast<UIWindow>(weak_from_this().lock());
  auto screen = UIScreen::mainScreen();
  CGRect bounds = screen->bounds();
  CGFloat scale = screen->scale();
  size_t w = size_t(std::lround(bounds.size.width * scale));
  size_t h = size_t(std::lround(bounds.size.height * scale));
  auto ctx = CGBitmapContext::create(nullptr, w, h, 8, 0, CGColorSpace::createDeviceRGB(),
                                     kCGImageAlphaNoneSkipFirst | CGNativeByteOrder32());
  if (!ctx) return nullptr;
  ctx->setBaseCTM(CGAffineTransformMake(scale, 0, 0, -scale, 0, CGFloat(h)));
  ctx->setGrayFillColor(0, 1);
  ctx->fillRect(bounds);

  // This window, then the windows above it.
  std::vector<std::shared_ptr<UIWindow>> stack;
  auto windows = UIApplication::sharedApplication()->windows();
  auto it = std::find(windows.begin(), windows.end(), self);
  if (it == windows.end()) {
    stack.push_back(self);
  } else {
    stack.assign(it, windows.end());
  }
  for (const auto& window : stack) {
    window->layoutIfNeeded();
    window->layer()->renderInContext(ctx);
  }
  return ctx->createImage();
}
