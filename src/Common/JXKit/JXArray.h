// The JSON reader's array: built once at its final size, immutable unless the reader was asked
// for mutable results.  Only the reader creates it; the rest of the app uses it as an NSArray.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Foundation/Value.h"

class JXArena;
class JXDecoder;
struct JXParseState;

class JXArray final : public NSArray, public std::enable_shared_from_this<JXArray> {
  NS_CLASS(JXArray, NSArray)
 public:
  // Only the reader can make the token that the constructor requires.
  class Token {
    Token() = default;
    friend class JXDecoder;
    friend struct JXParseState;
    friend class JXArray;
  };
  // Takes the members into a new immutable array placed, with room for them, in the reply's
  // arena, which keeps it; a Value holds it borrowed (Value::borrowedContainer) or counted
  // through the arena.
  static JXArray* place(Token, JXArena* arena, std::vector<Value>::iterator first,
                        std::vector<Value>::iterator last);
  // The same, counted on its own: a mutable reply's arrays, whose members a caller may change.
  static std::shared_ptr<JXArray> make(Token, JXArena* arena, std::vector<Value>::iterator first,
                                       std::vector<Value>::iterator last, bool isMutable);
  ~JXArray() override;
  JXArray(const JXArray&) = delete;
  JXArray& operator=(const JXArray&) = delete;

  // For make() only: the members' room was placed behind the array by its allocator.
  class InlineObjects {
    explicit InlineObjects(void* const* objects) : objects(objects) {}
    void* const* objects;
    friend class JXArray;
  };
  JXArray(InlineObjects objects, std::vector<Value>::iterator first,
          std::vector<Value>::iterator last, bool isMutable);

  size_t count() const override { return count_; }
  const Value& objectAtIndex(size_t index) const override;
  bool isMutable() const override { return mutations_ != 0; }
  void insertObject(Value object, size_t index) override;
  void removeObjectAtIndex(size_t index) override;
  void replaceObjectAtIndex(size_t index, Value object) override;
  // Immutable: this very array.  Mutable: a new immutable platform array.
  ValueArray copy() const override;

  // Copies the objects of [location, location + length) to `objects`.
  void getObjects(Value* objects, size_t location, size_t length) const;

  size_t capacity() const { return capacity_; }
  // 0 for an immutable array; in a mutable one it changes with every mutation and never
  // returns to 0 (the marker fast enumeration watches).
  uint32_t mutations() const { return mutations_; }

 protected:
  ValueArray retainPlaced() const override;

 private:
  void requireMutable(const char* selector) const;
  [[noreturn]] void raiseIndex(const char* selector, size_t index, size_t bound) const;
  void mutated();

  // Frees the members' room when the array owns it (a grown mutable array).
  void releaseObjects();

  // The arena of a placed array; null for one counted on its own.
  JXArena* arena_ = nullptr;
  Value* objects_ = nullptr;
  bool ownsObjects_ = false;
  size_t count_ = 0;
  size_t capacity_ = 0;
  uint32_t mutations_ = 0;
};
