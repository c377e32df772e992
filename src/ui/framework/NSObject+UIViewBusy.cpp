#include <mutex>

#include "ui/framework/NSObject+UIViewBusy.h"

namespace {

struct BusyState {
  std::mutex lock;
  bool created = false;
  bool shown = false;
  std::string text;
  std::vector<std::string> events;
};

BusyState& busy() {
  static BusyState s;
  return s;
}

}  // namespace

void createBusyViews() {
  BusyState& s = busy();
  std::lock_guard<std::mutex> guard(s.lock);
  s.created = true;
}

void startBusyAnimation() {
  startBusyAnimationWithString(UIViewBusy::kLoadingText);
}

void startBusyAnimationWithString(std::string_view text) {
  BusyState& s = busy();
  std::lock_guard<std::mutex> guard(s.lock);
  s.created = true;
  s.shown = true;
  s.text = std::string(text);
  s.events.push_back("show:" + s.text);
}

void stopActivityIndicatorViewAnimation() {
  BusyState& s = busy();
  std::lock_guard<std::mutex> guard(s.lock);
  s.shown = false;
  s.text.clear();
  s.events.push_back("hide");
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

std::vector<std::string> events() {
  BusyState& s = busy();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.events;
}

void clearEvents() {
  BusyState& s = busy();
  std::lock_guard<std::mutex> guard(s.lock);
  s.events.clear();
}

}  // namespace UIViewBusy
