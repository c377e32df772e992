// The JSON reader's dictionary: an open-addressing hash table with linear probing, built once
// at its final size, immutable unless the reader was asked for mutable results.  It enumerates
// in slot order, not in the order of the document.  Only the reader creates it; the rest of the
// app uses it as an NSDictionary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Common/JXKit/JXKey.h"
#include "Foundation/Value.h"

class JXArena;
class JXDecoder;
struct JXParseState;
class JXDictionaryEnumerator;

// One slot of the table; a slot without a key is empty.  The key carries its hash.
struct JXHashTableEntry {
  JXKeyRef key;
  Value object;
};

class JXDictionary final : public NSDictionary, public std::enable_shared_from_this<JXDictionary> {
  NS_CLASS(JXDictionary, NSDictionary)
 public:
  // Only the reader can make the token that the constructor requires.
  class Token {
    Token() = default;
    friend class JXDecoder;
    friend struct JXParseState;
    friend class JXDictionary;
  };
  // An empty table of `capacity` slots (see capacityForCount).
  JXDictionary(Token, size_t capacity, bool isMutable);
  // An empty immutable table placed with its slots in the reply's arena, which keeps it; a Value
  // holds it borrowed (Value::borrowedContainer) or counted through the arena.
  static JXDictionary* place(Token, JXArena* arena, size_t capacity);
  // The same, counted on its own: a mutable reply's dictionaries, whose pairs a caller may
  // change.
  static std::shared_ptr<JXDictionary> make(Token, JXArena* arena, size_t capacity, bool isMutable);
  ~JXDictionary() override;
  JXDictionary(const JXDictionary&) = delete;
  JXDictionary& operator=(const JXDictionary&) = delete;

  // For make() only: the table was placed behind the dictionary by its allocator.
  class InlineTable {
    explicit InlineTable(void* const* table) : table(table) {}
    void* const* table;
    friend class JXDictionary;
  };
  JXDictionary(InlineTable table, size_t capacity, bool isMutable);

  // The table size for n pairs: the smallest listed size of at least n × 1.33; 0 when n is
  // beyond the largest size.
  static size_t capacityForCount(size_t n);
  size_t count() const override { return count_; }
  const Value& objectRefForKey(std::string_view key) const override;
  // Pairs in slot order.  Changing the dictionary from inside `f` raises NSGenericException.
  void enumerate(const std::function<void(const std::string&, const Value&)>& f) const override;
  bool isMutable() const override { return mutations_ != 0; }
  void setObject(Value object, std::string_view key) override;
  void removeObjectForKey(std::string_view key) override;
  // Immutable: this very dictionary.  Mutable: a new immutable platform dictionary.
  ValueDictionary copy() const override;

  // Appends each pair's object and key, in slot order; either may be null.
  void getObjects(std::vector<Value>* objects, std::vector<std::string>* keys) const;
  std::shared_ptr<JXDictionaryEnumerator> keyEnumerator() const;

  size_t capacity() const { return capacity_; }
  // 0 for an immutable dictionary; see JXArray::mutations.
  uint32_t mutations() const { return mutations_; }
  // The slots themselves, for the writer.
  const JXHashTableEntry& entryAtSlot(size_t slot) const { return entry_[slot]; }

  // Fast enumeration: the keys in slot order.  The iterator raises NSGenericException when the
  // dictionary was changed since it started.
  class KeyIterator {
   public:
    KeyIterator(const JXDictionary* d, size_t slot);
    const std::string& operator*() const;
    KeyIterator& operator++();
    bool operator!=(const KeyIterator& o) const { return slot_ != o.slot_; }
    bool operator==(const KeyIterator& o) const { return slot_ == o.slot_; }

   private:
    void check() const;
    void skipEmpty();
    const JXDictionary* d_;
    size_t slot_;
    uint32_t mutations_;
  };
  KeyIterator begin() const { return KeyIterator(this, 0); }
  KeyIterator end() const { return KeyIterator(this, capacity_); }

 protected:
  ValueDictionary retainPlaced() const override;

 private:
  friend class JXDecoder;
  friend struct JXParseState;
  friend class JXDictionaryEnumerator;

  // The reader's insertion of a pair in document order: a later equal key replaces the pair.
  void insertEntry(uint32_t hash, JXKeyRef&& key, Value&& object);
  void removeEntryAtSlot(size_t slot);
  size_t findSlot(std::string_view key, uint32_t hash) const;
  void requireMutable(const char* selector) const;
  void mutated();
  [[noreturn]] void raiseMutatedWhileEnumerating() const;
  void setCapacity(size_t capacity);
  // This dictionary counted: through the arena when placed there.
  std::shared_ptr<const JXDictionary> counted() const;
  // hash mod capacity, by multiplication: every lookup and insert takes one.
  size_t homeSlot(uint32_t hash) const {
    return size_t(uint32_t((unsigned __int128)(modMagic_ * hash) * capacity_ >> 64));
  }

  // Frees the table when the dictionary owns it (a grown table, or one made without make()).
  void releaseTable();

  // The arena of a placed dictionary; null for one counted on its own.
  JXArena* arena_ = nullptr;
  JXHashTableEntry* entry_ = nullptr;
  bool ownsTable_ = false;
  size_t count_ = 0;
  size_t capacity_ = 0;
  uint64_t modMagic_ = 0;
  uint32_t mutations_ = 0;
};
