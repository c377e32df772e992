// The UI library's operations on strings: appending with a guard, white-space tests, markup
// stripping, URL queries and percent-escaping, digests, version comparison and new GUIDs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSString.h"
#include "Foundation/Value.h"
#include "uilib/core/NSData+ULCategory.h"

// The text followed by the argument when that is a non-empty string; otherwise the text alone
// (no argument, a number, the empty string).
std::string stringByAppendingStringNormal(std::string_view text, const Value& argument);

// YES when every character is white space or a line end (YES for "").
bool isWhitespaceAndNewlines(std::string_view text);
// YES for "" or when nothing is left after trimming spaces and tabs (line ends count).
bool isEmptyOrWhitespace(std::string_view text);

// The character data of the text read as markup (ULMarkupStripper).
std::string stringByRemovingHTMLTags(std::string_view text);

// "a=1&b=2;c=3" -> {a: 1, b: 2, c: 3}: pieces split at "&" and ";", each of exactly two parts
// around "=", both percent-unescaped in the encoding (a later name wins; a piece that does not
// unescape is skipped).  An immutable dictionary.
ValueDictionary queryDictionaryUsingEncoding(std::string_view query, NSStringEncoding encoding);
// "a=1&a=2&b" -> {a: [1, 2], b: [null]}: every value of a name in order; a piece without "="
// adds the null object, one with more than one "=" is skipped.
ValueDictionary queryContentsUsingEncoding(std::string_view query, NSStringEncoding encoding);
// The URL with "name=value" pairs joined by "&" (the values' "?" and "=" escaped, nothing else)
// added after "?", or after "&" when the URL already holds a "?".
std::string stringByAddingQueryDictionary(std::string_view url, const ValueDictionary& query);

// Percent-escapes (UTF-8) what may not stand in a URL and also ! * ( ) ; : @ & = $ , / ? % # [ ]
// and U+2019; "'" and "+" stay.
std::string urlEncoded(std::string_view text);
// Percent-escapes (UTF-8) what may not stand in a URL and also U+FFFC = , ! $ & ' ( ) * + ; @ ?
// line feed " < > # tab space : /.
std::string URLEncodedString(std::string_view text);
// Every percent escape replaced (UTF-8); nullopt when an escape is malformed or the bytes are
// not UTF-8.
std::optional<std::string> URLDecodedString(std::string_view text);

// Compares version texts: each is split at the letter "a"; the first parts compare as plain
// strings ("1.10" < "1.9"); when those are equal a release is newer than its alpha ("1.0" >
// "1.0a2"), and two alphas compare by the integer after the "a".
NSComparisonResult versionStringCompare(std::string_view version, std::string_view other);

// A new UUID in its canonical text form.
std::string generateGuid();
