// Dynamic data: the one value type for parsed JSON, property lists, user defaults and bus
// message data.  A default-constructed Value is nil (absent); NSNull is a value of its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "Foundation/NSClassDeclaration.h"

class NSObject;
class NSArray;
class NSDictionary;
class Value;

using ValueArray = std::shared_ptr<NSArray>;
using ValueDictionary = std::shared_ptr<NSDictionary>;

// Raw bytes (NSData), as handed to Value(NSDataBytes); a Value keeps them as a ValueText.
struct NSDataBytes {
  std::string bytes;
  bool operator==(const NSDataBytes&) const = default;
};

// A point in time (NSDate): seconds since 1970-01-01 00:00:00 UTC.
struct NSDateValue {
  double secondsSince1970 = 0;
  bool operator==(const NSDateValue&) const = default;
};

// The JSON/plist null object (NSNull), distinct from nil.
struct NSNullValue {
  bool operator==(const NSNullValue&) const = default;
};

// The immutable bytes of a string or data value, shared by reference: one block holding a
// header and the bytes (with a NUL behind them).  A block made by ValueText::make counts its
// own references; a block placed by an owner (a parsed reply's arena) passes every reference
// on to that owner, which keeps all its blocks until its count ends.  The empty text holds no
// block.  A borrowed reference counts nothing: only an owner's own containers hold such, and
// they keep the owner; copying any reference gives a counted one.
class ValueText {
 public:
  // What keeps blocks placed outside the heap.
  class Owner {
   public:
    virtual void retainText() noexcept = 0;
    virtual void releaseText() noexcept = 0;

   protected:
    ~Owner() = default;
  };
  struct Block {
    Owner* owner;  // null: the block counts itself in refs
    std::atomic<size_t> refs;
    size_t size;
    char* bytes() { return reinterpret_cast<char*>(this + 1); }
  };
  // The memory a block of `size` bytes takes, header and NUL included.
  static constexpr size_t blockSize(size_t size) { return sizeof(Block) + size + 1; }
  // A counted heap copy of `text`.
  static ValueText make(std::string_view text);
  // Fills a block that `owner` placed in `memory` (blockSize(text.size()) bytes, aligned for
  // a pointer) with `text` and returns a borrowed reference to it.
  static ValueText borrowPlaced(void* memory, Owner* owner, std::string_view text);

  ValueText() = default;
  ValueText(const ValueText& o) : bits_(reinterpret_cast<uintptr_t>(o.block())) { retain(); }
  ValueText(ValueText&& o) noexcept : bits_(std::exchange(o.bits_, 0)) {}
  ValueText& operator=(const ValueText& o) {
    ValueText(o).swap(*this);
    return *this;
  }
  ValueText& operator=(ValueText&& o) noexcept {
    ValueText(std::move(o)).swap(*this);
    return *this;
  }
  ~ValueText() {
    if (bits_ && !(bits_ & kBorrowed)) release();
  }
  void swap(ValueText& o) noexcept { std::swap(bits_, o.bits_); }

  // NUL-ended: view().data() may be handed to C as it is.
  std::string_view view() const {
    const Block* b = block();
    return b ? std::string_view(reinterpret_cast<const char*>(b + 1), b->size)
             : std::string_view("", 0);
  }
  // NUL-ended.
  const char* c_str() const {
    const Block* b = block();
    return b ? reinterpret_cast<const char*>(b + 1) : "";
  }
  bool isBorrowed() const { return bits_ & kBorrowed; }
  bool operator==(const ValueText& o) const { return view() == o.view(); }

 private:
  static constexpr uintptr_t kBorrowed = 1;
  Block* block() const { return reinterpret_cast<Block*>(bits_ & ~kBorrowed); }
  void retain() const {
    if (Block* b = block()) {
      if (b->owner)
        b->owner->retainText();
      else
        b->refs.fetch_add(1, std::memory_order_relaxed);
    }
  }
  void release() const;
  uintptr_t bits_ = 0;
};

// Copies of a container held borrowed (see ValueContainerRef).
ValueArray valueCountedArray(const NSArray* placed);
ValueDictionary valueCountedDictionary(const NSDictionary* placed);

// A container held by a Value: counted (a shared_ptr with its control block) or borrowed.  A
// borrowed one lies in memory that its owner keeps (a parsed reply's arena) and has no control
// block and no count; only that owner's own containers hold it so, and they keep the owner.
// Copying any reference gives a counted one, which keeps the owner alive.
template <class T>
class ValueContainerRef {
 public:
  explicit ValueContainerRef(std::shared_ptr<T> ref) : ref_(std::move(ref)) {}
  // A borrowed reference to a container that its owner keeps.
  static ValueContainerRef borrow(T* placed) {
    return ValueContainerRef(std::shared_ptr<T>(std::shared_ptr<T>(), placed));
  }
  ValueContainerRef(const ValueContainerRef& o) : ref_(o.counted()) {}
  ValueContainerRef(ValueContainerRef&&) noexcept = default;
  ValueContainerRef& operator=(const ValueContainerRef& o) {
    ref_ = o.counted();
    return *this;
  }
  ValueContainerRef& operator=(ValueContainerRef&&) noexcept = default;

  T* get() const { return ref_.get(); }
  bool isBorrowed() const { return ref_ && !std::shared_ptr<const void>().owner_before(ref_); }
  std::shared_ptr<T> counted() const {
    if (!isBorrowed()) return ref_;
    if constexpr (std::is_same_v<T, NSArray>)
      return valueCountedArray(ref_.get());
    else
      return valueCountedDictionary(ref_.get());
  }

 private:
  std::shared_ptr<T> ref_;
};

class Value {
 public:
  // The one nil value, for look-ups that hand out references.
  static const Value& nil();

  // The kind a number was made with matters to the JSON writer and the SQL binder.
  enum class Kind {
    Nil,
    Null,
    Bool,
    Char,  // a number made from a C char (objCType 'c'), as boxed flags are
    Int,   // signed 64-bit
    UInt,  // unsigned 64-bit
    Double,
    String,
    Data,
    Date,
    Array,
    Dictionary,
    Object,
  };

  Value() = default;
  Value(std::nullptr_t) {}
  Value(NSNullValue) : v_(NSNullValue{}) {}
  Value(bool b) : v_(b) {}
  Value(int i) : v_(int64_t(i)) {}
  Value(long i) : v_(int64_t(i)) {}
  Value(long long i) : v_(int64_t(i)) {}
  Value(unsigned i) : v_(int64_t(i)) {}
  Value(unsigned long u) : v_(uint64_t(u)) {}
  Value(unsigned long long u) : v_(uint64_t(u)) {}
  Value(double d) : v_(d) {}
  Value(const char* s) : v_(TextBox{ValueText::make(s ? s : "")}) {}
  Value(const std::string& s) : v_(TextBox{ValueText::make(s)}) {}
  Value(std::string_view s) : v_(TextBox{ValueText::make(s)}) {}
  Value(const NSDataBytes& d) : v_(DataBox{ValueText::make(d.bytes)}) {}
  // A string value holding `text` as it is (a borrowed one only inside its owner's containers).
  static Value fromText(ValueText text) {
    Value v;
    v.v_ = TextBox{std::move(text)};
    return v;
  }
  Value(NSDateValue d) : v_(d) {}
  Value(ValueArray a);
  Value(ValueDictionary d);
  template <class T,
            class = std::enable_if_t<std::is_base_of_v<NSArray, T> && !std::is_same_v<NSArray, T>>,
            int = 0>
  Value(std::shared_ptr<T> a) {
    // Not delegating: clang would resolve that call here, while NSArray is still incomplete.
    if (a) v_.emplace<ArrayRef>(ValueArray(std::move(a)));
  }
  template <class T,
            class = std::enable_if_t<std::is_base_of_v<NSDictionary, T> &&
                                     !std::is_same_v<NSDictionary, T>>,
            long = 0>
  Value(std::shared_ptr<T> d) {
    if (d) v_.emplace<DictionaryRef>(ValueDictionary(std::move(d)));
  }
  Value(std::shared_ptr<NSObject> o);
  template <class T, class = std::enable_if_t<std::is_base_of_v<NSObject, T> &&
                                              !std::is_same_v<NSObject, T>>>
  Value(std::shared_ptr<T> o) {
    if (o) v_.emplace<std::shared_ptr<NSObject>>(std::move(o));
  }

  // A container held borrowed (see ValueContainerRef): only for its owner's own containers and
  // the reader's stack.
  static Value borrowedContainer(NSArray* placed) {
    Value v;
    v.v_.emplace<ArrayRef>(ArrayRef::borrow(placed));
    return v;
  }
  static Value borrowedContainer(NSDictionary* placed) {
    Value v;
    v.v_.emplace<DictionaryRef>(DictionaryRef::borrow(placed));
    return v;
  }

  static Value null() { return Value(NSNullValue{}); }
  static Value character(signed char c) {
    Value v;
    v.v_ = CharBox{c};
    return v;
  }
  static Value data(std::string_view bytes) {
    Value v;
    v.v_ = DataBox{ValueText::make(bytes)};
    return v;
  }
  static Value date(double secondsSince1970) { return Value(NSDateValue{secondsSince1970}); }
  // A new mutable platform array / insertion-ordered dictionary.
  static Value arrayOf(std::vector<Value> items = {});
  static Value dictionaryOf(std::initializer_list<std::pair<std::string, Value>> pairs = {});

  // The alternatives of v_ stand in the order of Kind.
  Kind kind() const { return Kind(v_.index()); }
  bool isNil() const { return kind() == Kind::Nil; }
  bool isNull() const { return kind() == Kind::Null; }
  bool isNumber() const {  // Bool, Char, Int, UInt, Double
    return kind() >= Kind::Bool && kind() <= Kind::Double;
  }
  bool isString() const { return kind() == Kind::String; }
  bool isData() const { return kind() == Kind::Data; }
  bool isDate() const { return kind() == Kind::Date; }
  bool isArray() const { return kind() == Kind::Array; }
  bool isDictionary() const { return kind() == Kind::Dictionary; }
  bool isObject() const { return kind() == Kind::Object; }
  explicit operator bool() const { return !isNil(); }
  // Whether destroying the value frees anything (text, data, a container or an object); the
  // others may simply be dropped with the memory that holds them.
  bool ownsStorage() const {
    if (auto t = std::get_if<TextBox>(&v_)) return !t->text.isBorrowed();
    if (auto a = std::get_if<ArrayRef>(&v_)) return !a->isBorrowed();
    if (auto d = std::get_if<DictionaryRef>(&v_)) return !d->isBorrowed();
    return kind() >= Kind::Data && kind() != Kind::Date;
  }

  // Typed access; wrong kinds give the empty value of the asked type (never throw).
  // The text of string() and bytes() (NUL-ended: string().data() is a C string) stays
  // valid as long as this Value, or any copy of it, lives unchanged; a string read from a
  // parsed reply also keeps that reply's memory.  Copy it into a std::string to keep it longer.
  std::string_view string() const;
  // The text of a string value, shared: a counted reference that keeps its block (and a
  // parsed reply's memory) alive.  Empty for anything else.
  ValueText stringText() const;
  std::string_view bytes() const;  // Data; a string's text too
  double dateSeconds() const;      // Date
  ValueArray array() const;
  ValueDictionary dictionary() const;
  std::shared_ptr<NSObject> object() const;
  // The container itself, without a counted reference: valid as long as this Value lives
  // unchanged.  Null when this is no such container.
  const NSArray* arrayPointer() const {
    auto p = std::get_if<ArrayRef>(&v_);
    return p ? p->get() : nullptr;
  }
  const NSDictionary* dictionaryPointer() const {
    auto p = std::get_if<DictionaryRef>(&v_);
    return p ? p->get() : nullptr;
  }
  template <class T>
  std::shared_ptr<T> object() const {
    return std::dynamic_pointer_cast<T>(object());
  }

  // The platform's conversions (NSNumber / NSString): numbers give their value; strings are
  // read after leading blanks, with an optional sign, up to the first character that does not
  // fit; anything else gives 0 / NO.
  int intValue() const;
  long long longLongValue() const;
  unsigned long long unsignedLongLongValue() const;
  double doubleValue() const;
  bool boolValue() const;

  // The "%@" text: strings as they are, numbers in decimal (booleans as 1/0, doubles with up
  // to 17 significant digits), nil as "(null)", NSNull as "<null>", containers in the
  // platform's description format.
  std::string description() const;

  // Dictionary and array shortcuts: nil when this is not such a container or it has no such
  // member.
  Value operator[](std::string_view key) const;
  Value operator[](size_t index) const;
  Value operator[](int index) const { return (*this)[size_t(index)]; }
  size_t count() const;  // arrays and dictionaries; 0 otherwise

  // Deep equality as isEqual: numbers compare by value across kinds (a boolean equals 0/1).
  bool isEqual(const Value& other) const;
  bool operator==(const Value& other) const { return isEqual(other); }

  // Hash consistent with isEqual.
  size_t hash() const;

 private:
  struct CharBox {
    signed char c;
    bool operator==(const CharBox&) const = default;
  };
  struct TextBox {
    ValueText text;
  };
  struct DataBox {
    ValueText text;
  };
  using ArrayRef = ValueContainerRef<NSArray>;
  using DictionaryRef = ValueContainerRef<NSDictionary>;
  std::variant<std::monostate, NSNullValue, bool, CharBox, int64_t, uint64_t, double, TextBox,
               DataBox, NSDateValue, ArrayRef, DictionaryRef, std::shared_ptr<NSObject>>
      v_;
};

// The array interface.  The platform's own array (NSMutableArray) is a vector; the JSON
// reader has its own implementation.  Mutating an immutable array raises NSException.
class NSArray {
 public:
  virtual ~NSArray() = default;
  // The class "NSArray" and the class of this array; className() is its name.
  static const NSClass& classObject();
  virtual const NSClass& objectClass() const { return classObject(); }
  const std::string& className() const;
  virtual size_t count() const = 0;
  virtual const Value& objectAtIndex(size_t index) const = 0;
  virtual bool isMutable() const = 0;
  virtual void insertObject(Value object, size_t index) = 0;
  virtual void removeObjectAtIndex(size_t index) = 0;
  virtual void replaceObjectAtIndex(size_t index, Value object) = 0;
  // A new platform array holding the same objects (copy / mutableCopy).
  virtual ValueArray copy() const;
  virtual ValueArray mutableCopy() const;

  void addObject(Value object) { insertObject(std::move(object), count()); }
  void removeLastObject() {
    if (count()) removeObjectAtIndex(count() - 1);
  }
  void removeAllObjects() {
    while (count()) removeObjectAtIndex(count() - 1);
  }
  bool containsObject(const Value& v) const { return indexOfObject(v) != npos; }
  size_t indexOfObject(const Value& v) const;
  Value lastObject() const { return count() ? objectAtIndex(count() - 1) : Value(); }
  Value firstObject() const { return count() ? objectAtIndex(0) : Value(); }
  std::vector<Value> toVector() const;

  static constexpr size_t npos = size_t(-1);

  // Range-for over the objects.
  class iterator {
   public:
    iterator(const NSArray* a, size_t i) : a_(a), i_(i) {}
    const Value& operator*() const { return a_->objectAtIndex(i_); }
    iterator& operator++() {
      ++i_;
      return *this;
    }
    bool operator!=(const iterator& o) const { return i_ != o.i_; }

   private:
    const NSArray* a_;
    size_t i_;
  };
  iterator begin() const { return iterator(this, 0); }
  iterator end() const { return iterator(this, count()); }

 protected:
  // A counted reference to this array, asked only of one that a Value holds borrowed (placed in
  // its owner's memory); it keeps the owner.
  virtual ValueArray retainPlaced() const { return nullptr; }

 private:
  friend ValueArray valueCountedArray(const NSArray* placed);
};

// The dictionary interface with string keys.  The platform's own dictionary keeps insertion
// order; the JSON reader's enumerates in its hash-slot order.
class NSDictionary {
 public:
  virtual ~NSDictionary() = default;
  // The class "NSDictionary" and the class of this dictionary; className() is its name.
  static const NSClass& classObject();
  virtual const NSClass& objectClass() const { return classObject(); }
  const std::string& className() const;
  virtual size_t count() const = 0;
  // nil when the key is absent.
  Value objectForKey(std::string_view key) const { return objectRefForKey(key); }
  // The stored object itself, without a copy, or a nil value when the key is absent; valid
  // while the dictionary lives and is not changed.
  virtual const Value& objectRefForKey(std::string_view key) const = 0;
  // Calls f(key, value) for every pair in the dictionary's enumeration order.
  virtual void enumerate(const std::function<void(const std::string&, const Value&)>& f) const = 0;
  virtual bool isMutable() const = 0;
  virtual void setObject(Value object, std::string_view key) = 0;
  virtual void removeObjectForKey(std::string_view key) = 0;
  virtual ValueDictionary copy() const;
  virtual ValueDictionary mutableCopy() const;

  std::vector<std::string> allKeys() const;
  std::vector<Value> allValues() const;
  void removeAllObjects();

 protected:
  // A counted reference to this dictionary, asked only of one that a Value holds borrowed
  // (placed in its owner's memory); it keeps the owner.
  virtual ValueDictionary retainPlaced() const { return nullptr; }

 private:
  friend ValueDictionary valueCountedDictionary(const NSDictionary* placed);
};

// The platform's own containers.
class NSMutableArray final : public NSArray {
 public:
  explicit NSMutableArray(std::vector<Value> items = {}, bool isMutable = true)
      : items_(std::move(items)), mutable_(isMutable) {}
  // The platform's class cluster: a mutable array is of the class "__NSArrayM", a frozen one
  // of "__NSArrayI".
  static const NSClass& classObject();
  const NSClass& objectClass() const override;
  size_t count() const override { return items_.size(); }
  const Value& objectAtIndex(size_t index) const override;
  bool isMutable() const override { return mutable_; }
  void insertObject(Value object, size_t index) override;
  void removeObjectAtIndex(size_t index) override;
  void replaceObjectAtIndex(size_t index, Value object) override;
  std::vector<Value>& items() { return items_; }

 private:
  void requireMutable(const char* selector) const;
  std::vector<Value> items_;
  bool mutable_;
};

class NSMutableDictionary final : public NSDictionary {
 public:
  explicit NSMutableDictionary(bool isMutable = true) : mutable_(isMutable) {}
  NSMutableDictionary(std::vector<std::pair<std::string, Value>> pairs, bool isMutable);
  // "__NSDictionaryM" when mutable, "__NSDictionaryI" when frozen, as the platform's cluster.
  static const NSClass& classObject();
  const NSClass& objectClass() const override;
  size_t count() const override { return order_.size(); }
  const Value& objectRefForKey(std::string_view key) const override;
  void enumerate(const std::function<void(const std::string&, const Value&)>& f) const override;
  bool isMutable() const override { return mutable_; }
  void setObject(Value object, std::string_view key) override;
  void removeObjectForKey(std::string_view key) override;
  // Room for `count` entries, for a caller that knows how many it is about to set.
  void reserve(size_t count) { order_.reserve(count); }

 private:
  void requireMutable(const char* selector) const;
  size_t find(std::string_view key) const;
  void put(Value object, std::string_view key);
  // Small dictionaries search linearly; larger ones keep a key index beside the order.
  static constexpr size_t kIndexThreshold = 16;
  std::vector<std::pair<std::string, Value>> order_;
  std::unordered_map<std::string, size_t> index_;
  bool mutable_;
};

// The text of a text field: strings as they are, numbers as their decimal text; nullopt (or,
// for textOf, the empty text) for anything else: nil, NSNull, data, dates, containers, objects.
std::optional<std::string> textIfAny(const Value& v);
std::string textOf(const Value& v);

// Helpers to build platform containers.
ValueArray makeArray(std::vector<Value> items = {});
ValueDictionary makeDictionary(std::initializer_list<std::pair<std::string, Value>> pairs = {});
