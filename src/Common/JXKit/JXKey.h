// A dictionary key of the JSON containers: an immutable string with its hash, shared by
// reference.  The reader hands the same key object to every dictionary of a reply that uses
// that key (its token cache), and the writer recognises a key it has written before by the
// object, so a list of records carries each key text once.
#pragma once

#include <atomic>
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

// Counted reference to a JXKey; empty when default-constructed.
class JXKeyRef {
 public:
  JXKeyRef() = default;
  static JXKeyRef make(std::string_view text) { return make(text, JXStringHash(text)); }
  static JXKeyRef make(std::string_view text, uint32_t hash) {
    JXKeyRef r;
    r.p_ = new JXKey(text, hash);
    return r;
  }

  JXKeyRef(const JXKeyRef& o) : p_(o.p_) {
    if (p_) p_->refs_.fetch_add(1, std::memory_order_relaxed);
  }
  JXKeyRef(JXKeyRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
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
    if (p_ && p_->refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete p_;
    p_ = nullptr;
  }
  void swap(JXKeyRef& o) noexcept { std::swap(p_, o.p_); }

  const JXKey* get() const { return p_; }
  const JXKey* operator->() const { return p_; }
  const JXKey& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  bool operator==(const JXKeyRef& o) const { return p_ == o.p_; }

 private:
  JXKey* p_ = nullptr;
};
