// The app-wide busy overlay (a spinner with a short text over the window) and the system
// network-activity indicator.  Until the screen framework draws them, their state and every
// show and hide are recorded in order for callers and tests to read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Creates the shared overlay views once; later calls do nothing.
void createBusyViews();
// Shows the overlay with "正在加载...".
void startBusyAnimation();
// Shows the overlay with the text in a small box in the middle of the screen.
void startBusyAnimationWithString(std::string_view text);
// Hides the overlay and turns the network-activity indicator off; harmless when hidden.
void stopActivityIndicatorViewAnimation();

namespace UIViewBusy {

inline constexpr std::string_view kLoadingText = "正在加载...";

// What the overlay shows now.
bool isShown();
std::string shownText();
bool busyViewsCreated();
// Each show as "show:<text>" and each hide as "hide", oldest first.
std::vector<std::string> events();
void clearEvents();

}  // namespace UIViewBusy
