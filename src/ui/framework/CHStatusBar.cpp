#include "ui/framework/CHStatusBar.h"

#include "Foundation/NSThread.h"
#include "Foundation/NSTimer.h"
#include "ui/framework/StandInSink.h"

std::shared_ptr<CHStatusBar> CHStatusBar::create() {
  return std::make_shared<CHStatusBar>();
}

void CHStatusBar::show(const std::optional<std::string>& text) {
  okShown_ = false;
  if (!text) return;
  text_ = *text;
  spinning_ = true;
  hidden_ = false;
  sliding_ = true;
}

void CHStatusBar::showWithStatusMessage(std::optional<std::string> text) {
  show(text);
  if (text) reportStandInEvent("CHStatusBar", "message", Value(*text));
}

void CHStatusBar::showWithStatusOk(std::optional<std::string> text) {
  show(text);
  okShown_ = true;
  spinning_ = false;
  if (text) reportStandInEvent("CHStatusBar", "ok", Value(*text));
}

void CHStatusBar::showStatusOkOneTime(std::optional<std::string> text) {
  showWithStatusOk(std::move(text));
  std::weak_ptr<CHStatusBar> weak = weakSelf<CHStatusBar>();
  performAfterDelay(
      [weak] {
        if (auto bar = weak.lock()) bar->hide();
      },
      1.0);
}

void CHStatusBar::hide() {
  sliding_ = false;
  spinning_ = false;
  reportStandInEvent("CHStatusBar", "hide");
  std::weak_ptr<CHStatusBar> weak = weakSelf<CHStatusBar>();
  performAfterDelay(
      [weak] {
        if (auto bar = weak.lock()) bar->waitHide();
      },
      0.5);
}

void CHStatusBar::waitHide() {
  hidden_ = true;
  reportStandInEvent("CHStatusBar", "hidden");
}
