#include "Foundation/NSNotificationCenter.h"

#include <algorithm>
#include <atomic>

namespace {

bool sameOwner(const std::weak_ptr<void>& a, const std::weak_ptr<void>& b) {
  return !a.owner_before(b) && !b.owner_before(a);
}

bool isEmpty(const std::weak_ptr<void>& w) {
  return sameOwner(w, std::weak_ptr<void>());
}

// The object filter of a registration.  Objects are held weakly and compared by identity;
// other values (strings, numbers) by isEqual.
struct ObjectFilter {
  bool any = true;
  bool isObject = false;
  const void* pointer = nullptr;
  std::weak_ptr<NSObject> object;
  Value value;

  static ObjectFilter from(const Value& v) {
    ObjectFilter f;
    if (v.isNil()) return f;
    f.any = false;
    if (v.isObject()) {
      f.isObject = true;
      f.object = v.object();
      f.pointer = v.object().get();
    } else {
      f.value = v;
    }
    return f;
  }

  bool matches(const Value& poster) const {
    if (any) return true;
    if (isObject) {
      return poster.isObject() && poster.object().get() == pointer && !object.expired();
    }
    return !poster.isNil() && !poster.isObject() && value.isEqual(poster);
  }

  bool sameAs(const ObjectFilter& o) const {
    if (any || o.any) return any == o.any;
    if (isObject != o.isObject) return false;
    return isObject ? pointer == o.pointer : value.isEqual(o.value);
  }
};

// The token of a block registration.
class BlockObserverToken : public NSObject {};

}  // namespace

struct NSNotificationCenter::Registration {
  std::weak_ptr<void> observer;
  bool hasObserver = false;
  std::shared_ptr<void> retained;  // block tokens only
  std::string name;                // empty: any
  ObjectFilter filter;
  Selector selector;
  Block block;
  std::atomic<bool> removed{false};
};

std::shared_ptr<NSNotification> NSNotification::notificationWithName(std::string_view name,
                                                                     Value object, Value userInfo) {
  return std::make_shared<NSNotification>(std::string(name), std::move(object),
                                          std::move(userInfo));
}

std::string NSNotification::description() const {
  return "NSConcreteNotification {name = " + name_ +
         (object_.isNil() ? std::string() : "; object = " + object_.description()) +
         (userInfo_.isNil() ? std::string() : "; userInfo = " + userInfo_.description()) + "}";
}

std::shared_ptr<NSNotificationCenter> NSNotificationCenter::defaultCenter() {
  // Never destroyed: observers may still remove themselves while the process exits.
  static std::shared_ptr<NSNotificationCenter>* center =
      new std::shared_ptr<NSNotificationCenter>(std::make_shared<NSNotificationCenter>());
  return *center;
}

void NSNotificationCenter::add(std::shared_ptr<Registration> registration) {
  std::lock_guard<std::mutex> lock(mutex_);
  registrations_.push_back(std::move(registration));
}

void NSNotificationCenter::addObserver(const std::weak_ptr<void>& observer, Selector selector,
                                       std::string_view name, const Value& object) {
  if (!selector) return;
  auto r = std::make_shared<Registration>();
  r->observer = observer;
  r->hasObserver = !isEmpty(observer);
  r->name = std::string(name);
  r->filter = ObjectFilter::from(object);
  r->selector = std::move(selector);
  add(std::move(r));
}

void NSNotificationCenter::addObserver(const std::weak_ptr<void>& observer, Block block,
                                       std::string_view name, const Value& object) {
  if (!block) return;
  auto r = std::make_shared<Registration>();
  r->observer = observer;
  r->hasObserver = !isEmpty(observer);
  r->name = std::string(name);
  r->filter = ObjectFilter::from(object);
  r->block = std::move(block);
  add(std::move(r));
}

std::shared_ptr<NSObject> NSNotificationCenter::addObserverForName(std::string_view name,
                                                                   const Value& object,
                                                                   Block block) {
  auto token = std::make_shared<BlockObserverToken>();
  if (!block) return token;
  auto r = std::make_shared<Registration>();
  r->observer = token;
  r->hasObserver = true;
  r->retained = token;
  r->name = std::string(name);
  r->filter = ObjectFilter::from(object);
  r->block = std::move(block);
  add(std::move(r));
  return token;
}

void NSNotificationCenter::removeObserver(const std::weak_ptr<void>& observer) {
  if (isEmpty(observer)) return;
  std::vector<std::shared_ptr<Registration>> removed;  // released outside the lock
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(registrations_, [&](const std::shared_ptr<Registration>& r) {
    if (!r->hasObserver || !sameOwner(r->observer, observer)) return false;
    r->removed = true;
    removed.push_back(r);
    return true;
  });
}

void NSNotificationCenter::removeObserver(const std::weak_ptr<void>& observer,
                                          std::string_view name, const Value& object) {
  if (isEmpty(observer)) return;
  auto filter = ObjectFilter::from(object);
  std::vector<std::shared_ptr<Registration>> removed;
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(registrations_, [&](const std::shared_ptr<Registration>& r) {
    if (!r->hasObserver || !sameOwner(r->observer, observer)) return false;
    if (!name.empty() && r->name != name) return false;
    if (!filter.any && !r->filter.sameAs(filter)) return false;
    r->removed = true;
    removed.push_back(r);
    return true;
  });
}

void NSNotificationCenter::postNotification(const NSNotificationPtr& notification) {
  if (!notification) return;
  std::vector<std::shared_ptr<Registration>> matching;
  std::vector<std::shared_ptr<Registration>> dead;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(registrations_, [&](const std::shared_ptr<Registration>& r) {
      if (r->hasObserver && r->observer.expired()) {
        r->removed = true;
        dead.push_back(r);
        return true;
      }
      return false;
    });
    for (const auto& r : registrations_) {
      if (!r->name.empty() && r->name != notification->name()) continue;
      if (!r->filter.matches(notification->object())) continue;
      matching.push_back(r);
    }
  }
  Value argument(std::static_pointer_cast<NSObject>(notification));
  for (const auto& r : matching) {
    if (r->removed) continue;
    std::shared_ptr<void> keep;
    if (r->hasObserver) {
      keep = r->observer.lock();
      if (!keep) continue;  // died during this post; dropped on the next one
    }
    if (r->block) {
      r->block(notification);
    } else {
      r->selector(argument);
    }
  }
}

void NSNotificationCenter::postNotificationName(std::string_view name, const Value& object,
                                                const Value& userInfo) {
  postNotification(NSNotification::notificationWithName(name, object, userInfo));
}
