// The message bus over the default notification centre (the root class's "notification"
// category): observers register with a selector; posters send names, objects or an NSMsgSend.
// Bus posts (postNotificationObject and everything built on it, and the integer-pair posts)
// always deliver on the main thread and return only after every observer has run: inline on the
// main thread, blocking any other thread until the main loop has delivered them.  The plain
// postNotification forms deliver on the calling thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "core/NSMsgSend.h"
#include "core/RequestType.h"

// ---- observers (the receiver is the observer; pass shared_from_this(), or weak_from_this()
// in a destructor)

void addObserverWithSelector(const std::weak_ptr<void>& receiver, Selector selector,
                             std::string_view name, const Value& object);
void addObserverWithSelector(const std::weak_ptr<void>& receiver, Selector selector,
                             std::string_view name);
void removeObserverWithName(const std::weak_ptr<void>& receiver, std::string_view name,
                            const Value& object);
void removeObserverWithName(const std::weak_ptr<void>& receiver, std::string_view name);
void removeObserver(const std::weak_ptr<void>& receiver);

// ---- posting

// postNotification: / postNotification:object: - on the calling thread, no userInfo.
void postNotification(std::string_view name);
void postNotification(std::string_view name, const Value& object);

// postNotificationObject:msg: - the bus primitive: object nil, userInfo {"Noti_lParam": msg}.
void postNotificationObject(std::string_view name, const std::shared_ptr<NSMsgSend>& msg);

// postNotification:msg:msgType: - a message with the type and data, no sender or action.
void postNotification(std::string_view name, const Value& data, int32_t type);
// postNotification:msg:msgType:action:delegate: - also with the sender's action.
void postNotification(std::string_view name, const Value& data, int32_t type, Selector action,
                      const std::weak_ptr<NSObject>& sender);
// The same with a bus message type.
void postNotification(std::string_view name, const Value& data, RequestType type);
void postNotification(std::string_view name, const Value& data, RequestType type, Selector action,
                      const std::weak_ptr<NSObject>& sender);

// recordeUserInfo:msgType: - a usage event on "log_action" whose data is [code, object], or
// [code] when the object is nil.
void recordeUserInfo(const Value& object, int32_t code);

// PostNotificationWithOCMsgExtend:message:requester: - object = requester, userInfo
// {"Noti_lParam": second, "Noti_wParam": first}, on the main thread, waiting.
void PostNotificationWithOCMsgExtend(std::string_view name, std::pair<int32_t, int32_t> message,
                                     const Value& requester);
void PostNotificationWithOCMsg(std::string_view name, std::pair<int32_t, int32_t> message);
