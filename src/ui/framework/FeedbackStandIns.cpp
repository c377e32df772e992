#include "ui/framework/FeedbackStandIns.h"

#include <mutex>

#include "ui/framework/CHStatusBar.h"
#include "ui/framework/NSStatusShow.h"
#include "ui/framework/PHProgressHUD.h"
#include "ui/framework/StandInSink.h"

namespace {

struct BusyState {
  std::mutex lock;
  bool created = false;
  bool shown = false;
  std::string text;
};

BusyState& busy() {
  static BusyState s;
  return s;
}

}  // namespace

void FeedbackStandIns::install() {
  setFeedbackPresenter(std::make_shared<FeedbackStandIns>());
}

void FeedbackStandIns::showPrompt(std::string_view text) {
  PHProgressHUD::showPrompt(text);
}

void FeedbackStandIns::createBusyViews() {
  BusyState& s = busy();
  std::lock_guard<std::mutex> guard(s.lock);
  s.created = true;
}

void FeedbackStandIns::startBusyAnimation(std::string_view text) {
  {
    BusyState& s = busy();
    std::lock_guard<std::mutex> guard(s.lock);
    s.created = true;
    s.shown = true;
    s.text = std::string(text);
  }
  reportStandInEvent("UIViewBusy", "show", Value(std::string(text)));
}

void FeedbackStandIns::stopActivityIndicatorViewAnimation() {
  {
    BusyState& s = busy();
    std::lock_guard<std::mutex> guard(s.lock);
    s.shown = false;
    s.text.clear();
  }
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

namespace UIViewBusy {

bool isShown() {
  BusyState& s = busy();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.shown;
}

std::string shownText() {
  BusyState& s = busy();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.text;
}

bool busyViewsCreated() {
  BusyState& s = busy();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.created;
}

}  // namespace UIViewBusy
