// The screen framework's feedback presenter while its views are stand-ins: prompts go to
// PHProgressHUD, the busy overlay reports the making of its views ("UIViewBusy", "create"),
// each show ("UIViewBusy", "show", text) and each hide ("UIViewBusy", "hide") to the stand-in
// sink, status-bar windows are CHStatusBar, sounds are NSStatusShow's.  Start-up installs it.
#pragma once

#include <string>

#include "core/FeedbackPresenter.h"

class FeedbackStandIns : public FeedbackPresenter {
 public:
  // Makes a FeedbackStandIns the app's feedback presenter.
  static void install();

  void showPrompt(std::string_view text) override;
  void createBusyViews() override;
  void startBusyAnimation(std::string_view text) override;
  void stopActivityIndicatorViewAnimation() override;
  std::shared_ptr<StatusBarMessageWindow> createStatusBar() override;
  void playAudio(bool sent) override;
  void pindaoSound() override;
};
