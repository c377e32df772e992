#include "core/FeedbackPresenter.h"
#include "core/NSObject+UIViewBusy.h"

void createBusyViews() {
  feedbackPresenter()->createBusyViews();
}

void startBusyAnimation() {
  startBusyAnimationWithString(UIViewBusy::kLoadingText);
}

void startBusyAnimationWithString(std::string_view text) {
  feedbackPresenter()->startBusyAnimation(text);
}

void stopActivityIndicatorViewAnimation() {
  feedbackPresenter()->stopActivityIndicatorViewAnimation();
}
