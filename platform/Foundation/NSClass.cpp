#include "Foundation/NSClass.h"

#include <algorithm>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

#include "Foundation/NSException.h"

namespace {

// The classes by name.  Filled before main() (and by the odd class first used later), read
// from any thread.
struct ClassTable {
  std::shared_mutex lock;
  std::unordered_map<std::string_view, const NSClass*> byName;
  std::vector<std::unique_ptr<NSClass>> owned;
};

ClassTable& table() {
  static ClassTable* t = new ClassTable;  // never destroyed: classes outlive every object
  return *t;
}

template <class Map>
std::vector<std::string> namesWithPrefix(const Map& map, std::string_view prefix) {
  std::vector<std::string> out;
  for (auto it = map.lower_bound(prefix); it != map.end() && it->first.starts_with(prefix); ++it)
    out.push_back(it->first);
  return out;
}

}  // namespace

// ---- methods, properties, invocations

char NSMethod::argumentTypeAtIndex(size_t index) const {
  if (index == 0) return '@';
  if (index == 1) return ':';
  return index - 2 < argumentTypes_.size() ? argumentTypes_[index - 2] : '\0';
}

Value NSMethod::invoke(NSObject* receiver, std::span<const Value> arguments) const {
  if (kind_ == Kind::Instance && !receiver) return Value();
  return invoker_(receiver, arguments);
}

bool NSProperty::set(NSObject& object, const Value& value) const {
  if (!setter_ || !object.isKindOfClass(setter_->owner())) return false;
  setter_->invoke(&object, std::span<const Value>(&value, 1));
  return true;
}

void NSInvocation::setArgument(Value value, size_t index) {
  if (index >= 2 && index - 2 < arguments_.size()) arguments_[index - 2] = std::move(value);
}

Value NSInvocation::argumentAtIndex(size_t index) const {
  if (index == 0) return Value(target_);
  if (index == 1) return Value(method_->selector());
  return index - 2 < arguments_.size() ? arguments_[index - 2] : Value();
}

void NSInvocation::invoke() {
  // The target lives for the length of the call.
  std::shared_ptr<NSObject> target = target_;
  returnValue_ = method_->invoke(target.get(), arguments_);
}

void NSInvocation::invokeWithTarget(std::shared_ptr<NSObject> target) {
  target_ = std::move(target);
  invoke();
}

// ---- classes

bool NSClass::isSubclassOfClass(const NSClass& other) const {
  for (const NSClass* c = this; c; c = c->superclass_)
    if (c == &other) return true;
  return false;
}

bool NSClass::isSubclassOfClass(std::string_view name) const {
  for (const NSClass* c = this; c; c = c->superclass_)
    if (c->name_ == name) return true;
  return false;
}

std::shared_ptr<NSObject> NSClass::makeInstance() const {
  auto it = instanceMethods_.find(std::string_view("init"));
  if (it == instanceMethods_.end() || it->second.kind() != NSMethod::Kind::Initializer)
    return nullptr;
  return it->second.invoke(nullptr, {}).object();
}

const NSMethod* NSClass::instanceMethod(std::string_view selector) const {
  for (const NSClass* c = this; c; c = c->superclass_) {
    auto it = c->instanceMethods_.find(selector);
    if (it == c->instanceMethods_.end()) continue;
    // A superclass's initializer would make the superclass, not this one.
    if (c != this && it->second.kind() == NSMethod::Kind::Initializer) continue;
    return &it->second;
  }
  return nullptr;
}

const NSMethod* NSClass::classMethod(std::string_view selector) const {
  for (const NSClass* c = this; c; c = c->superclass_) {
    auto it = c->classMethods_.find(selector);
    if (it != c->classMethods_.end()) return &it->second;
  }
  return nullptr;
}

const NSProperty* NSClass::property(std::string_view name) const {
  for (const NSClass* c = this; c; c = c->superclass_) {
    auto it = c->properties_.find(name);
    if (it != c->properties_.end()) return &it->second;
  }
  return nullptr;
}

std::vector<std::string> NSClass::instanceMethodNames(std::string_view prefix) const {
  return namesWithPrefix(instanceMethods_, prefix);
}

std::vector<std::string> NSClass::classMethodNames(std::string_view prefix) const {
  return namesWithPrefix(classMethods_, prefix);
}

std::vector<std::string> NSClass::propertyNames(std::string_view prefix) const {
  return namesWithPrefix(properties_, prefix);
}

Value NSClass::performSelector(std::string_view selector, std::vector<Value> arguments) const {
  const NSMethod* m = classMethod(selector);
  if (!m) {
    m = instanceMethod(selector);
    if (m && m->kind() != NSMethod::Kind::Initializer) m = nullptr;
  }
  return m ? m->invoke(nullptr, arguments) : Value();
}

const NSClass* NSClass::named(std::string_view name) {
  ClassTable& t = table();
  std::shared_lock guard(t.lock);
  auto it = t.byName.find(name);
  return it == t.byName.end() ? nullptr : it->second;
}

NSClass& NSClass::create(std::string name, const NSClass* superclass) {
  ClassTable& t = table();
  auto cls = std::unique_ptr<NSClass>(new NSClass(std::move(name), superclass));
  NSClass& out = *cls;
  std::unique_lock guard(t.lock);
  t.owned.push_back(std::move(cls));
  return out;
}

void NSClass::publish(NSClass& cls) {
  ClassTable& t = table();
  std::unique_lock guard(t.lock);
  if (!t.byName.emplace(cls.name_, &cls).second)
    NSException::raise(NSInternalInconsistencyException,
                       "two classes are registered under the name " + cls.name_);
}

const NSClass& NSClass::declare(std::string name, const NSClass* superclass) {
  NSClass& cls = create(std::move(name), superclass);
  publish(cls);
  return cls;
}

NSMethod& NSClass::addMethod(NSMethod method) {
  auto& methods = method.kind() == NSMethod::Kind::Class ? classMethods_ : instanceMethods_;
  std::string selector = method.selector();
  auto [it, added] = methods.insert_or_assign(std::move(selector), std::move(method));
  return it->second;
}

void NSClass::addProperty(NSProperty property) {
  std::string name = property.name();
  properties_.insert_or_assign(std::move(name), std::move(property));
}

const NSClass* NSClassFromString(std::string_view name) {
  return NSClass::named(name);
}

std::string NSStringFromClass(const NSClass* cls) {
  return cls ? cls->name() : std::string();
}

// ---- checks made while classes are described

namespace nsclass_detail {

size_t selectorArity(std::string_view selector) {
  return size_t(std::count(selector.begin(), selector.end(), ':'));
}

void checkArity(const std::string& className, std::string_view selector, size_t count) {
  if (selector.empty() || selectorArity(selector) != count)
    NSException::raise(NSInternalInconsistencyException,
                       className + " describes " + std::string(selector) + " with " +
                           std::to_string(count) + " argument(s)");
}

std::string setterName(std::string_view property) {
  std::string out = "set";
  out += property;
  if (out.size() > 3 && out[3] >= 'a' && out[3] <= 'z') out[3] = char(out[3] - 'a' + 'A');
  return out + ":";
}

}  // namespace nsclass_detail

// ---- NSObject's side

const NSClass& NSObject::classObject() {
  static const NSClass& cls = []() -> const NSClass& {
    NSClass& c = NSClass::create("NSObject", nullptr);
    NSClassBuilder<NSObject> b(c);
    b.initializer("init", [] { return std::make_shared<NSObject>(); });
    b.method("description", &NSObject::description);
    NSClass::publish(c);
    return c;
  }();
  return cls;
}

const NSClass& NSObject::objectClass() const {
  return classObject();
}

const std::string& NSObject::className() const {
  return objectClass().name();
}

bool NSObject::isKindOfClass(const NSClass& cls) const {
  return objectClass().isSubclassOfClass(cls);
}

bool NSObject::isKindOfClass(std::string_view className) const {
  return objectClass().isSubclassOfClass(className);
}

bool NSObject::isMemberOfClass(const NSClass& cls) const {
  return &objectClass() == &cls;
}

bool NSObject::respondsToSelector(std::string_view selector) const {
  return objectClass().instancesRespondToSelector(selector);
}

Value NSObject::performSelector(std::string_view selector, std::vector<Value> arguments) {
  const NSMethod* m = objectClass().instanceMethod(selector);
  if (!m) return Value();
  auto keep = weak_from_this().lock();
  return m->invoke(this, arguments);
}

Value NSObject::valueForKey(std::string_view key) {
  const NSProperty* p = objectClass().property(key);
  return p ? p->get(*this) : Value();
}

bool NSObject::setValueForKey(const Value& value, std::string_view key) {
  const NSProperty* p = objectClass().property(key);
  return p && p->set(*this, value);
}
