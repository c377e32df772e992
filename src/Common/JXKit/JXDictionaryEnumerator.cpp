#include "Common/JXKit/JXDictionaryEnumerator.h"

#include <utility>
#include <vector>

#include "Common/JXKit/JXDictionary.h"

std::shared_ptr<JXDictionaryEnumerator> JXDictionaryEnumerator::initWithJXDictionary(
    std::shared_ptr<const JXDictionary> dictionary) {
  if (!dictionary) return nullptr;
  return std::make_shared<JXDictionaryEnumerator>(std::move(dictionary));
}

Value JXDictionaryEnumerator::nextObject() {
  while (nextObject_ < collection_->capacity_) {
    const JXHashTableEntry& e = collection_->entry_[nextObject_++];
    if (e.key) return Value(e.key->text());
  }
  return Value();
}

ValueArray JXDictionaryEnumerator::allObjects() {
  std::vector<Value> keys;
  for (Value k = nextObject(); !k.isNil(); k = nextObject()) keys.push_back(std::move(k));
  return std::make_shared<NSMutableArray>(std::move(keys), false);
}
