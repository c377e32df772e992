// Notifications and the process's default notification centre.
//
// Delivery is synchronous, on the posting thread, in registration order.  Observers are not
// kept alive by the centre: a registration whose observer has gone is skipped and dropped.  An
// observer removed while a post is under way is not called by that post afterwards; one added
// meanwhile is not called by it at all.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

class NSNotification : public NSObject {
 public:
  NSNotification(std::string name, Value object = {}, Value userInfo = {})
      : name_(std::move(name)), object_(std::move(object)), userInfo_(std::move(userInfo)) {}

  static std::shared_ptr<NSNotification> notificationWithName(std::string_view name,
                                                              Value object = {},
                                                              Value userInfo = {});

  const std::string& name() const { return name_; }
  // The posting object (nil when none).
  const Value& object() const { return object_; }
  const Value& userInfo() const { return userInfo_; }
  std::string description() const override;

 private:
  std::string name_;
  Value object_;
  Value userInfo_;
};

using NSNotificationPtr = std::shared_ptr<NSNotification>;

class NSNotificationCenter : public NSObject {
 public:
  using Block = std::function<void(const NSNotificationPtr&)>;

  static std::shared_ptr<NSNotificationCenter> defaultCenter();

  // addObserver:selector:name:object:.  An empty name means every name; a nil object every
  // poster.  The selector receives the notification (an object Value).  A non-object filter
  // (a string, say) matches posters that are isEqual to it.
  void addObserver(const std::weak_ptr<void>& observer, Selector selector, std::string_view name,
                   const Value& object = {});
  // The same with a block, called only while the observer lives.
  void addObserver(const std::weak_ptr<void>& observer, Block block, std::string_view name,
                   const Value& object = {});
  // addObserverForName:object:queue:usingBlock: (delivery on the posting thread).  The centre
  // keeps the returned token until it is removed with removeObserver.
  std::shared_ptr<NSObject> addObserverForName(std::string_view name, const Value& object,
                                               Block block);

  // Removes every registration of the observer.  Safe in the observer's destructor with its
  // weak_from_this().
  void removeObserver(const std::weak_ptr<void>& observer);
  // Removes the observer's registrations for the name (empty: any name) and the object (nil:
  // any object).
  void removeObserver(const std::weak_ptr<void>& observer, std::string_view name,
                      const Value& object = {});

  void postNotification(const NSNotificationPtr& notification);
  void postNotificationName(std::string_view name, const Value& object = {},
                            const Value& userInfo = {});

 private:
  struct Registration;
  void add(std::shared_ptr<Registration> registration);

  std::mutex mutex_;
  std::vector<std::shared_ptr<Registration>> registrations_;
};
