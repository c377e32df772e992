// The bus message: what a screen or service asks of the dispatcher, or a usage event.  It
// travels in a notification's userInfo under "Noti_lParam" as an object reference.
#pragma once

#include <cstdint>
#include <memory>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "core/RequestType.h"

class NSMsgSend : public NSObject {
 public:
  // The object whose `action` receives the reply; not kept alive by the message.
  std::weak_ptr<NSObject> sender;
  // The sender's method that receives the raw reply text.
  Selector action;
  // A failure callback; carried but never called.
  Selector failAction;
  // The request type or usage-event code.
  int32_t type = 0;
  // The arguments, as a rule an array of strings or objects; nil when the type takes none.
  Value data;
  // A secondary code; 0 unless a sender sets it.
  int32_t subType = 0;

  RequestType requestType() const { return static_cast<RequestType>(type); }

  // The message a bus notification carries (its userInfo's "Noti_lParam"); null when the
  // notification carries none.  Takes the notification as an observer's selector receives it.
  static std::shared_ptr<NSMsgSend> fromNotification(const Value& notification);
};
