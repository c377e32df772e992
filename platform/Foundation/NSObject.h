// Root of the classes that hand themselves out (delegates, targets of selectors, objects
// carried in a Value), and the Selector: a named one-argument callable bound to a weak target.
//
// Every object knows its class (objectClass(), registered with NS_CLASS: see
// Foundation/NSClass.h), and through it answers by name what the platform's objects answer:
// its class name, is-kind-of, responds-to, performs of selectors and key-value reads and
// writes of its properties.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Foundation/NSClassDeclaration.h"
#include "Foundation/Value.h"

class NSObject : public std::enable_shared_from_this<NSObject> {
 public:
  using NSSuperclass = void;
  virtual ~NSObject() = default;

  // The class "NSObject", and the class of this object.
  static const NSClass& classObject();
  virtual const NSClass& objectClass() const;
  // The class's registered name (shown in view dumps and usage records).
  const std::string& className() const;
  bool isKindOfClass(const NSClass& cls) const;
  bool isKindOfClass(std::string_view className) const;
  bool isMemberOfClass(const NSClass& cls) const;
  // Whether the object's class has the instance method.  An object that answers for
  // messages it forwards (a queue asked on behalf of its delegate) overrides it.
  virtual bool respondsToSelector(std::string_view selector) const;
  // performSelector:withObject:...: calls the method by name with the arguments (as many as
  // the selector takes); nil when the object has no such method or it gives nothing.
  Value performSelector(std::string_view selector, std::vector<Value> arguments = {});
  // Key-value coding over the registered properties: nil for an unknown key; false when the
  // key is unknown or read-only.
  Value valueForKey(std::string_view key);
  bool setValueForKey(const Value& value, std::string_view key);

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
