// The UI library's operations on arrays and mutable collections.
#pragma once

#include <cstdint>
#include <string_view>

#include "Foundation/NSClass.h"
#include "Foundation/Value.h"

// perform:, perform:withObject: ... with up to three objects: the selector is sent, through the
// class registry, to every element that is an object answering it.  A copy of the array taken
// first is walked, so elements may change the array meanwhile.
void perform(const NSArray& array, std::string_view selector);
void perform(const NSArray& array, std::string_view selector, const Value& first);
void perform(const NSArray& array, std::string_view selector, const Value& first,
             const Value& second);
void perform(const NSArray& array, std::string_view selector, const Value& first,
             const Value& second, const Value& third);
// makeObjectsPerformSelector:withObject:withObject:(withObject:): sent to every object element
// of the array itself, without asking whether it answers (one that does not does nothing).
void makeObjectsPerformSelector(const NSArray& array, std::string_view selector, const Value& first,
                                const Value& second);
void makeObjectsPerformSelector(const NSArray& array, std::string_view selector, const Value& first,
                                const Value& second, const Value& third);
// objectWithValue:forKey: the first element whose value for the key (a registered property of
// an object, an entry of a dictionary) is equal to the value; nil when none is.
Value objectWithValue(const NSArray& array, const Value& value, std::string_view key);
// objectWithClass: the first element of the class or one below it; nil when none is.
Value objectWithClass(const NSArray& array, const NSClass& cls);
// containsObject:withSelector: YES when the selector, sent to some element with the object,
// answers a value whose boolean reading is YES.
bool containsObject(const NSArray& array, const Value& object, std::string_view selector);

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
