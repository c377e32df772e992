#include "ui/framework/StandInSink.h"

#include <mutex>

namespace {

std::mutex& sinkLock() {
  static std::mutex m;
  return m;
}

std::shared_ptr<StandInSink>& installed() {
  static std::shared_ptr<StandInSink> sink;
  return sink;
}

}  // namespace

void setStandInSink(std::shared_ptr<StandInSink> sink) {
  std::lock_guard<std::mutex> guard(sinkLock());
  installed() = std::move(sink);
}

void reportStandInEvent(std::string_view source, std::string_view event, const Value& detail) {
  std::shared_ptr<StandInSink> sink;
  {
    std::lock_guard<std::mutex> guard(sinkLock());
    sink = installed();
  }
  if (sink) sink->standInEvent(source, event, detail);
}
