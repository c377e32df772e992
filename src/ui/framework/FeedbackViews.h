// The screen framework as the app's feedback presenter: prompts are PHProgressHUD's prompt
// boxes, the busy overlay is the overlay of "ui/framework/NSObject+UIViewBusy.h", status-bar
// windows are CHStatusBar and sounds NSStatusShow's.  Calls from other threads (a request's
// failure on the network thread) are carried to the main thread.  Start-up installs it.
#pragma once

#include <string>

#include "core/FeedbackPresenter.h"

class FeedbackViews : public FeedbackPresenter {
 public:
  // Makes a FeedbackViews the app's feedback presenter.
  static void install();

  void showPrompt(std::string_view text) override;
  void createBusyViews() override;
  void startBusyAnimation(std::string_view text) override;
  void stopActivityIndicatorViewAnimation() override;
  std::shared_ptr<StatusBarMessageWindow> createStatusBar() override;
  void playAudio(bool sent) override;
  void pindaoSound() override;
};
