// Walks a JXDictionary's keys in slot order, holding the dictionary while it lives.
#pragma once

#include <cstddef>
#include <memory>

#include "Foundation/Value.h"

class JXDictionary;

class JXDictionaryEnumerator {
 public:
  // nullptr for a null dictionary.
  static std::shared_ptr<JXDictionaryEnumerator> initWithJXDictionary(
      std::shared_ptr<const JXDictionary> dictionary);

  explicit JXDictionaryEnumerator(std::shared_ptr<const JXDictionary> dictionary)
      : collection_(std::move(dictionary)) {}

  // The key of the next occupied slot; nil after the last.
  Value nextObject();
  // The keys not yet handed out.
  ValueArray allObjects();

 private:
  std::shared_ptr<const JXDictionary> collection_;
  size_t nextObject_ = 0;
};
