#include "Foundation/NSObject.h"

#include <cstdio>
#include <typeinfo>

std::string NSObject::description() const {
  char buf[64];
  std::snprintf(buf, sizeof buf, ": %p>", static_cast<const void*>(this));
  return std::string("<") + typeid(*this).name() + buf;
}

bool Selector::targetAlive() const { return !targeted_ || !target_.expired(); }

bool Selector::hasTarget(const void* t) const {
  auto p = target_.lock();
  return p && p.get() == t;
}

bool Selector::operator()(const Value& argument) const {
  if (!call_ || !targetAlive()) return false;
  // Keep the target alive for the length of the call.
  auto keep = target_.lock();
  call_(argument);
  return true;
}

bool Selector::operator==(const Selector& o) const {
  if (name_ != o.name_ || targeted_ != o.targeted_) return false;
  return !target_.owner_before(o.target_) && !o.target_.owner_before(target_);
}

Selector freeSelector(std::string name, Selector::Call call) {
  Selector s(std::move(name), {}, std::move(call));
  s.targeted_ = false;
  return s;
}
