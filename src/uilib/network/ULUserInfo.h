// A small holder callers attach as a request's (or a timer's) user info: a topic, an object it
// keeps alive and one it does not.  The queue cancels requests by the weak reference's owner.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "Foundation/NSObject.h"

class ULUserInfo : public NSObject {
 public:
  ULUserInfo(std::string topic, std::shared_ptr<void> strongRef, std::weak_ptr<void> weakRef)
      : topic_(std::move(topic)), strongRef_(std::move(strongRef)), weakRef_(std::move(weakRef)) {}

  static std::shared_ptr<ULUserInfo> topic(std::string topic, std::shared_ptr<void> strongRef,
                                           std::weak_ptr<void> weakRef) {
    return std::make_shared<ULUserInfo>(std::move(topic), std::move(strongRef), std::move(weakRef));
  }
  static std::shared_ptr<ULUserInfo> topic(std::string topic) {
    return std::make_shared<ULUserInfo>(std::move(topic), nullptr, std::weak_ptr<void>());
  }
  static std::shared_ptr<ULUserInfo> weakRef(std::weak_ptr<void> weakRef) {
    return std::make_shared<ULUserInfo>(std::string(), nullptr, std::move(weakRef));
  }

  const std::string& topic() const { return topic_; }
  void setTopic(std::string topic) { topic_ = std::move(topic); }
  const std::shared_ptr<void>& strongRef() const { return strongRef_; }
  void setStrongRef(std::shared_ptr<void> ref) { strongRef_ = std::move(ref); }
  const std::weak_ptr<void>& weakRef() const { return weakRef_; }
  void setWeakRef(std::weak_ptr<void> ref) { weakRef_ = std::move(ref); }

 private:
  std::string topic_;
  std::shared_ptr<void> strongRef_;
  std::weak_ptr<void> weakRef_;
};
