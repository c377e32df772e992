#include "propertylist/PropertyListFuzzCheck.h"

#include <cmath>
#include <cstring>
#include <string_view>

#include "Foundation/NSPropertyList.h"
#include "Foundation/NSString.h"

namespace {

constexpr size_t kMaxDepth = 512;

// Equality as a property list keeps it: reals bit for bit (NaN included; XML keeps no sign of
// zero), dates to the microsecond (the library's own unit) or, through XML, to the second,
// containers in order.
bool same(const Value& a, const Value& b, bool throughXML) {
  if (a.kind() == Value::Kind::Double && b.kind() == Value::Kind::Double) {
    double x = a.doubleValue(), y = b.doubleValue();
    if (std::isnan(x) || std::isnan(y)) return std::isnan(x) && std::isnan(y);
    return throughXML ? x == y : std::memcmp(&x, &y, sizeof x) == 0;
  }
  if (a.isDate() && b.isDate()) {
    if (!throughXML) return std::fabs(a.dateSeconds() - b.dateSeconds()) < 2e-6;
    return std::fabs(a.dateSeconds() - b.dateSeconds()) < 1.0;
  }
  if (a.isArray() && b.isArray()) {
    if (a.count() != b.count()) return false;
    for (size_t i = 0; i < a.count(); ++i)
      if (!same(a[i], b[i], throughXML)) return false;
    return true;
  }
  if (a.isDictionary() && b.isDictionary()) {
    if (a.count() != b.count()) return false;
    bool equal = true;
    a.dictionary()->enumerate([&](const std::string& key, const Value& item) {
      if (equal && !same(item, b.dictionary()->objectForKey(key), throughXML)) equal = false;
    });
    return equal;
  }
  return a.isEqual(b);
}

// The containers around the deepest value; a string or key holding NUL makes it fail.
std::string shape(const Value& v, size_t depth, size_t* values) {
  ++*values;
  if (v.isString() && (v.string().find('\0') != std::string::npos || !isValidUTF8(v.string())))
    return "a string holds NUL or is not UTF-8";
  if (!v.isArray() && !v.isDictionary()) return {};
  if (depth + 1 > kMaxDepth) return "containers nested deeper than 512";
  std::string fault;
  if (v.isArray()) {
    for (const Value& item : *v.array()) {
      fault = shape(item, depth + 1, values);
      if (!fault.empty()) return fault;
    }
  } else {
    v.dictionary()->enumerate([&](const std::string& key, const Value& item) {
      if (!fault.empty()) return;
      if (key.find('\0') != std::string::npos || !isValidUTF8(key))
        fault = "a key holds NUL or is not UTF-8";
      if (fault.empty()) fault = shape(item, depth + 1, values);
    });
  }
  return fault;
}

}  // namespace

std::string propertyListFuzzCheck(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  NSPropertyListFormat format{};
  NSErrorPtr error;
  Value v = NSPropertyListSerialization::propertyListWithData(bytes, &format, &error);
  if (v.isNil()) {
    if (!error) return "nil without an error";
    if (error->code() != NSPropertyListReadCorruptError) return "nil with another error code";
    return {};
  }
  if (error) return "a value and an error";

  size_t values = 0;
  std::string fault = shape(v, 0, &values);
  if (!fault.empty()) return fault;
  // Every value is written out by at least one byte of its own (shared binary objects may
  // count a few times over).
  if (values > 4 * size + 1024) return "more values than the data can hold";

  // What was read is written in both formats and reads back the same; a second reading of the
  // same bytes agrees too.
  if (!same(NSPropertyListSerialization::propertyListWithData(bytes), v, false))
    return "a second reading differs";
  for (auto out : {NSPropertyListFormat::Binary, NSPropertyListFormat::XML}) {
    const char* name = out == NSPropertyListFormat::XML ? "XML" : "binary";
    NSErrorPtr writeError;
    auto written = NSPropertyListSerialization::dataWithPropertyList(v, out, &writeError);
    if (!written)
      return std::string("what was read cannot be written as ") + name + ": " +
             (writeError ? writeError->localizedDescription() : "no error");
    NSPropertyListFormat readFormat{};
    Value back = NSPropertyListSerialization::propertyListWithData(*written, &readFormat);
    if (back.isNil()) return std::string("the ") + name + " copy does not read back";
    if (readFormat != out) return std::string("the ") + name + " copy reads as the other format";
    if (!same(back, v, out == NSPropertyListFormat::XML))
      return std::string("the ") + name +
             " copy reads back different: " + back.description().substr(0, 300) +
             "\nread: " + v.description().substr(0, 300);
  }
  return {};
}
