// Property lists, XML and binary.  A property list is a Value made of dictionaries, arrays,
// strings, numbers (booleans, integers, reals), data and dates; nil, NSNull and objects are not
// property-list values.  Containers read back are the platform's mutable, insertion-ordered
// containers in the file's order.
//
// Limits of the file formats as written here: XML dates keep whole seconds (binary keeps the
// fraction to the microsecond); dates must lie within 68 years of 2001 and unsigned integers must
// not exceed the signed 64-bit range, otherwise the write fails rather than storing a different
// value. Strings and keys are UTF-8 text without NUL, and containers nest 512 deep at most, both
// ways: a value beyond that is not written, and a file holding one reads as corrupt.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSError.h"
#include "Foundation/Value.h"

enum class NSPropertyListFormat { XML, Binary };

// NSCocoaErrorDomain codes.
inline constexpr long NSPropertyListReadCorruptError = 3840;
inline constexpr long NSPropertyListWriteInvalidError = 3852;

class NSPropertyListSerialization {
 public:
  // The encoded bytes; nullopt (and an error) when the value holds something that is not a
  // property-list value.
  static std::optional<std::string> dataWithPropertyList(const Value& plist,
                                                         NSPropertyListFormat format,
                                                         NSErrorPtr* error = nullptr);
  // Reads XML or binary (told apart by the content); nil (and an error) for anything else.
  static Value propertyListWithData(std::string_view data, NSPropertyListFormat* format = nullptr,
                                    NSErrorPtr* error = nullptr);
  // Whether the value can be written as a property list.
  static bool propertyList(const Value& plist);
};

// The property list in a file; nil when missing or unreadable.
Value propertyListWithContentsOfFile(std::string_view path, NSErrorPtr* error = nullptr);
// dictionaryWithContentsOfFile: / arrayWithContentsOfFile:: nullptr unless the file holds a
// property list of that kind.
ValueDictionary dictionaryWithContentsOfFile(std::string_view path);
ValueArray arrayWithContentsOfFile(std::string_view path);
// writeToFile:atomically: of a property list (XML unless told otherwise).
bool writePropertyListToFile(const Value& plist, std::string_view path, bool atomically = true,
                             NSPropertyListFormat format = NSPropertyListFormat::XML,
                             NSErrorPtr* error = nullptr);
