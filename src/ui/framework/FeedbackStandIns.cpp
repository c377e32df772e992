#include "ui/framework/FeedbackStandIns.h"

#include "ui/framework/CHStatusBar.h"
#include "ui/framework/NSStatusShow.h"
#include "ui/framework/PHProgressHUD.h"
#include "ui/framework/StandInSink.h"

void FeedbackStandIns::install() {
  setFeedbackPresenter(std::make_shared<FeedbackStandIns>());
}

void FeedbackStandIns::showPrompt(std::string_view text) {
  PHProgressHUD::showPrompt(text);
}

void FeedbackStandIns::createBusyViews() {
  reportStandInEvent("UIViewBusy", "create");
}

void FeedbackStandIns::startBusyAnimation(std::string_view text) {
  reportStandInEvent("UIViewBusy", "show", Value(std::string(text)));
}

void FeedbackStandIns::stopActivityIndicatorViewAnimation() {
  reportStandInEvent("UIViewBusy", "hide");
}

std::shared_ptr<StatusBarMessageWindow> FeedbackStandIns::createStatusBar() {
  return CHStatusBar::create();
}

void FeedbackStandIns::playAudio(bool sent) {
  NSStatusShow::engine()->playAudio(sent);
}

void FeedbackStandIns::pindaoSound() {
  NSStatusShow::engine()->pindaoSound();
}
