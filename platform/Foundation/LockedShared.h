// Shared objects reached from several threads.
//
// LockedSlot holds one replaceable shared object (an installed presenter or sink): read and
// replaced under its own lock, so that a reader always gets a whole object that stays alive
// for as long as it holds it.
//
// LockedSingleton<T> is the one object of a class, made under the class's lock as the
// platform's allocWithZone and shared-instance pairs make it.  The lock is recursive and the
// object is recorded before its set-up runs, so that the set-up may ask for the shared object
// again and gets the one being built.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <utility>

template <class T>
class LockedSlot {
 public:
  explicit LockedSlot(std::shared_ptr<T> initial = nullptr) : value_(std::move(initial)) {}

  std::shared_ptr<T> get() const {
    std::lock_guard<std::mutex> guard(lock_);
    return value_;
  }
  void set(std::shared_ptr<T> value) {
    std::lock_guard<std::mutex> guard(lock_);
    value_ = std::move(value);
  }

 private:
  mutable std::mutex lock_;
  std::shared_ptr<T> value_;
};

template <class T>
class LockedSingleton {
 public:
  // allocWithZone: makes the object, records it as the shared one and runs `setUp` on it;
  // nullptr when the shared object exists already.
  static std::shared_ptr<T> alloc(const std::function<void(T&)>& setUp = {}) {
    std::lock_guard<std::recursive_mutex> guard(lock());
    if (instance()) return nullptr;
    instance() = std::make_shared<T>();
    if (setUp) setUp(*instance());
    return instance();
  }
  // The shared object; `make` runs (under the lock) when there is none yet and is expected
  // to make it, with alloc.
  static std::shared_ptr<T> shared(const std::function<void()>& make) {
    std::lock_guard<std::recursive_mutex> guard(lock());
    if (!instance()) make();
    return instance();
  }

 private:
  static std::recursive_mutex& lock() {
    static std::recursive_mutex m;
    return m;
  }
  static std::shared_ptr<T>& instance() {
    static std::shared_ptr<T> object;
    return object;
  }
};
