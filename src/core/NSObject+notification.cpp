#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSThread.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"

namespace {

std::shared_ptr<NSNotificationCenter> center() {
  return NSNotificationCenter::defaultCenter();
}

// Delivers on the main thread and returns when every observer has run.
void postOnMainThreadWaiting(const NSNotificationPtr& notification) {
  performOnMainThread([notification] { center()->postNotification(notification); }, true);
}

}  // namespace

void addObserverWithSelector(const std::weak_ptr<void>& receiver, Selector selector,
                             std::string_view name, const Value& object) {
  center()->addObserver(receiver, std::move(selector), name, object);
}

void addObserverWithSelector(const std::weak_ptr<void>& receiver, Selector selector,
                             std::string_view name) {
  addObserverWithSelector(receiver, std::move(selector), name, Value());
}

void removeObserverWithName(const std::weak_ptr<void>& receiver, std::string_view name,
                            const Value& object) {
  center()->removeObserver(receiver, name, object);
}

void removeObserverWithName(const std::weak_ptr<void>& receiver, std::string_view name) {
  removeObserverWithName(receiver, name, Value());
}

void removeObserver(const std::weak_ptr<void>& receiver) {
  center()->removeObserver(receiver);
}

void postNotification(std::string_view name) {
  center()->postNotificationName(name);
}

void postNotification(std::string_view name, const Value& object) {
  center()->postNotificationName(name, object);
}

void postNotificationObject(std::string_view name, const std::shared_ptr<NSMsgSend>& msg) {
  auto userInfo = Value::dictionaryOf({{std::string(kNotiLParam), Value(msg)}});
  postOnMainThreadWaiting(NSNotification::notificationWithName(name, Value(), userInfo));
}

void postNotification(std::string_view name, const Value& data, int32_t type) {
  auto msg = std::make_shared<NSMsgSend>();
  msg->type = type;
  msg->data = data;
  postNotificationObject(name, msg);
}

void postNotification(std::string_view name, const Value& data, int32_t type, Selector action,
                      const std::weak_ptr<NSObject>& sender) {
  auto msg = std::make_shared<NSMsgSend>();
  msg->type = type;
  msg->data = data;
  msg->action = std::move(action);
  msg->sender = sender;
  postNotificationObject(name, msg);
}

void postNotification(std::string_view name, const Value& data, RequestType type) {
  postNotification(name, data, toInt(type));
}

void postNotification(std::string_view name, const Value& data, RequestType type, Selector action,
                      const std::weak_ptr<NSObject>& sender) {
  postNotification(name, data, toInt(type), std::move(action), sender);
}

void recordeUserInfo(const Value& object, int32_t code) {
  std::vector<Value> items{Value(code)};
  if (!object.isNil()) items.push_back(object);
  auto msg = std::make_shared<NSMsgSend>();
  msg->type = code;
  msg->data = Value::arrayOf(std::move(items));
  postNotificationObject(kLogAction, msg);
}

void PostNotificationWithOCMsgExtend(std::string_view name, std::pair<int32_t, int32_t> message,
                                     const Value& requester) {
  auto userInfo = Value::dictionaryOf({{std::string(kNotiLParam), Value(message.second)},
                                       {std::string(kNotiWParam), Value(message.first)}});
  postOnMainThreadWaiting(NSNotification::notificationWithName(name, requester, userInfo));
}

void PostNotificationWithOCMsg(std::string_view name, std::pair<int32_t, int32_t> message) {
  PostNotificationWithOCMsgExtend(name, message, Value());
}
