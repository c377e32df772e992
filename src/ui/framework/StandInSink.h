// Where the stand-ins of what is not drawn yet report what they were asked to do (a stand-in
// screen reloading its table, going back, showing its guide).  Nothing keeps the reports: a
// test that wants them installs a sink.  When the screen framework draws these views, their
// tests read the view tree instead.  Any thread: the sink is called on the reporting thread.
#pragma once

#include <memory>
#include <string_view>

#include "Foundation/Value.h"

class StandInSink {
 public:
  virtual ~StandInSink() = default;
  // `source` names the stand-in (a stand-in screen's name), `event` what happened
  // ("prompt", "show", "hide" ...) and `detail` its text or data, nil when it has none.
  virtual void standInEvent(std::string_view source, std::string_view event,
                            const Value& detail) = 0;
};

// Installs the sink; nullptr removes it.
void setStandInSink(std::shared_ptr<StandInSink> sink);
// Hands the report to the installed sink, if any.
void reportStandInEvent(std::string_view source, std::string_view event, const Value& detail = {});
