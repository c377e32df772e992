#include "ui/framework/FeedbackViews.h"

#include "Foundation/NSThread.h"
#include "ui/framework/CHStatusBar.h"
#include "ui/framework/NSObject+UIViewBusy.h"
#include "ui/framework/NSStatusShow.h"
#include "ui/framework/PHProgressHUD.h"

namespace {

void onMain(std::function<void()> step) {
  if (NSThread::isMainThread())
    step();
  else
    performOnMainThread(std::move(step), false);
}

}  // namespace

void FeedbackViews::install() {
  setFeedbackPresenter(std::make_shared<FeedbackViews>());
}

void FeedbackViews::showPrompt(std::string_view text) {
  onMain([text = std::string(text)] { PHProgressHUD::showPrompt(text); });
}

void FeedbackViews::createBusyViews() {
  onMain(&UIViewBusy::createViews);
}

void FeedbackViews::startBusyAnimation(std::string_view text) {
  onMain([text = std::string(text)] {
    startBusyAnimationWithString(text, UIViewBusy::standardFrame());
  });
}

void FeedbackViews::stopActivityIndicatorViewAnimation() {
  onMain(&UIViewBusy::hide);
}

std::shared_ptr<StatusBarMessageWindow> FeedbackViews::createStatusBar() {
  return CHStatusBar::create();
}

void FeedbackViews::playAudio(bool sent) {
  NSStatusShow::engine()->playAudio(sent);
}

void FeedbackViews::pindaoSound() {
  NSStatusShow::engine()->pindaoSound();
}
