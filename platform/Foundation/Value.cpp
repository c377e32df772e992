#include "Foundation/Value.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "Foundation/NSClass.h"
#include "Foundation/NSException.h"
#include "Foundation/NSObject.h"

ValueText ValueText::make(std::string_view text) {
  if (text.empty()) return ValueText();
  void* memory = ::operator new(blockSize(text.size()));
  auto* b = new (memory) Block{nullptr, {1}, text.size()};
  std::memcpy(b->bytes(), text.data(), text.size());
  b->bytes()[text.size()] = 0;
  ValueText t;
  t.bits_ = reinterpret_cast<uintptr_t>(b);
  return t;
}

ValueText ValueText::borrowPlaced(void* memory, Owner* owner, std::string_view text) {
  if (text.empty()) return ValueText();
  auto* b = new (memory) Block{owner, {0}, text.size()};
  std::memcpy(b->bytes(), text.data(), text.size());
  b->bytes()[text.size()] = 0;
  ValueText t;
  t.bits_ = reinterpret_cast<uintptr_t>(b) | kBorrowed;
  return t;
}

void ValueText::release() const {
  Block* b = block();
  if (b->owner) {
    b->owner->releaseText();
  } else if (b->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    b->~Block();
    ::operator delete(b);
  }
}

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Reads the leading decimal integer of a text the way the platform does: leading blanks, an
// optional sign, digits up to the first non-digit; clamps on overflow.
long long leadingInteger(std::string_view s, long long lo, long long hi) {
  size_t i = 0;
  while (i < s.size() && isBlank(s[i])) ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    neg = s[i] == '-';
    ++i;
  }
  unsigned long long acc = 0;
  bool overflow = false;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    unsigned d = unsigned(s[i] - '0');
    if (acc > (ULLONG_MAX - d) / 10) {
      overflow = true;
      break;
    }
    acc = acc * 10 + d;
  }
  if (neg) {
    if (overflow || acc > (unsigned long long)(-(lo + 1)) + 1) return lo;
    return acc == 0 ? 0 : -(long long)(acc - 1) - 1;
  }
  if (overflow || acc > (unsigned long long)hi) return hi;
  return (long long)acc;
}

double leadingDouble(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && isBlank(s[i])) ++i;
  // Only decimal notation: no hexadecimal floats, no "inf"/"nan" words.
  size_t j = i;
  if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
  if (j >= s.size() || !((s[j] >= '0' && s[j] <= '9') || s[j] == '.')) return 0;
  if (s.compare(j, 2, "0x") == 0 || s.compare(j, 2, "0X") == 0) return 0;
  // Only called with a value's text, which is NUL-ended.
  return std::strtod(s.data() + i, nullptr);
}

std::string formatDouble(double d) {
  if (std::isnan(d)) return "nan";
  if (std::isinf(d)) return d < 0 ? "-inf" : "inf";
  char buf[64];
  for (int prec = 15; prec <= 17; ++prec) {
    std::snprintf(buf, sizeof buf, "%.*g", prec, d);
    if (std::strtod(buf, nullptr) == d) break;
  }
  return buf;
}

void indent(std::string& out, int level) {
  out.append(size_t(level) * 4, ' ');
}

bool needsQuotes(std::string_view s) {
  if (s.empty()) return true;
  for (unsigned char c : s) {
    if (!(std::isalnum(c) || c == '_' || c == '.' || c == '$' || c == '/' || c >= 0x80))
      return true;
  }
  return false;
}

void describe(const Value& v, std::string& out, int level);

void describeNested(const Value& v, std::string& out, int level) {
  if (v.isString()) {
    const std::string_view s = v.string();
    if (needsQuotes(s)) {
      out += '"';
      for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
          out += "\\n";
          continue;
        }
        out += c;
      }
      out += '"';
    } else {
      out += s;
    }
    return;
  }
  describe(v, out, level);
}

void describe(const Value& v, std::string& out, int level) {
  switch (v.kind()) {
    case Value::Kind::Array: {
      auto a = v.arrayPointer();
      out += "(\n";
      for (size_t i = 0; i < a->count(); ++i) {
        indent(out, level + 1);
        describeNested(a->objectAtIndex(i), out, level + 1);
        out += i + 1 < a->count() ? ",\n" : "\n";
      }
      indent(out, level);
      out += ")";
      return;
    }
    case Value::Kind::Dictionary: {
      out += "{\n";
      v.dictionaryPointer()->enumerate([&](const std::string& k, const Value& x) {
        indent(out, level + 1);
        describeNested(Value(k), out, level + 1);
        out += " = ";
        describeNested(x, out, level + 1);
        out += ";\n";
      });
      indent(out, level);
      out += "}";
      return;
    }
    default:
      out += v.description();
  }
}

}  // namespace

ValueArray valueCountedArray(const NSArray* placed) {
  return placed->retainPlaced();
}
ValueDictionary valueCountedDictionary(const NSDictionary* placed) {
  return placed->retainPlaced();
}

Value::Value(ValueArray a) {
  if (a) v_.emplace<ArrayRef>(std::move(a));
}
Value::Value(ValueDictionary d) {
  if (d) v_.emplace<DictionaryRef>(std::move(d));
}
Value::Value(std::shared_ptr<NSObject> o) {
  if (o) v_ = std::move(o);
}

Value Value::arrayOf(std::vector<Value> items) {
  return Value(makeArray(std::move(items)));
}

Value Value::dictionaryOf(std::initializer_list<std::pair<std::string, Value>> pairs) {
  return Value(makeDictionary(pairs));
}

// Texts and data are one pointer, so that a value is three words (a reader's table slot four).
static_assert(sizeof(Value) == 24);

std::string_view Value::string() const {
  // kind() reads the alternative's index as the Kind.
  using V = decltype(v_);
  static_assert(
      std::is_same_v<std::variant_alternative_t<size_t(Kind::Null), V>, NSNullValue> &&
      std::is_same_v<std::variant_alternative_t<size_t(Kind::Bool), V>, bool> &&
      std::is_same_v<std::variant_alternative_t<size_t(Kind::Char), V>, CharBox> &&
      std::is_same_v<std::variant_alternative_t<size_t(Kind::Int), V>, int64_t> &&
      std::is_same_v<std::variant_alternative_t<size_t(Kind::UInt), V>, uint64_t> &&
      std::is_same_v<std::variant_alternative_t<size_t(Kind::Double), V>, double> &&
      std::is_same_v<std::variant_alternative_t<size_t(Kind::String), V>, TextBox> &&
      std::is_same_v<std::variant_alternative_t<size_t(Kind::Data), V>, DataBox> &&
      std::is_same_v<std::variant_alternative_t<size_t(Kind::Date), V>, NSDateValue> &&
      std::is_same_v<std::variant_alternative_t<size_t(Kind::Array), V>, ArrayRef> &&
      std::is_same_v<std::variant_alternative_t<size_t(Kind::Dictionary), V>, DictionaryRef> &&
      std::is_same_v<std::variant_alternative_t<size_t(Kind::Object), V>,
                     std::shared_ptr<NSObject>> &&
      std::variant_size_v<V> == size_t(Kind::Object) + 1);
  if (auto p = std::get_if<TextBox>(&v_)) return p->text.view();
  return std::string_view("", 0);
}
ValueText Value::stringText() const {
  if (auto p = std::get_if<TextBox>(&v_)) return p->text;
  return ValueText();
}
std::string_view Value::bytes() const {
  if (auto p = std::get_if<DataBox>(&v_)) return p->text.view();
  if (auto p = std::get_if<TextBox>(&v_)) return p->text.view();
  return std::string_view("", 0);
}
double Value::dateSeconds() const {
  if (auto p = std::get_if<NSDateValue>(&v_)) return p->secondsSince1970;
  return 0;
}
ValueArray Value::array() const {
  if (auto p = std::get_if<ArrayRef>(&v_)) return p->counted();
  return nullptr;
}
ValueDictionary Value::dictionary() const {
  if (auto p = std::get_if<DictionaryRef>(&v_)) return p->counted();
  return nullptr;
}
std::shared_ptr<NSObject> Value::object() const {
  if (auto p = std::get_if<std::shared_ptr<NSObject>>(&v_)) return *p;
  return nullptr;
}

long long Value::longLongValue() const {
  switch (kind()) {
    case Kind::Bool:
      return std::get<bool>(v_) ? 1 : 0;
    case Kind::Char:
      return std::get<CharBox>(v_).c;
    case Kind::Int:
      return std::get<int64_t>(v_);
    case Kind::UInt:
      return (long long)std::get<uint64_t>(v_);
    case Kind::Double: {
      double d = std::get<double>(v_);
      if (std::isnan(d)) return 0;
      if (d >= 9.2233720368547758e18) return LLONG_MAX;
      if (d <= -9.2233720368547758e18) return LLONG_MIN;
      return (long long)d;
    }
    case Kind::String:
      return leadingInteger(string(), LLONG_MIN, LLONG_MAX);
    default:
      return 0;
  }
}

unsigned long long Value::unsignedLongLongValue() const {
  if (kind() == Kind::UInt) return std::get<uint64_t>(v_);
  if (kind() == Kind::Double) {
    double d = std::get<double>(v_);
    if (d <= 0 || std::isnan(d)) return 0;
    if (d >= 1.8446744073709552e19) return ULLONG_MAX;
    return (unsigned long long)d;
  }
  return (unsigned long long)longLongValue();
}

int Value::intValue() const {
  if (kind() == Kind::String) return int(leadingInteger(string(), INT_MIN, INT_MAX));
  // Numbers narrow the way a C cast does.
  if (kind() == Kind::Double) {
    double d = std::get<double>(v_);
    if (std::isnan(d)) return 0;
    if (d >= 2147483647.0) return INT_MAX;
    if (d <= -2147483648.0) return INT_MIN;
    return int(d);
  }
  return int(uint32_t(uint64_t(longLongValue())));
}

double Value::doubleValue() const {
  switch (kind()) {
    case Kind::Double:
      return std::get<double>(v_);
    case Kind::UInt:
      return double(std::get<uint64_t>(v_));
    case Kind::String:
      return leadingDouble(string());
    case Kind::Date:
      return std::get<NSDateValue>(v_).secondsSince1970;
    default:
      return double(longLongValue());
  }
}

bool Value::boolValue() const {
  switch (kind()) {
    case Kind::Bool:
      return std::get<bool>(v_);
    case Kind::Double:
      return std::get<double>(v_) != 0;
    case Kind::UInt:
      return std::get<uint64_t>(v_) != 0;
    case Kind::Char:
    case Kind::Int:
      return longLongValue() != 0;
    case Kind::String: {
      const std::string_view s = string();
      size_t i = 0;
      while (i < s.size() && isBlank(s[i])) ++i;
      while (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
      while (i < s.size() && s[i] == '0') ++i;
      if (i >= s.size()) return false;
      char c = s[i];
      return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
    }
    default:
      return false;
  }
}

std::string Value::description() const {
  switch (kind()) {
    case Kind::Nil:
      return "(null)";
    case Kind::Null:
      return "<null>";
    case Kind::Bool:
      return std::get<bool>(v_) ? "1" : "0";
    case Kind::Char:
      return std::to_string(int(std::get<CharBox>(v_).c));
    case Kind::Int:
      return std::to_string(std::get<int64_t>(v_));
    case Kind::UInt:
      return std::to_string(std::get<uint64_t>(v_));
    case Kind::Double:
      return formatDouble(std::get<double>(v_));
    case Kind::String:
      return std::string(string());
    case Kind::Data: {
      static const char* hex = "0123456789abcdef";
      std::string out = "<";
      const std::string_view b = bytes();
      for (size_t i = 0; i < b.size(); ++i) {
        if (i && i % 4 == 0) out += ' ';
        out += hex[(unsigned char)b[i] >> 4];
        out += hex[(unsigned char)b[i] & 15];
      }
      return out + ">";
    }
    case Kind::Date: {
      time_t t = time_t(std::floor(std::get<NSDateValue>(v_).secondsSince1970));
      struct tm tm;
      gmtime_r(&t, &tm);
      char buf[64];
      std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S +0000", &tm);
      return buf;
    }
    case Kind::Array:
    case Kind::Dictionary: {
      std::string out;
      describe(*this, out, 0);
      return out;
    }
    case Kind::Object:
      return std::get<std::shared_ptr<NSObject>>(v_)->description();
  }
  return {};
}

const Value& Value::nil() {
  static const Value value;
  return value;
}

Value Value::operator[](std::string_view key) const {
  if (auto d = dictionaryPointer()) return d->objectRefForKey(key);
  return {};
}

Value Value::operator[](size_t index) const {
  if (auto a = arrayPointer()) {
    if (index < a->count()) return a->objectAtIndex(index);
  }
  return {};
}

size_t Value::count() const {
  if (auto a = arrayPointer()) return a->count();
  if (auto d = dictionaryPointer()) return d->count();
  return 0;
}

bool Value::isEqual(const Value& o) const {
  if (isNumber() && o.isNumber()) {
    Kind a = kind(), b = o.kind();
    if (a == Kind::Double || b == Kind::Double) return doubleValue() == o.doubleValue();
    if (a == Kind::UInt || b == Kind::UInt) {
      if (a == Kind::UInt && b == Kind::UInt)
        return std::get<uint64_t>(v_) == std::get<uint64_t>(o.v_);
      const Value& u = a == Kind::UInt ? *this : o;
      const Value& s = a == Kind::UInt ? o : *this;
      long long sv = s.longLongValue();
      return sv >= 0 && uint64_t(sv) == std::get<uint64_t>(u.v_);
    }
    return longLongValue() == o.longLongValue();
  }
  if (kind() != o.kind()) return false;
  switch (kind()) {
    case Kind::Nil:
    case Kind::Null:
      return true;
    case Kind::String:
      return string() == o.string();
    case Kind::Data:
      return bytes() == o.bytes();
    case Kind::Date:
      return dateSeconds() == o.dateSeconds();
    case Kind::Array: {
      auto x = arrayPointer(), y = o.arrayPointer();
      if (x == y) return true;
      if (x->count() != y->count()) return false;
      for (size_t i = 0; i < x->count(); ++i)
        if (!x->objectAtIndex(i).isEqual(y->objectAtIndex(i))) return false;
      return true;
    }
    case Kind::Dictionary: {
      auto x = dictionaryPointer(), y = o.dictionaryPointer();
      if (x == y) return true;
      if (x->count() != y->count()) return false;
      bool same = true;
      x->enumerate([&](const std::string& k, const Value& v) {
        if (same && !v.isEqual(y->objectForKey(k))) same = false;
      });
      return same;
    }
    case Kind::Object:
      return object() == o.object();
    default:
      return false;
  }
}

size_t Value::hash() const {
  if (isNumber()) {
    double d = doubleValue();
    if (kind() == Kind::UInt) return std::hash<uint64_t>()(std::get<uint64_t>(v_));
    if (d == std::floor(d) && std::fabs(d) < 9.2e18) return std::hash<int64_t>()(int64_t(d));
    return std::hash<double>()(d);
  }
  switch (kind()) {
    case Kind::String:
      return std::hash<std::string_view>()(string());
    case Kind::Data:
      return std::hash<std::string_view>()(bytes());
    case Kind::Date:
      return std::hash<double>()(dateSeconds());
    case Kind::Array:
    case Kind::Dictionary:
      return count();
    case Kind::Object:
      return std::hash<void*>()(object().get());
    default:
      return 0;
  }
}

// ---- NSArray ----

ValueArray NSArray::copy() const {
  return std::make_shared<NSMutableArray>(toVector(), false);
}
ValueArray NSArray::mutableCopy() const {
  return std::make_shared<NSMutableArray>(toVector(), true);
}

size_t NSArray::indexOfObject(const Value& v) const {
  for (size_t i = 0; i < count(); ++i)
    if (objectAtIndex(i).isEqual(v)) return i;
  return npos;
}

std::vector<Value> NSArray::toVector() const {
  std::vector<Value> out;
  out.reserve(count());
  for (size_t i = 0; i < count(); ++i) out.push_back(objectAtIndex(i));
  return out;
}

static std::string rangeMessage(const std::string& cls, const char* sel, size_t index,
                                size_t count) {
  return "*** -[" + cls + " " + sel + "]: index " + std::to_string(index) +
         " beyond bounds [0 .. " + (count ? std::to_string(count - 1) : std::string("-1")) + "]";
}

void NSMutableArray::requireMutable(const char* selector) const {
  if (!mutable_)
    NSException::raise(
        NSInternalInconsistencyException,
        "*** -[" + className() + " " + selector + "]: mutating method sent to immutable object");
}

const Value& NSMutableArray::objectAtIndex(size_t index) const {
  if (index >= items_.size())
    NSException::raise(NSRangeException,
                       rangeMessage(className(), "objectAtIndex:", index, items_.size()));
  return items_[index];
}

void NSMutableArray::insertObject(Value object, size_t index) {
  requireMutable("insertObject:atIndex:");
  if (object.isNil())
    NSException::raise(NSInvalidArgumentException,
                       "*** -[" + className() + " insertObject:atIndex:]: object cannot be nil");
  if (index > items_.size())
    NSException::raise(NSRangeException,
                       rangeMessage(className(), "insertObject:atIndex:", index, items_.size()));
  items_.insert(items_.begin() + long(index), std::move(object));
}

void NSMutableArray::removeObjectAtIndex(size_t index) {
  requireMutable("removeObjectAtIndex:");
  if (index >= items_.size())
    NSException::raise(NSRangeException,
                       rangeMessage(className(), "removeObjectAtIndex:", index, items_.size()));
  items_.erase(items_.begin() + long(index));
}

void NSMutableArray::replaceObjectAtIndex(size_t index, Value object) {
  requireMutable("replaceObjectAtIndex:withObject:");
  if (object.isNil())
    NSException::raise(
        NSInvalidArgumentException,
        "*** -[" + className() + " replaceObjectAtIndex:withObject:]: object cannot be nil");
  if (index >= items_.size())
    NSException::raise(
        NSRangeException,
        rangeMessage(className(), "replaceObjectAtIndex:withObject:", index, items_.size()));
  items_[index] = std::move(object);
}

// ---- NSDictionary ----

ValueDictionary NSDictionary::copy() const {
  std::vector<std::pair<std::string, Value>> pairs;
  enumerate([&](const std::string& k, const Value& v) { pairs.emplace_back(k, v); });
  return std::make_shared<NSMutableDictionary>(std::move(pairs), false);
}

ValueDictionary NSDictionary::mutableCopy() const {
  std::vector<std::pair<std::string, Value>> pairs;
  enumerate([&](const std::string& k, const Value& v) { pairs.emplace_back(k, v); });
  return std::make_shared<NSMutableDictionary>(std::move(pairs), true);
}

std::vector<std::string> NSDictionary::allKeys() const {
  std::vector<std::string> out;
  out.reserve(count());
  enumerate([&](const std::string& k, const Value&) { out.push_back(k); });
  return out;
}

std::vector<Value> NSDictionary::allValues() const {
  std::vector<Value> out;
  out.reserve(count());
  enumerate([&](const std::string&, const Value& v) { out.push_back(v); });
  return out;
}

void NSDictionary::removeAllObjects() {
  for (const auto& k : allKeys()) removeObjectForKey(k);
}

NSMutableDictionary::NSMutableDictionary(std::vector<std::pair<std::string, Value>> pairs,
                                         bool isMutable)
    : mutable_(isMutable) {
  order_.reserve(pairs.size());
  for (auto& [k, v] : pairs) put(std::move(v), k);
}

void NSMutableDictionary::requireMutable(const char* selector) const {
  if (!mutable_)
    NSException::raise(
        NSInternalInconsistencyException,
        "*** -[" + className() + " " + selector + "]: mutating method sent to immutable object");
}

size_t NSMutableDictionary::find(std::string_view key) const {
  if (order_.size() >= kIndexThreshold) {
    auto it = index_.find(std::string(key));
    return it == index_.end() ? size_t(-1) : it->second;
  }
  for (size_t i = 0; i < order_.size(); ++i)
    if (order_[i].first == key) return i;
  return size_t(-1);
}

const Value& NSMutableDictionary::objectRefForKey(std::string_view key) const {
  size_t i = find(key);
  return i == size_t(-1) ? Value::nil() : order_[i].second;
}

void NSMutableDictionary::enumerate(
    const std::function<void(const std::string&, const Value&)>& f) const {
  for (const auto& [k, v] : order_) f(k, v);
}

void NSMutableDictionary::put(Value object, std::string_view key) {
  size_t i = find(key);
  if (i != size_t(-1)) {
    order_[i].second = std::move(object);
    return;
  }
  order_.emplace_back(std::string(key), std::move(object));
  if (order_.size() == kIndexThreshold) {
    for (size_t j = 0; j < order_.size(); ++j) index_[order_[j].first] = j;
  } else if (order_.size() > kIndexThreshold) {
    index_[order_.back().first] = order_.size() - 1;
  }
}

void NSMutableDictionary::setObject(Value object, std::string_view key) {
  requireMutable("setObject:forKey:");
  if (object.isNil())
    NSException::raise(NSInvalidArgumentException,
                       "*** -[" + className() + " setObject:forKey:]: object cannot be nil (key: " +
                           std::string(key) + ")");
  put(std::move(object), key);
}

void NSMutableDictionary::removeObjectForKey(std::string_view key) {
  requireMutable("removeObjectForKey:");
  size_t i = find(key);
  if (i == size_t(-1)) return;
  order_.erase(order_.begin() + long(i));
  if (!index_.empty()) {
    index_.clear();
    if (order_.size() >= kIndexThreshold)
      for (size_t j = 0; j < order_.size(); ++j) index_[order_[j].first] = j;
  }
}

ValueArray makeArray(std::vector<Value> items) {
  return std::make_shared<NSMutableArray>(std::move(items), true);
}

ValueDictionary makeDictionary(std::initializer_list<std::pair<std::string, Value>> pairs) {
  auto d = std::make_shared<NSMutableDictionary>(true);
  for (const auto& [k, v] : pairs)
    if (!v.isNil()) d->setObject(v, k);
  return d;
}

// ---- the containers' classes

const NSClass& NSArray::classObject() {
  static const NSClass& cls = NSClass::declare("NSArray", &NSObject::classObject());
  return cls;
}

const NSClass& NSDictionary::classObject() {
  static const NSClass& cls = NSClass::declare("NSDictionary", &NSObject::classObject());
  return cls;
}

const NSClass& NSMutableArray::classObject() {
  static const NSClass& cls = NSClass::declare("NSMutableArray", &NSArray::classObject());
  return cls;
}

const NSClass& NSMutableDictionary::classObject() {
  static const NSClass& cls = NSClass::declare("NSMutableDictionary", &NSDictionary::classObject());
  return cls;
}

namespace {

const NSClass& mutableArrayClass() {
  static const NSClass& cls = NSClass::declare("__NSArrayM", &NSMutableArray::classObject());
  return cls;
}
const NSClass& frozenArrayClass() {
  static const NSClass& cls = NSClass::declare("__NSArrayI", &NSArray::classObject());
  return cls;
}
const NSClass& mutableDictionaryClass() {
  static const NSClass& cls =
      NSClass::declare("__NSDictionaryM", &NSMutableDictionary::classObject());
  return cls;
}
const NSClass& frozenDictionaryClass() {
  static const NSClass& cls = NSClass::declare("__NSDictionaryI", &NSDictionary::classObject());
  return cls;
}

// Known by name from the start, as every other class.
[[maybe_unused]] const bool containerClassesRegistered =
    (mutableArrayClass(), frozenArrayClass(), mutableDictionaryClass(), frozenDictionaryClass(),
     true);

}  // namespace

const NSClass& NSMutableArray::objectClass() const {
  return mutable_ ? mutableArrayClass() : frozenArrayClass();
}

const NSClass& NSMutableDictionary::objectClass() const {
  return mutable_ ? mutableDictionaryClass() : frozenDictionaryClass();
}

const std::string& NSArray::className() const {
  return objectClass().name();
}

const std::string& NSDictionary::className() const {
  return objectClass().name();
}

std::optional<std::string> textIfAny(const Value& v) {
  if (v.isString()) return std::string(v.string());
  if (v.isNumber()) return v.description();
  return std::nullopt;
}

std::string textOf(const Value& v) {
  if (v.isString()) return std::string(v.string());
  if (v.isNumber()) return v.description();
  return std::string();
}
