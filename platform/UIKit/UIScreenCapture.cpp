#include "UIKit/UIScreenCapture.h"

#include "Foundation/NSFileManager.h"
#include "ImageIO/CGImageDestination.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIWindow.h"

namespace {

std::vector<std::shared_ptr<UIWindow>> shownWindows() {
  auto windows = UIApplication::sharedApplication()->windows();
  std::erase_if(windows, [](const auto& w) { return w->isHidden(); });
  return windows;
}

}  // namespace

CGImageRef UIScreenCaptureFrame() {
  auto windows = shownWindows();
  return windows.empty() ? nullptr : windows.front()->compositeFrame();
}

std::string UIScreenCaptureDump() {
  std::string out;
  for (const auto& w : shownWindows()) out += w->dump();
  return out;
}

bool UIScreenCaptureWritePNG(const std::shared_ptr<UIWindow>& window, std::string_view path,
                             std::string* error) {
  if (!window) {
    if (error) *error = "no window to capture";
    return false;
  }
  return UIScreenCaptureWriteFramePNG(window->compositeFrame(), path, error);
}

bool UIScreenCaptureWriteFramePNG(const CGImageRef& frame, std::string_view path,
                                  std::string* error) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return false;
  };
  if (!frame) return fail("the frame could not be made");
  auto png = CGImageDestination::encodePNG(frame);
  if (!png) return fail("the frame could not be encoded");
  if (!writeToFile(path, *png, true)) return fail("the file could not be written");
  return true;
}
