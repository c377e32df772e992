// The compositor: windows' layer trees drawn into one frame of the screen.
#include <algorithm>
#include <cmath>

#include "UIKit/UIApplication.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"

CGImageRef UIWindow::compositeFrame() {
  auto self = std::static_pointer_cast<UIWindow>(weak_from_this().lock());
  auto screen = UIScreen::mainScreen();
  CGRect bounds = screen->bounds();
  CGFloat scale = screen->scale();
  auto ctx = CGContext::createImageContext(bounds.size, scale, true);
  if (!ctx || ctx->pixelWidth() == 0) return nullptr;
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
  return ctx->makeImage();
}
