// A dictionary key of the JSON containers: an immutable string with its hash, shared by
// reference.  The reader hands the same key object to every dictionary of a reply that uses
// that key (its token cache), and the writer recognises a key it has written before by the
// object, so a list of records carries each key text once.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "Common/JXKit/JXKit.h"

class JXKeyRef;

class JXKey {
 public:
  const std::string& text() const { return text_; }
  uint32_t hash() const { return hash_; }

  JXKey(const JXKey&) = delete;
  JXKey& operator=(const JXKey&) = delete;

 private:
  friend class JXKeyRef;
  JXKey(std::string_view text, uint32_t hash) : text_(text), hash_(hash) {}

  // Containers may be read and dropped on several threads at once.
  mutable std::atomic<size_t> refs_{1};
  std::string text_;
  uint32_t hash_;
};

// Counted reference to a JXKey; empty when default-constructed.  A borrowed reference counts
// nothing: the reader's containers hold their keys so, while the reply's arena keeps one
// counted reference to each key the reply uses.  A copy of any reference is a counted one.
class JXKeyRef {
 public:
  JXKeyRef() = default;
  static JXKeyRef make(std::string_view text) { return make(text, JXStringHash(text)); }
  static JXKeyRef make(std::string_view text, uint32_t hash) {
    JXKeyRef r;
    r.bits_ = reinterpret_cast<uintptr_t>(new JXKey(text, hash));
    return r;
  }
  // A reference that lives no longer than the one that keeps `key`.
  static JXKeyRef borrow(const JXKey* key) {
    JXKeyRef r;
    if (key) r.bits_ = reinterpret_cast<uintptr_t>(key) | kBorrowed;
    return r;
  }

  JXKeyRef(const JXKeyRef& o) : bits_(reinterpret_cast<uintptr_t>(o.get())) {
    if (bits_) o.get()->refs_.fetch_add(1, std::memory_order_relaxed);
  }
  JXKeyRef(JXKeyRef&& o) noexcept : bits_(std::exchange(o.bits_, 0)) {}
  JXKeyRef& operator=(const JXKeyRef& o) {
    JXKeyRef(o).swap(*this);
    return *this;
  }
  JXKeyRef& operator=(JXKeyRef&& o) noexcept {
    JXKeyRef(std::move(o)).swap(*this);
    return *this;
  }
  ~JXKeyRef() { reset(); }

  void reset() {
    if (bits_ && !(bits_ & kBorrowed)) {
      JXKey* p = reinterpret_cast<JXKey*>(bits_);
      if (p->refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete p;
    }
    bits_ = 0;
  }
  void swap(JXKeyRef& o) noexcept { std::swap(bits_, o.bits_); }

  const JXKey* get() const { return reinterpret_cast<const JXKey*>(bits_ & ~kBorrowed); }
  const JXKey* operator->() const { return get(); }
  const JXKey& operator*() const { return *get(); }
  explicit operator bool() const { return bits_ != 0; }
  bool operator==(const JXKeyRef& o) const { return get() == o.get(); }

 private:
  static constexpr uintptr_t kBorrowed = 1;
  uintptr_t bits_ = 0;
};
