// The values of a dictionary under the keys a record reads, gathered in one pass.  A status or
// a user reads nearly every pair of its dictionary: one walk over the pairs, placing each by
// its key in the record's KeySet, costs far less than hashing each key and probing the
// dictionary for it (a missing key probes longest).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <typeinfo>

#include "Common/JXKit/JXDictionary.h"
#include "Foundation/Value.h"
#include "model/KeySet.h"

namespace parser_values {

// `Keys` is a KeySet of static storage.  Each value reads as objectRefForKey would give it:
// the stored value, valid while the dictionary lives unchanged, or nil when the key is absent.
template <const auto& Keys>
class RecordValues {
 public:
  // A key of the set, placed when the program is compiled.
  struct Key {
    consteval Key(const char* key) : index(Keys.at(key)) {}
    size_t index;
  };

  explicit RecordValues(const NSDictionary& dic) {
    values_.fill(&Value::nil());
    // A parsed reply's dictionaries are walked slot by slot; others through their enumeration.
    if (typeid(dic) == typeid(JXDictionary)) {
      const auto& parsed = static_cast<const JXDictionary&>(dic);
      for (size_t slot = 0; slot < parsed.capacity(); ++slot) {
        const JXHashTableEntry& pair = parsed.entryAtSlot(slot);
        if (pair.key) place(pair.key->text(), pair.key->hash(), pair.object);
      }
    } else {
      dic.enumerate([this](const std::string& key, const Value& value) {
        place(key, JXStringHash(key), value);
      });
    }
  }
  RecordValues(const RecordValues&) = delete;
  RecordValues& operator=(const RecordValues&) = delete;

  const Value& operator[](Key key) const { return *values_[key.index]; }

 private:
  void place(std::string_view key, uint32_t hash, const Value& value) {
    if (const size_t i = Keys.indexOf(key, hash); i < values_.size()) values_[i] = &value;
  }

  std::array<const Value*, Keys.size()> values_;
};

}  // namespace parser_values
