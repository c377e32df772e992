// A stand-in sink for tests: keeps every report of the stand-in views and screens in order, and
// reads them back by source.  install() also makes the screen framework's stand-ins the app's
// feedback presenter, as start-up does.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "ui/framework/FeedbackStandIns.h"
#include "ui/framework/StandInSink.h"

class StandInRecorder : public StandInSink {
 public:
  struct Report {
    std::string source;
    std::string event;
    Value detail;
  };

  static std::shared_ptr<StandInRecorder> install() {
    FeedbackStandIns::install();
    auto recorder = std::make_shared<StandInRecorder>();
    setStandInSink(recorder);
    return recorder;
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

  // What the reader was shown or heard.
  std::vector<std::string> prompts() const { return details("PHProgressHUD", "prompt"); }
  // The busy overlay's shows and hides (not the making of its views).
  std::vector<std::string> busyEvents() const {
    std::vector<std::string> out = events("UIViewBusy");
    std::erase(out, "create");
    return out;
  }
  std::vector<std::string> statusBarEvents() const { return events("CHStatusBar"); }
  std::vector<std::string> sounds() const { return details("NSStatusShow", "sound"); }

  void clear() {
    std::lock_guard<std::mutex> guard(lock_);
    reports_.clear();
  }
  void clear(std::string_view source) {
    std::lock_guard<std::mutex> guard(lock_);
    std::erase_if(reports_, [&](const Report& r) { return r.source == source; });
  }

 private:
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
