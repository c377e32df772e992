// What the screen shows, for the runners and tests: the frame of the shown windows, their view
// trees as text, and the frame written to a PNG file.  Kept apart from the views: the
// compositor knows no files.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "CoreGraphics/CGImage.h"

class UIWindow;

// The application's shown windows composited, from the lowest up (UIWindow::compositeFrame of
// the lowest); nullptr when no window is shown.
CGImageRef UIScreenCaptureFrame();

// The view trees of the shown windows, lowest first (UIView::dump of each).
std::string UIScreenCaptureDump();

// Writes the frame of the window and the windows above it.  False (with a reason in `error`
// when given) when there is no window or the file cannot be written.  The file is replaced
// atomically.
bool UIScreenCaptureWritePNG(const std::shared_ptr<UIWindow>& window, std::string_view path,
                             std::string* error = nullptr);
// The same with a frame already made (UIScreenCaptureFrame, say).
bool UIScreenCaptureWriteFramePNG(const CGImageRef& frame, std::string_view path,
                                  std::string* error = nullptr);
