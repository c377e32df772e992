// A stand-in sink for tests: keeps every report of the views and screens that are still
// stand-ins (stand-in screens) in order, and reads them back by source.  install() also makes
// the screen framework's views the app's feedback presenter, as start-up does, and shows a
// window for them when the test has none; prompts, the busy box and status-bar messages are read
// from the windows (shownPrompt, shownBusyBox, shownStatusBars), sounds from the audio sink.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "AVFoundation/AVAudioPlayer.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"
#include "ui/framework/ApplicationWindow.h"
#include "ui/framework/CHStatusBar.h"
#include "ui/framework/FeedbackViews.h"
#include "ui/framework/NSObject+UIViewBusy.h"
#include "ui/framework/PHProgressHUD.h"
#include "ui/framework/StandInSink.h"

class StandInRecorder : public StandInSink {
 public:
  struct Report {
    std::string source;
    std::string event;
    Value detail;
  };

  // Installs the app's feedback views and, when the test has no window for them, a shown one.
  static std::shared_ptr<StandInRecorder> install() {
    FeedbackViews::install();
    auto recorder = std::make_shared<StandInRecorder>();
    if (!applicationWindow()) {
      recorder->window_ = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
      recorder->window_->makeKeyAndVisible();
    }
    setStandInSink(recorder);
    AVAudioSink::clear();
    return recorder;
  }

  // ---- what the window shows now
  // The text of the prompt box (tag 2345) on the application window; empty when none shows.
  static std::string shownPrompt() {
    auto window = applicationWindow();
    auto box = window ? std::dynamic_pointer_cast<PHProgressHUD>(
                            window->viewWithTag(PHProgressHUD::kPromptTag))
                      : nullptr;
    return box ? box->labelText() : std::string();
  }
  // Takes the prompt box off the window at once, as if its time were up.
  static void dismissPrompt() {
    if (auto window = applicationWindow())
      if (auto box = window->viewWithTag(PHProgressHUD::kPromptTag)) box->removeFromSuperview();
  }
  // The busy box's text while it is on a window; empty when it is not.
  static std::string shownBusyBox() {
    const auto& v = UIViewBusy::views();
    if (!v.box || !v.box->window()) return {};
    return v.label->text();
  }

  // The status-bar message windows shown now, lowest first, as "message:<text>" (with the
  // spinner) or "ok:<text>" (with the ok icon).
  static std::vector<std::string> shownStatusBars() {
    std::vector<std::string> out;
    for (const auto& window : UIApplication::sharedApplication()->windows())
      if (auto bar = std::dynamic_pointer_cast<CHStatusBar>(window); bar && !bar->isHidden())
        out.push_back((bar->isOkShown() ? "ok:" : "message:") + bar->text());
    return out;
  }
  // The sounds played since install(), as file names ("SentMessage.caf"), oldest first.
  static std::vector<std::string> sounds() {
    std::vector<std::string> out;
    for (const AVAudioPlayback& p : AVAudioSink::playbacks()) out.push_back(p.resource);
    return out;
  }

  void standInEvent(std::string_view source, std::string_view event, const Value& detail) override {
    std::lock_guard<std::mutex> guard(lock_);
    reports_.push_back({std::string(source), std::string(event), detail});
  }

  // The reports of one source as "event" or "event:detail", oldest first.
  std::vector<std::string> events(std::string_view source) const {
    std::vector<std::string> out;
    for (const Report& r : reports(source))
      out.push_back(r.detail.isNil() ? r.event : r.event + ":" + r.detail.description());
    return out;
  }
  // The details of one source's reports of one kind, oldest first.
  std::vector<std::string> details(std::string_view source, std::string_view event) const {
    std::vector<std::string> out;
    for (const Report& r : reports(source))
      if (r.event == event) out.push_back(r.detail.description());
    return out;
  }
  size_t count(std::string_view source, std::string_view event) const {
    return details(source, event).size();
  }

  // Forgets the reports and the sounds heard.
  void clear() {
    AVAudioSink::clear();
    std::lock_guard<std::mutex> guard(lock_);
    reports_.clear();
  }
  void clear(std::string_view source) {
    std::lock_guard<std::mutex> guard(lock_);
    std::erase_if(reports_, [&](const Report& r) { return r.source == source; });
  }

 private:
  std::shared_ptr<UIWindow> window_;
  std::vector<Report> reports(std::string_view source) const {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<Report> out;
    for (const Report& r : reports_)
      if (r.source == source) out.push_back(r);
    return out;
  }

  mutable std::mutex lock_;
  std::vector<Report> reports_;
};
