#include "core/FeedbackPresenter.h"

#include "Foundation/LockedShared.h"

namespace {

class SilentStatusBar : public StatusBarMessageWindow {
 public:
  void showWithStatusMessage(std::optional<std::string>) override {}
  void showWithStatusOk(std::optional<std::string>) override {}
  void showStatusOkOneTime(std::optional<std::string>) override {}
  void hide() override {}
};

class SilentPresenter : public FeedbackPresenter {
 public:
  void showPrompt(std::string_view) override {}
  void createBusyViews() override {}
  void startBusyAnimation(std::string_view) override {}
  void stopActivityIndicatorViewAnimation() override {}
  std::shared_ptr<StatusBarMessageWindow> createStatusBar() override {
    return std::make_shared<SilentStatusBar>();
  }
  void playAudio(bool) override {}
  void pindaoSound() override {}
};

// Prompts may come from the network thread's failure paths; the pointer is read under a lock.
LockedSlot<FeedbackPresenter>& installed() {
  static LockedSlot<FeedbackPresenter> p(std::make_shared<SilentPresenter>());
  return p;
}

}  // namespace

void setFeedbackPresenter(std::shared_ptr<FeedbackPresenter> presenter) {
  installed().set(presenter ? std::move(presenter) : std::make_shared<SilentPresenter>());
}

std::shared_ptr<FeedbackPresenter> feedbackPresenter() {
  return installed().get();
}

void showPrompt(std::string_view text) {
  feedbackPresenter()->showPrompt(text);
}
