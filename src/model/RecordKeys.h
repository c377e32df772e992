// The keys a record reads from its dictionary, and the values under them gathered in one pass.
// A status or a user reads nearly every pair of its dictionary: one walk over the pairs,
// placing each by its key in the record's fixed list, costs far less than hashing each key
// and probing the dictionary for it (a missing key probes longest).
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "Common/JXKit/JXDictionary.h"
#include "Common/JXKit/JXKit.h"
#include "Foundation/Value.h"

namespace parser_values {

template <size_t N>
class RecordKeys {
 public:
  template <class... Keys>
  consteval explicit RecordKeys(Keys... keys) : keys_{std::string_view(keys)...} {
    slots_.fill(kEmpty);
    for (size_t i = 0; i < N; ++i) {
      if (keys_[i].empty() || at(keys_[i]) != i)
        throw std::logic_error("a record's keys are distinct and not empty");
      size_t slot = homeSlot(keys_[i]);
      while (slots_[slot] != kEmpty) slot = (slot + 1) % kSlots;
      slots_[slot] = uint8_t(i);
    }
  }

  static constexpr size_t size() { return N; }

  // The key's place in the list, or N when the record does not read it.
  size_t indexOf(std::string_view key) const {
    if (key.empty()) return N;
    for (size_t slot = homeSlot(key);; slot = (slot + 1) % kSlots) {
      const uint8_t i = slots_[slot];
      if (i == kEmpty) return N;
      // Keys are short: compared a word at a time, without a library call.
      if (keys_[i].size() == key.size() && JXSameBytes(keys_[i].data(), key.data(), key.size()))
        return i;
    }
  }

  // The place of a key that must be in the list: a misspelt key does not compile.
  consteval size_t at(std::string_view key) const {
    for (size_t i = 0; i < N; ++i)
      if (keys_[i] == key) return i;
    throw std::logic_error("the key is not in the record's list");
  }

 private:
  static_assert(N > 0 && N < 255, "a record reads 1 to 254 keys");
  static constexpr uint8_t kEmpty = 255;
  // At most a quarter full, so that a probe seldom goes past its first slot.
  static constexpr size_t kSlots = std::bit_ceil(4 * N);

  // The length and the end bytes tell a record's keys apart well enough, and cost nothing to
  // read; the full comparison decides.
  static constexpr size_t homeSlot(std::string_view key) {
    return (key.size() * 31 + uint8_t(key.front()) * 7 + uint8_t(key.back())) % kSlots;
  }

  std::array<std::string_view, N> keys_;
  std::array<uint8_t, kSlots> slots_{};
};

template <class... Keys>
RecordKeys(Keys...) -> RecordKeys<sizeof...(Keys)>;

// The values of a dictionary under the keys of `Keys` (a RecordKeys of static storage).  Each
// reads as objectRefForKey would give it: the stored value, valid while the dictionary lives
// unchanged, or nil when the key is absent.
template <const auto& Keys>
class RecordValues {
 public:
  // A key of the list, placed when the program is compiled.
  struct Key {
    consteval Key(const char* key) : index(Keys.at(key)) {}
    size_t index;
  };

  explicit RecordValues(const NSDictionary& dic) {
    values_.fill(&Value::nil());
    // A parsed reply's dictionaries are walked slot by slot; others through their enumeration.
    if (const auto* parsed = dynamic_cast<const JXDictionary*>(&dic)) {
      for (size_t slot = 0; slot < parsed->capacity(); ++slot) {
        const JXHashTableEntry& pair = parsed->entryAtSlot(slot);
        if (pair.key) place(pair.key->text(), pair.object);
      }
    } else {
      dic.enumerate([this](const std::string& key, const Value& value) { place(key, value); });
    }
  }
  RecordValues(const RecordValues&) = delete;
  RecordValues& operator=(const RecordValues&) = delete;

  const Value& operator[](Key key) const { return *values_[key.index]; }

 private:
  void place(std::string_view key, const Value& value) {
    if (const size_t i = Keys.indexOf(key); i < values_.size()) values_[i] = &value;
  }

  std::array<const Value*, Keys.size()> values_;
};

}  // namespace parser_values
