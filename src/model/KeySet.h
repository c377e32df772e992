// A fixed set of short keys, each with its place in the list it was made from, found by a
// table built when the program is compiled.  The reply parsers place a dictionary's keys and
// the tokens of a text with it, where a search through the list per key would cost more.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "Common/JXKit/JXKit.h"

namespace parser_values {

template <size_t N>
class KeySet {
 public:
  template <class... Keys>
  consteval explicit KeySet(Keys... keys) : KeySet(std::array<std::string_view, N>{keys...}) {}
  consteval explicit KeySet(const std::array<std::string_view, N>& keys) : keys_(keys) {
    slots_.fill(kEmpty);
    for (size_t i = 0; i < N; ++i) {
      if (keys_[i].empty() || at(keys_[i]) != i)
        throw std::logic_error("the keys of a set are distinct and not empty");
      size_t slot = JXStringHash(keys_[i]) % kSlots;
      while (slots_[slot] != kEmpty) slot = (slot + 1) % kSlots;
      slots_[slot] = uint8_t(i);
    }
  }

  static constexpr size_t size() { return N; }
  constexpr std::string_view operator[](size_t i) const { return keys_[i]; }

  // The key's place in the list, or N when it is not in the set.
  size_t indexOf(std::string_view key) const { return indexOf(key, JXStringHash(key)); }
  // The same for a key whose JXStringHash is known (a parsed reply's keys carry theirs).
  size_t indexOf(std::string_view key, uint32_t hash) const {
    if (key.empty()) return N;
    for (size_t slot = hash % kSlots;; slot = (slot + 1) % kSlots) {
      const uint8_t i = slots_[slot];
      if (i == kEmpty) return N;
      // Keys are short: compared a word at a time, without a library call.
      if (keys_[i].size() == key.size() && JXSameBytes(keys_[i].data(), key.data(), key.size()))
        return i;
    }
  }

  // The place of a key that must be in the set: a misspelt key does not compile.
  consteval size_t at(std::string_view key) const {
    for (size_t i = 0; i < N; ++i)
      if (keys_[i] == key) return i;
    throw std::logic_error("the key is not in the set");
  }

 private:
  static_assert(N > 0 && N < 255, "a set holds 1 to 254 keys");
  static constexpr uint8_t kEmpty = 255;
  // At most a quarter full, so that a probe seldom goes past its first slot.
  static constexpr size_t kSlots = std::bit_ceil(4 * N);

  std::array<std::string_view, N> keys_;
  std::array<uint8_t, kSlots> slots_{};
};

template <class... Keys>
KeySet(Keys...) -> KeySet<sizeof...(Keys)>;

// The set of the first members of a table of pairs, each at its row.
template <class Pair, size_t N>
consteval KeySet<N> firstsOf(const Pair (&table)[N]) {
  std::array<std::string_view, N> keys;
  for (size_t i = 0; i < N; ++i) keys[i] = table[i].first;
  return KeySet<N>(keys);
}

}  // namespace parser_values
