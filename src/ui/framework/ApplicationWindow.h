// The window the app-wide overlays go on: the application delegate's window (the key window
// while the delegate has none, as in a test that shows one window).  nullptr when there is no
// window at all.  Main thread.
#pragma once

#include <memory>

class UIWindow;

std::shared_ptr<UIWindow> applicationWindow();
