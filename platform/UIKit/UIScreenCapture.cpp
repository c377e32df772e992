#include "UIKit/UIScreenCapture.h"

#include "Foundation/NSFileManager.h"
#include "ImageIO/CGImageDestination.h"
#include "UIKit/UIWindow.h"

bool UIScreenCaptureWritePNG(const std::shared_ptr<UIWindow>& window, std::string_view path,
                             std::string* error) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return false;
  };
  if (!window) return fail("no window to capture");
  auto frame = window->compositeFrame();
  if (!frame) return fail("the frame could not be made");
  auto png = CGImageDestination::encodePNG(frame);
  if (!png) return fail("the frame could not be encoded");
  if (!writeToFile(path, *png, true)) return fail("the file could not be written");
  return true;
}
