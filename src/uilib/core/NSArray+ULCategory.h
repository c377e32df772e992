// The UI library's operations on arrays and mutable collections.
#pragma once

#include <cstdint>
#include <string_view>

#include "Foundation/Value.h"

// getTimeValueForKey:defaultValue: (a class operation: it reads the text it is given, not a
// dictionary's entry).  The text is read as "Sat Jun 01 10:00:00 +0800 2013" or, failing that,
// as "Sat, 01 Jun 2013 10:00:00 +0800", and the time it names is returned in seconds since
// 1970.  Nil gives the default, NSNull counts as the empty text, other values are read by their
// description; a text neither form reads gives the default.
int64_t getTimeValueForKey(const Value& text, int64_t defaultValue);

// addNonEmptyString: appends the value when it is a string of at least one character.
void addNonEmptyString(NSArray& array, const Value& string);
// setNonEmptyString:forKey: stores the value under the key on the same condition.
void setNonEmptyString(NSDictionary& dictionary, const Value& string, std::string_view key);
