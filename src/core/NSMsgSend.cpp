#include "core/NSMsgSend.h"

#include "Foundation/NSNotificationCenter.h"
#include "core/NotificationNames.h"

std::shared_ptr<NSMsgSend> NSMsgSend::fromNotification(const Value& notification) {
  auto n = notification.object<NSNotification>();
  if (!n) return nullptr;
  return n->userInfo()[kNotiLParam].object<NSMsgSend>();
}
