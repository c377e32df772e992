#include "Common/JXKit/JXDictionary.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <new>
#include <utility>

#include "Common/JXKit/JXArena.h"
#include "Common/JXKit/JXDictionaryEnumerator.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSException.h"

namespace {

// Table sizes; the load stays at about three quarters or less.
constexpr size_t kCapacities[] = {
    0,        3,        7,        13,       23,        41,        71,        127,
    191,      251,      383,      631,      1087,      1723,      2803,      4523,
    7351,     11959,    19447,    31231,    50683,     81919,     132607,    214519,
    346607,   561109,   907759,   1468927,  2376191,   3845119,   6221311,   10066421,
    16287743, 26354171, 42641881, 68996069, 111638519, 180634607, 292272623, 472907251,
};

constexpr size_t kNotFound = size_t(-1);

std::string reasonPrefix(const std::string& cls, const char* selector) {
  return "*** -[" + cls + " " + selector + "]: ";
}

}  // namespace

size_t JXDictionary::capacityForCount(size_t n) {
  // floor(n × 1.33), in integers so that it is exact.
  size_t wanted = n / 100 * 133 + n % 100 * 133 / 100;
  const size_t* end = std::end(kCapacities);
  const size_t* it = std::lower_bound(std::begin(kCapacities), end, wanted);
  return it == end ? 0 : *it;
}

JXDictionary::JXDictionary(Token, size_t capacity, bool isMutable) : mutations_(isMutable ? 1 : 0) {
  setCapacity(capacity);
  if (capacity_) {
    entry_ = new JXHashTableEntry[capacity_];
    ownsTable_ = true;
  }
}

JXDictionary::JXDictionary(InlineTable table, size_t capacity, bool isMutable)
    : mutations_(isMutable ? 1 : 0) {
  setCapacity(capacity);
  if (capacity_) {
    entry_ = static_cast<JXHashTableEntry*>(*table.table);
    std::uninitialized_value_construct_n(entry_, capacity_);
  }
}

std::shared_ptr<JXDictionary> JXDictionary::make(Token, JXArena* arena, size_t capacity,
                                                 bool isMutable) {
  // The allocator runs before the constructor and leaves the table's address here.
  void* table = nullptr;
  return std::allocate_shared<JXDictionary>(
      JXArenaAllocator<JXDictionary>(arena, capacity * sizeof(JXHashTableEntry), &table),
      InlineTable(&table), capacity, isMutable);
}

JXDictionary* JXDictionary::place(Token, JXArena* arena, size_t capacity) {
  void* table = nullptr;
  auto* dictionary = arena->place<JXDictionary>(capacity * sizeof(JXHashTableEntry), &table,
                                                InlineTable(&table), capacity, false);
  dictionary->arena_ = arena;
  return dictionary;
}

ValueDictionary JXDictionary::retainPlaced() const {
  return std::const_pointer_cast<JXDictionary>(counted());
}

std::shared_ptr<const JXDictionary> JXDictionary::counted() const {
  if (arena_) return std::shared_ptr<const JXDictionary>(arena_->keeper(), this);
  return shared_from_this();
}

JXDictionary::~JXDictionary() {
  releaseTable();
}

void JXDictionary::releaseTable() {
  if (ownsTable_) {
    delete[] entry_;
  } else if (entry_) {
    // The table goes with the arena: only what a pair owns elsewhere is released.
    for (size_t slot = 0; slot < capacity_; ++slot) {
      JXHashTableEntry& e = entry_[slot];
      if (!e.key) continue;
      if (e.object.ownsStorage()) std::destroy_at(&e.object);
      std::destroy_at(&e.key);
    }
  }
  entry_ = nullptr;
  ownsTable_ = false;
}

void JXDictionary::setCapacity(size_t capacity) {
  capacity_ = capacity;
  modMagic_ = capacity ? UINT64_MAX / capacity + 1 : 0;
}

void JXDictionary::requireMutable(const char* selector) const {
  if (mutations_ == 0)
    NSException::raise(
        NSInternalInconsistencyException,
        reasonPrefix(className(), selector) + "mutating method sent to immutable object");
}

void JXDictionary::mutated() {
  mutations_ = mutations_ == UINT32_MAX ? 1 : mutations_ + 1;
}

void JXDictionary::raiseMutatedWhileEnumerating() const {
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
  NSException::raise(NSGenericException, "*** Collection <" + className() + ": " + address +
                                             "> was mutated while being enumerated.");
}

size_t JXDictionary::findSlot(std::string_view key, uint32_t hash) const {
  if (capacity_ == 0) return kNotFound;
  size_t slot = homeSlot(hash);
  for (size_t i = 0; i < capacity_; ++i) {
    const JXHashTableEntry& e = entry_[slot];
    if (!e.key) return kNotFound;
    if (e.key->hash() == hash && e.key->text().size() == key.size() &&
        JXSameBytes(e.key->text().data(), key.data(), key.size()))
      return slot;
    if (++slot == capacity_) slot = 0;
  }
  return kNotFound;
}

void JXDictionary::insertEntry(uint32_t hash, JXKeyRef&& key, Value&& object) {
  if (capacity_ == 0) return;
  size_t slot = homeSlot(hash);
  for (size_t i = 0; i < capacity_; ++i) {
    JXHashTableEntry& e = entry_[slot];
    if (e.key && (e.key == key || (e.key->hash() == hash && e.key->text() == key->text())))
      removeEntryAtSlot(slot);
    // Removal may have moved another pair of the cluster into this slot.
    if (!e.key) {
      // A free slot holds nil: built anew rather than assigned, which would first ask what the
      // slot holds.
      e.key.swap(key);
      std::destroy_at(&e.object);
      std::construct_at(&e.object, std::move(object));
      ++count_;
      return;
    }
    if (++slot == capacity_) slot = 0;
  }
  // No free slot: the pair is dropped.  Capacities are chosen so that this cannot happen.
}

void JXDictionary::removeEntryAtSlot(size_t slot) {
  entry_[slot] = JXHashTableEntry();
  --count_;
  // Re-seat the rest of the cluster from their home slots, so that no later key sits behind
  // the hole and becomes unreachable.
  size_t next = slot;
  for (size_t i = 0; i < capacity_; ++i) {
    if (++next == capacity_) next = 0;
    JXHashTableEntry& e = entry_[next];
    if (!e.key) break;
    JXHashTableEntry moved = std::move(e);
    e = JXHashTableEntry();
    --count_;
    insertEntry(moved.key->hash(), std::move(moved.key), std::move(moved.object));
  }
}

const Value& JXDictionary::objectRefForKey(std::string_view key) const {
  size_t slot = findSlot(key, JXStringHash(key));
  return slot == kNotFound ? Value::nil() : entry_[slot].object;
}

void JXDictionary::enumerate(const std::function<void(const std::string&, const Value&)>& f) const {
  const uint32_t start = mutations_;
  for (size_t slot = 0; slot < capacity_; ++slot) {
    if (mutations_ != start) raiseMutatedWhileEnumerating();
    const JXHashTableEntry& e = entry_[slot];
    if (e.key) f(e.key->text(), e.object);
  }
  if (mutations_ != start) raiseMutatedWhileEnumerating();
}

void JXDictionary::getObjects(std::vector<Value>* objects, std::vector<std::string>* keys) const {
  for (size_t slot = 0; slot < capacity_; ++slot) {
    const JXHashTableEntry& e = entry_[slot];
    if (!e.key) continue;
    if (objects) objects->push_back(e.object);
    if (keys) keys->push_back(e.key->text());
  }
}

std::shared_ptr<JXDictionaryEnumerator> JXDictionary::keyEnumerator() const {
  return JXDictionaryEnumerator::initWithJXDictionary(counted());
}

void JXDictionary::setObject(Value object, std::string_view key) {
  const char* sel = "setObject:forKey:";
  requireMutable(sel);
  if (object.isNil())
    NSException::raise(NSInvalidArgumentException,
                       reasonPrefix(className(), sel) +
                           "attempt to insert nil value (key: " + std::string(key) + ")");
  size_t wanted = capacityForCount(count_ + 1);
  if (wanted == 0)
    NSException::raise(NSMallocException, "Unable to allocate memory for hash table.");
  JXKeyRef copied;
  try {
    copied = JXKeyRef::make(key);
    if (capacity_ < wanted) {
      JXHashTableEntry* grown = new JXHashTableEntry[wanted];
      JXHashTableEntry* old = entry_;
      const size_t oldCapacity = capacity_;
      const bool ownedOld = ownsTable_;
      entry_ = grown;
      ownsTable_ = true;
      setCapacity(wanted);
      count_ = 0;
      for (size_t slot = 0; slot < oldCapacity; ++slot) {
        JXHashTableEntry& e = old[slot];
        if (e.key) insertEntry(e.key->hash(), std::move(e.key), std::move(e.object));
      }
      // An inline table's memory stays with the dictionary's block until that is freed.
      if (ownedOld)
        delete[] old;
      else if (old)
        std::destroy_n(old, oldCapacity);
    }
  } catch (const std::bad_alloc&) {
    NSException::raise(NSMallocException, "Unable to allocate memory for hash table.");
  }
  uint32_t hash = copied->hash();
  insertEntry(hash, std::move(copied), std::move(object));
  mutated();
}

void JXDictionary::removeObjectForKey(std::string_view key) {
  requireMutable("removeObjectForKey:");
  size_t slot = findSlot(key, JXStringHash(key));
  if (slot == kNotFound) return;
  removeEntryAtSlot(slot);
  mutated();
}

ValueDictionary JXDictionary::copy() const {
  if (mutations_ == 0) return std::const_pointer_cast<JXDictionary>(counted());
  return NSDictionary::copy();
}

// ---- Fast enumeration ----

JXDictionary::KeyIterator::KeyIterator(const JXDictionary* d, size_t slot)
    : d_(d), slot_(slot), mutations_(d->mutations_) {
  skipEmpty();
}

void JXDictionary::KeyIterator::check() const {
  if (d_->mutations_ != mutations_) d_->raiseMutatedWhileEnumerating();
}

void JXDictionary::KeyIterator::skipEmpty() {
  while (slot_ < d_->capacity_ && !d_->entry_[slot_].key) ++slot_;
}

const std::string& JXDictionary::KeyIterator::operator*() const {
  check();
  return d_->entry_[slot_].key->text();
}

JXDictionary::KeyIterator& JXDictionary::KeyIterator::operator++() {
  check();
  ++slot_;
  skipEmpty();
  return *this;
}

NS_CLASS_IMPLEMENTATION(JXDictionary) {}
