// The app-wide busy overlay (a spinner with a short text over the window) and the system
// network-activity indicator, as the services below the screens call them.  The views are the
// screen framework's: these calls go to the installed feedback presenter
// ("core/FeedbackPresenter.h").
#pragma once

#include <string_view>

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

}  // namespace UIViewBusy
