#include "Foundation/NSPropertyList.h"

#include <plist/plist.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSPropertyListCheck.h"
#include "Foundation/NSString.h"

namespace {

constexpr const char* kCorruptText =
    "The data couldn\u2019t be read because it isn\u2019t in the correct format.";

// Seconds between 1970-01-01 and the property lists' epoch, 2001-01-01.
constexpr double kEpoch2001 = 978307200.0;

struct PlistFree {
  void operator()(void* p) const { plist_free(static_cast<plist_t>(p)); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

NSErrorPtr plistError(long code, std::string text) {
  return NSError::withDescription(NSCocoaErrorDomain, code, std::move(text));
}

// Builds the libplist tree; on failure returns null and sets why.  `depth` counts the
// containers around the value.
plist_t toPlist(const Value& v, std::string& why, size_t depth = 0) {
  if ((v.isArray() || v.isDictionary()) && depth >= kPropertyListMaxDepth) {
    why = "containers nested deeper than " + std::to_string(kPropertyListMaxDepth);
    return nullptr;
  }
  switch (v.kind()) {
    case Value::Kind::Bool:
      return plist_new_bool(v.boolValue() ? 1 : 0);
    case Value::Kind::Char:
    case Value::Kind::Int:
      return plist_new_uint(uint64_t(v.longLongValue()));
    case Value::Kind::UInt: {
      unsigned long long u = v.unsignedLongLongValue();
      if (u > uint64_t(std::numeric_limits<int64_t>::max())) {
        why = "unsigned integer " + std::to_string(u) + " is beyond the property-list range";
        return nullptr;
      }
      return plist_new_uint(u);
    }
    case Value::Kind::Double:
      return plist_new_real(v.doubleValue());
    case Value::Kind::String:
      // Neither format as written here can carry a NUL inside a string, and the binary one
      // would store text that is not UTF-8 as an empty string.
      if (v.string().find('\0') != std::string::npos) {
        why = "a string holding a NUL character is not supported";
        return nullptr;
      }
      if (!isValidUTF8(v.string())) {
        why = "a string that is not UTF-8 text is not supported";
        return nullptr;
      }
      return plist_new_string(v.string().data());
    case Value::Kind::Data:
      return plist_new_data(v.bytes().data(), v.bytes().size());
    case Value::Kind::Date: {
      double since2001 = v.dateSeconds() - kEpoch2001;
      double whole = std::floor(since2001);
      if (!std::isfinite(since2001) || whole < double(std::numeric_limits<int32_t>::min()) ||
          whole > double(std::numeric_limits<int32_t>::max())) {
        why = "date " + v.description() + " is beyond the property-list date range";
        return nullptr;
      }
      int32_t usec = int32_t(std::lround((since2001 - whole) * 1e6));
      int32_t sec = int32_t(whole);
      if (usec >= 1000000) {
        if (sec == std::numeric_limits<int32_t>::max()) {
          usec = 999999;
        } else {
          ++sec;
          usec -= 1000000;
        }
      }
      return plist_new_date(sec, usec);
    }
    case Value::Kind::Array: {
      plist_t a = plist_new_array();
      for (const Value& item : *v.array()) {
        plist_t child = toPlist(item, why, depth + 1);
        if (!child) {
          plist_free(a);
          return nullptr;
        }
        plist_array_append_item(a, child);
      }
      return a;
    }
    case Value::Kind::Dictionary: {
      plist_t d = plist_new_dict();
      bool ok = true;
      v.dictionary()->enumerate([&](const std::string& key, const Value& item) {
        if (!ok) return;
        if (key.find('\0') != std::string::npos || !isValidUTF8(key)) {
          why = "a key that is not UTF-8 text without NUL is not supported";
          ok = false;
          return;
        }
        plist_t child = toPlist(item, why, depth + 1);
        if (!child) {
          ok = false;
          return;
        }
        plist_dict_set_item(d, key.c_str(), child);
      });
      if (!ok) {
        plist_free(d);
        return nullptr;
      }
      return d;
    }
    case Value::Kind::Nil:
      why = "nil is not a property-list value";
      return nullptr;
    case Value::Kind::Null:
      why = "NSNull is not a property-list value";
      return nullptr;
    case Value::Kind::Object:
      why = "an object is not a property-list value";
      return nullptr;
  }
  return nullptr;
}

Value fromPlist(plist_t node) {
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      uint8_t b = 0;
      plist_get_bool_val(node, &b);
      return Value(b != 0);
    }
    case PLIST_UINT: {
      // libplist keeps every integer as 64 bits; the values we write are signed.
      uint64_t u = 0;
      plist_get_uint_val(node, &u);
      return Value((long long)(int64_t)u);
    }
    case PLIST_REAL: {
      double d = 0;
      plist_get_real_val(node, &d);
      return Value(d);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
      char* s = nullptr;
      if (plist_get_node_type(node) == PLIST_KEY) {
        plist_get_key_val(node, &s);
      } else {
        plist_get_string_val(node, &s);
      }
      // Text that is not UTF-8 (an "ASCII" string beyond ASCII, a mis-encoded XML file) is no
      // string of ours: the file reads as corrupt.
      std::string text(s ? s : "");
      std::free(s);
      if (!isValidUTF8(text)) return {};
      return Value(std::move(text));
    }
    case PLIST_DATA: {
      uint64_t len = 0;
      const char* p = plist_get_data_ptr(node, &len);
      return Value::data(std::string(p ? p : "", p ? size_t(len) : 0));
    }
    case PLIST_DATE: {
      int32_t sec = 0, usec = 0;
      plist_get_date_val(node, &sec, &usec);
      // libplist splits a date toward zero and gives the fraction unsigned, so dates before
      // 2001 carry it with the opposite sign (and one within the second before 2001 reads as
      // the second after it).
      double fraction = double(usec) / 1e6;
      return Value::date(kEpoch2001 + double(sec) + (sec < 0 ? -fraction : fraction));
    }
    case PLIST_ARRAY: {
      auto a = makeArray();
      uint32_t n = plist_array_get_size(node);
      for (uint32_t i = 0; i < n; ++i) {
        Value item = fromPlist(plist_array_get_item(node, i));
        if (item.isNil()) return {};
        a->addObject(std::move(item));
      }
      return Value(a);
    }
    case PLIST_DICT: {
      auto d = makeDictionary();
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      for (;;) {
        char* key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, it, &key, &item);
        if (!key) break;
        Value v = item ? fromPlist(item) : Value();
        std::string k(key);
        std::free(key);
        if (v.isNil() || !isValidUTF8(k)) {
          std::free(it);
          return {};
        }
        d->setObject(std::move(v), k);
      }
      std::free(it);
      return Value(d);
    }
    case PLIST_UID: {
      uint64_t u = 0;
      plist_get_uid_val(node, &u);
      return Value((unsigned long long)u);
    }
    default:
      return {};
  }
}

}  // namespace

bool NSPropertyListSerialization::propertyList(const Value& plist) {
  std::string why;
  PlistPtr p(toPlist(plist, why));
  return p != nullptr;
}

std::optional<std::string> NSPropertyListSerialization::dataWithPropertyList(
    const Value& plist, NSPropertyListFormat format, NSErrorPtr* error) {
  std::string why;
  PlistPtr root(toPlist(plist, why));
  if (!root) {
    if (error)
      *error =
          plistError(NSPropertyListWriteInvalidError, "Property list invalid for format: " + why);
    return std::nullopt;
  }
  char* out = nullptr;
  uint32_t len = 0;
  if (format == NSPropertyListFormat::XML) {
    plist_to_xml(root.get(), &out, &len);
  } else {
    plist_to_bin(root.get(), &out, &len);
  }
  if (!out) {
    if (error)
      *error = plistError(NSPropertyListWriteInvalidError, "Property list could not be encoded");
    return std::nullopt;
  }
  std::string bytes(out, len);
  if (format == NSPropertyListFormat::XML) {
    plist_to_xml_free(out);
  } else {
    plist_to_bin_free(out);
  }
  return bytes;
}

Value NSPropertyListSerialization::propertyListWithData(std::string_view data,
                                                        NSPropertyListFormat* format,
                                                        NSErrorPtr* error) {
  auto corrupt = [&] {
    if (error) *error = plistError(NSPropertyListReadCorruptError, kCorruptText);
    return Value();
  };
  if (data.empty() || data.size() > std::numeric_limits<uint32_t>::max()) return corrupt();
  bool binary = plist_is_binary(data.data(), uint32_t(data.size())) != 0;
  plist_t raw = nullptr;
  if (binary) {
    // What the library cannot take never reaches it (see NSPropertyListCheck.h).
    if (!binaryPropertyListIsAcceptable(data)) return corrupt();
    plist_from_bin(data.data(), uint32_t(data.size()), &raw);
  } else {
    // The XML reader wants to see the document start; anything else is not a property list.
    size_t first = data.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && data.substr(first, 3) == "\xEF\xBB\xBF")
      first = data.find_first_not_of(" \t\r\n", first + 3);
    if (first == std::string_view::npos || data[first] != '<') return corrupt();
    if (!xmlPropertyListIsAcceptable(data)) return corrupt();
    plist_from_xml(data.data(), uint32_t(data.size()), &raw);
  }
  PlistPtr root(raw);
  if (!root) return corrupt();
  Value v = fromPlist(root.get());
  if (v.isNil()) return corrupt();
  if (format) *format = binary ? NSPropertyListFormat::Binary : NSPropertyListFormat::XML;
  return v;
}

Value propertyListWithContentsOfFile(std::string_view path, NSErrorPtr* error) {
  std::optional<std::string> bytes = dataWithContentsOfFile(path, error);
  if (!bytes) return {};
  return NSPropertyListSerialization::propertyListWithData(*bytes, nullptr, error);
}

ValueDictionary dictionaryWithContentsOfFile(std::string_view path) {
  return propertyListWithContentsOfFile(path).dictionary();
}

ValueArray arrayWithContentsOfFile(std::string_view path) {
  return propertyListWithContentsOfFile(path).array();
}

bool writePropertyListToFile(const Value& plist, std::string_view path, bool atomically,
                             NSPropertyListFormat format, NSErrorPtr* error) {
  std::optional<std::string> bytes =
      NSPropertyListSerialization::dataWithPropertyList(plist, format, error);
  if (!bytes) return false;
  return writeToFile(path, *bytes, atomically, error);
}
