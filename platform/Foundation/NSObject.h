// Root of the classes that hand themselves out (delegates, targets of selectors, objects
// carried in a Value), and the Selector: a named one-argument callable bound to a weak target.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "Foundation/Value.h"

class NSObject : public std::enable_shared_from_this<NSObject> {
 public:
  virtual ~NSObject() = default;

  template <class T>
  std::shared_ptr<T> self() {
    return std::dynamic_pointer_cast<T>(shared_from_this());
  }
  template <class T>
  std::weak_ptr<T> weakSelf() {
    return self<T>();
  }
  // The object's "%@" text.
  virtual std::string description() const;
};

// A selector that a Part stores, passes or compares.  Calling it on a dead target does nothing
// and returns false.  Two selectors are equal when they have the same name and target.
class Selector {
 public:
  using Call = std::function<void(const Value&)>;

  Selector() = default;
  Selector(std::string name, std::weak_ptr<void> target, Call call)
      : name_(std::move(name)), target_(std::move(target)), call_(std::move(call)) {}

  const std::string& name() const { return name_; }
  bool isSet() const { return bool(call_); }
  explicit operator bool() const { return isSet(); }
  // The target still lives (a selector with no target is free-standing and always alive).
  bool targetAlive() const;
  std::shared_ptr<void> target() const { return target_.lock(); }
  bool hasTarget(const void* t) const;

  bool operator()(const Value& argument = {}) const;

  bool operator==(const Selector& o) const;

 private:
  std::string name_;
  std::weak_ptr<void> target_;
  bool targeted_ = true;
  Call call_;
  friend Selector freeSelector(std::string, Call);
};

// selector(weakThis, &Class::method, "method:"): for methods taking one Value.
template <class T>
Selector selector(const std::weak_ptr<T>& target, void (T::*method)(const Value&),
                  std::string name) {
  return Selector(std::move(name), target, [target, method](const Value& arg) {
    if (auto t = target.lock()) ((*t).*method)(arg);
  });
}
// For methods with no argument.
template <class T>
Selector selector(const std::weak_ptr<T>& target, void (T::*method)(), std::string name) {
  return Selector(std::move(name), target, [target, method](const Value&) {
    if (auto t = target.lock()) ((*t).*method)();
  });
}
template <class T>
Selector selector(const std::shared_ptr<T>& target, void (T::*method)(const Value&),
                  std::string name) {
  return selector(std::weak_ptr<T>(target), method, std::move(name));
}
template <class T>
Selector selector(const std::shared_ptr<T>& target, void (T::*method)(), std::string name) {
  return selector(std::weak_ptr<T>(target), method, std::move(name));
}
// A selector with no target object (a block); always alive.
Selector freeSelector(std::string name, Selector::Call call);
