// Writing what the screen shows to a PNG file: the frame of a window and the windows above
// it.  Kept apart from the views: the compositor knows no files.
#pragma once

#include <memory>
#include <string>
#include <string_view>

class UIWindow;

// False (with a reason in `error` when given) when there is no window or the file cannot be
// written.  The file is replaced atomically.
bool UIScreenCaptureWritePNG(const std::shared_ptr<UIWindow>& window, std::string_view path,
                             std::string* error = nullptr);
