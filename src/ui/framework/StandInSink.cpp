#include "ui/framework/StandInSink.h"

#include "Foundation/LockedShared.h"

namespace {

LockedSlot<StandInSink>& installed() {
  static LockedSlot<StandInSink> sink;
  return sink;
}

}  // namespace

void setStandInSink(std::shared_ptr<StandInSink> sink) {
  installed().set(std::move(sink));
}

void reportStandInEvent(std::string_view source, std::string_view event, const Value& detail) {
  if (std::shared_ptr<StandInSink> sink = installed().get())
    sink->standInEvent(source, event, detail);
}
