#include "Common/JXKit/JXArray.h"

#include <memory>
#include <new>
#include <utility>

#include "Common/JXKit/JXArena.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSException.h"

namespace {

// Slots added each time a mutable array runs full.
constexpr size_t kGrowthSlots = 16;

std::string reasonPrefix(const std::string& cls, const char* selector) {
  return "*** -[" + cls + " " + selector + "]: ";
}

}  // namespace

std::shared_ptr<JXArray> JXArray::make(Token, JXArena* arena, std::vector<Value>::iterator first,
                                       std::vector<Value>::iterator last, bool isMutable) {
  // The allocator runs before the constructor and leaves the members' address here.
  void* objects = nullptr;
  return std::allocate_shared<JXArray>(
      JXArenaAllocator<JXArray>(arena, size_t(last - first) * sizeof(Value), &objects),
      InlineObjects(&objects), first, last, isMutable);
}

JXArray* JXArray::place(Token, JXArena* arena, std::vector<Value>::iterator first,
                        std::vector<Value>::iterator last) {
  void* objects = nullptr;
  auto* array = arena->place<JXArray>(size_t(last - first) * sizeof(Value), &objects,
                                      InlineObjects(&objects), first, last, false);
  array->arena_ = arena;
  return array;
}

ValueArray JXArray::retainPlaced() const {
  return ValueArray(arena_->keeper(), const_cast<JXArray*>(this));
}

JXArray::JXArray(InlineObjects objects, std::vector<Value>::iterator first,
                 std::vector<Value>::iterator last, bool isMutable)
    : count_(size_t(last - first)), capacity_(count_), mutations_(isMutable ? 1 : 0) {
  if (capacity_) {
    objects_ = static_cast<Value*>(*objects.objects);
    std::uninitialized_move(first, last, objects_);
  }
}

JXArray::~JXArray() {
  releaseObjects();
}

void JXArray::releaseObjects() {
  if (ownsObjects_) {
    delete[] objects_;
  } else if (objects_) {
    // The room goes with the arena: only what a member owns elsewhere is released.
    for (size_t i = 0; i < count_; ++i)
      if (objects_[i].ownsStorage()) std::destroy_at(&objects_[i]);
  }
  objects_ = nullptr;
  ownsObjects_ = false;
}

void JXArray::requireMutable(const char* selector) const {
  if (mutations_ == 0)
    NSException::raise(
        NSInternalInconsistencyException,
        reasonPrefix(className(), selector) + "mutating method sent to immutable object");
}

void JXArray::raiseIndex(const char* selector, size_t index, size_t bound) const {
  NSException::raise(NSRangeException, reasonPrefix(className(), selector) + "index (" +
                                           std::to_string(index) + ") beyond bounds (" +
                                           std::to_string(bound) + ")");
}

void JXArray::mutated() {
  mutations_ = mutations_ == UINT32_MAX ? 1 : mutations_ + 1;
}

const Value& JXArray::objectAtIndex(size_t index) const {
  if (index >= count_) raiseIndex("objectAtIndex:", index, count_);
  return objects_[index];
}

void JXArray::getObjects(Value* objects, size_t location, size_t length) const {
  const char* sel = "getObjects:range:";
  size_t end = location + length;
  if (end < location) raiseIndex(sel, SIZE_MAX, count_);
  if (!objects && end > 0)
    NSException::raise(NSRangeException,
                       reasonPrefix(className(), sel) +
                           "pointer to objects array is NULL but range length is " +
                           std::to_string(end));
  if (end > count_) raiseIndex(sel, end, count_);
  for (size_t i = 0; i < length; ++i) objects[i] = objects_[location + i];
}

void JXArray::insertObject(Value object, size_t index) {
  const char* sel = "insertObject:atIndex:";
  requireMutable(sel);
  if (object.isNil())
    NSException::raise(NSInvalidArgumentException,
                       reasonPrefix(className(), sel) + "attempt to insert nil");
  if (index > count_) raiseIndex(sel, index, count_ + 1);
  if (count_ + 1 >= capacity_) {
    Value* grown = nullptr;
    try {
      grown = new Value[capacity_ + kGrowthSlots];
    } catch (const std::bad_alloc&) {
      NSException::raise(NSMallocException, "Unable to resize objects array.");
    }
    for (size_t i = 0; i < count_; ++i) grown[i] = std::move(objects_[i]);
    // The room in the arena stays with the reply until that is freed.
    const size_t count = count_;
    releaseObjects();
    objects_ = grown;
    ownsObjects_ = true;
    count_ = count;
    capacity_ += kGrowthSlots;
  }
  for (size_t i = count_; i > index; --i) objects_[i] = std::move(objects_[i - 1]);
  objects_[index] = std::move(object);
  ++count_;
  mutated();
}

void JXArray::removeObjectAtIndex(size_t index) {
  const char* sel = "removeObjectAtIndex:";
  requireMutable(sel);
  if (index >= count_) raiseIndex(sel, index, count_);
  for (size_t i = index; i + 1 < count_; ++i) objects_[i] = std::move(objects_[i + 1]);
  objects_[--count_] = Value();
  mutated();
}

void JXArray::replaceObjectAtIndex(size_t index, Value object) {
  const char* sel = "replaceObjectAtIndex:withObject:";
  requireMutable(sel);
  if (object.isNil())
    NSException::raise(NSInvalidArgumentException,
                       reasonPrefix(className(), sel) + "attempt to insert nil");
  if (index >= count_) raiseIndex(sel, index, count_);
  objects_[index] = std::move(object);
  mutated();
}

ValueArray JXArray::copy() const {
  if (mutations_ == 0)
    return arena_ ? retainPlaced() : std::const_pointer_cast<JXArray>(shared_from_this());
  return std::make_shared<NSMutableArray>(toVector(), false);
}

NS_CLASS_IMPLEMENTATION(JXArray) {}
