// Text helpers of the platform's string class, as free functions over UTF-8 std::string:
// encodings and charset names, lengths and indices in UTF-16 units (the platform's unit of
// counting), comparison, trimming, splitting, the URL percent-escaping variants and
// stringWithFormat with the platform's conversions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/Value.h"

// ---- Encodings ----

using NSStringEncoding = unsigned long;
inline constexpr NSStringEncoding NSASCIIStringEncoding = 1;
inline constexpr NSStringEncoding NSUTF8StringEncoding = 4;
inline constexpr NSStringEncoding NSISOLatin1StringEncoding = 5;

using CFStringEncoding = uint32_t;
inline constexpr CFStringEncoding kCFStringEncodingISOLatin1 = 0x0201;
inline constexpr CFStringEncoding kCFStringEncodingASCII = 0x0600;
inline constexpr CFStringEncoding kCFStringEncodingGBK_95 = 0x0631;
inline constexpr CFStringEncoding kCFStringEncodingGB_18030_2000 = 0x0632;
inline constexpr CFStringEncoding kCFStringEncodingEUC_CN = 0x0930;
inline constexpr CFStringEncoding kCFStringEncodingUTF8 = 0x08000100;
inline constexpr CFStringEncoding kCFStringEncodingInvalidId = 0xffffffffu;

// CoreFoundation encodings that have no string-encoding constant of their own are carried as
// 0x80000000 | the CoreFoundation value.
NSStringEncoding CFStringConvertEncodingToNSStringEncoding(CFStringEncoding encoding);
CFStringEncoding CFStringConvertNSStringEncodingToEncoding(NSStringEncoding encoding);
// The GB18030 string encoding (0x80000632), as callers write it after converting the
// CoreFoundation constant.
inline constexpr NSStringEncoding NSGB18030StringEncoding =
    0x80000000ul | kCFStringEncodingGB_18030_2000;

// IANA character-set names, case-insensitive ("utf-8", "ISO-8859-1", "gb18030", "GBK" ...);
// kCFStringEncodingInvalidId for a name the platform does not know.
CFStringEncoding CFStringConvertIANACharSetNameToEncoding(std::string_view name);
// The IANA name of an encoding ("utf-8", "iso-8859-1", "us-ascii", "GB18030" ...); nullopt for
// an encoding without one.
std::optional<std::string> CFStringConvertEncodingToIANACharSetName(CFStringEncoding encoding);
// Whether text in the encoding can be decoded and encoded here.
bool isSupportedStringEncoding(NSStringEncoding encoding);

// Decodes bytes (initWithData:encoding:); nullopt when the bytes are not valid in the encoding
// (malformed UTF-8, bytes above 127 in ASCII, invalid GB18030 sequences) or the encoding is
// unknown.
std::optional<std::string> stringWithData(std::string_view bytes, NSStringEncoding encoding);
// Encodes text (dataUsingEncoding:allowLossyConversion:); nullopt when a character has no
// representation in the encoding, unless lossy, which writes "?" for it.
std::optional<std::string> dataUsingEncoding(std::string_view text, NSStringEncoding encoding,
                                             bool allowLossyConversion = false);
bool isValidUTF8(std::string_view bytes);

// Writes a code point (at most U+10FFFF) as UTF-8 into `out`, which has room for 4 bytes;
// returns the number of bytes.  Inline: the JSON reader calls it for every \u escape.
inline size_t encodeUTF8(char32_t cp, char* out) {
  if (cp < 0x80) {
    out[0] = char(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = char(0xC0 | (cp >> 6));
    out[1] = char(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = char(0xE0 | (cp >> 12));
    out[1] = char(0x80 | ((cp >> 6) & 0x3F));
    out[2] = char(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = char(0xF0 | (cp >> 18));
  out[1] = char(0x80 | ((cp >> 12) & 0x3F));
  out[2] = char(0x80 | ((cp >> 6) & 0x3F));
  out[3] = char(0x80 | (cp & 0x3F));
  return 4;
}
inline void appendUTF8(std::string& out, char32_t cp) {
  char buf[4];
  out.append(buf, encodeUTF8(cp, buf));
}
// UTF-16 units as UTF-8 text (initWithCharacters:length:); a lone surrogate becomes U+FFFD.
std::string stringWithCharacters(std::u16string_view characters);

// ---- Lengths and indices in UTF-16 units ----

struct NSRange {
  size_t location = 0;
  size_t length = 0;
  bool operator==(const NSRange&) const = default;
};
inline constexpr size_t NSNotFound = 0x7fffffffffffffffull;
inline NSRange NSMakeRange(size_t location, size_t length) {
  return {location, length};
}

// The character starting at a byte offset and its length in bytes; a byte that starts no valid
// UTF-8 sequence reads as U+FFFD of length 1.
char32_t codePointAtByteOffset(std::string_view text, size_t offset, size_t* length);
// Characters above U+FFFF count 2 (a surrogate pair); invalid UTF-8 bytes count 1 each.
size_t utf16Length(std::string_view text);
// The UTF-16 unit at an index; raises NSRangeException beyond the end.
char16_t characterAtIndex(std::string_view text, size_t index);
// Byte offset of a UTF-16 index (an index inside a surrogate pair maps to the start of that
// character); an index at or beyond the end gives text.size().
size_t byteOffsetOfUTF16Index(std::string_view text, size_t index);
// UTF-16 index of a byte offset (an offset inside a character maps to that character).
size_t utf16IndexOfByteOffset(std::string_view text, size_t byteOffset);

// Substrings by UTF-16 index.  An index that falls inside a surrogate pair is moved to the
// start of that pair, so no character is ever split and to + from give back the whole text.
// Indices beyond the length raise NSRangeException, as the platform does.
std::string substringToIndex(std::string_view text, size_t index);
std::string substringFromIndex(std::string_view text, size_t index);
std::string substringWithRange(std::string_view text, NSRange range);

// ---- Comparison and search ----

enum NSComparisonResult : int {
  NSOrderedAscending = -1,
  NSOrderedSame = 0,
  NSOrderedDescending = 1
};

enum NSStringCompareOptions : unsigned {
  NSCaseInsensitiveSearch = 1,
  NSLiteralSearch = 2,
  NSBackwardsSearch = 4,
  NSAnchoredSearch = 8,
};

// Ordering by UTF-16 units, as compare: orders the keys of a sorted writer.
NSComparisonResult compare(std::string_view a, std::string_view b);
// Ordering after Unicode case folding.
NSComparisonResult caseInsensitiveCompare(std::string_view a, std::string_view b);
bool hasPrefixCaseInsensitive(std::string_view text, std::string_view prefix);
// ASCII-only forms, for protocol names (header fields, schemes, SQL column names) where other
// characters must match exactly.
bool equalsIgnoringASCIICase(std::string_view a, std::string_view b);
std::string lowercaseASCIIString(std::string_view text);
// The text without the given ASCII characters at either end (by default blanks and line ends).
std::string_view trimmedASCII(std::string_view text, std::string_view characters = " \t\r\n");
std::string lowercaseString(std::string_view text);
std::string uppercaseString(std::string_view text);
// The first (or, with NSBackwardsSearch, last) occurrence, in UTF-16 units; {NSNotFound, 0}
// when absent or the needle is empty.
NSRange rangeOfString(std::string_view text, std::string_view needle, unsigned options = 0);

// ---- Character sets, trimming, splitting, replacing ----

class NSCharacterSet {
 public:
  explicit NSCharacterSet(std::function<bool(char32_t)> contains)
      : contains_(std::move(contains)) {}
  bool characterIsMember(char32_t c) const { return contains_(c); }

  // Space, tab and the other Unicode space separators.
  static NSCharacterSet whitespaceCharacterSet();
  // The above plus line ends (LF, VT, FF, CR, NEL, LS, PS).
  static NSCharacterSet whitespaceAndNewlineCharacterSet();
  static NSCharacterSet newlineCharacterSet();
  static NSCharacterSet characterSetWithCharactersInString(std::string_view characters);

 private:
  std::function<bool(char32_t)> contains_;
};

std::string stringByTrimmingCharactersInSet(std::string_view text, const NSCharacterSet& set);
// The same, as the part of `text` it is.
std::string_view stringViewByTrimmingCharactersInSet(std::string_view text,
                                                     const NSCharacterSet& set);
// Text split at every occurrence of the separator; the empty text gives one empty component.
std::vector<std::string> componentsSeparatedByString(std::string_view text,
                                                     std::string_view separator);
std::string stringByReplacingOccurrencesOfString(std::string_view text, std::string_view target,
                                                 std::string_view replacement);
// The same in place; text without the target (or an empty target) is left as it is and costs
// one search.
void replaceAll(std::string& text, std::string_view target, std::string_view replacement);

// ---- Percent escaping ----

// Escapes every character that may not stand in a URL (controls, space, " # % < > [ \ ] ^ `
// { | } and everything outside ASCII) as %XX of its bytes in the encoding, upper-case hex.
// nullopt when the text cannot be converted to the encoding.
std::optional<std::string> stringByAddingPercentEscapesUsingEncoding(std::string_view text,
                                                                     NSStringEncoding encoding);
// The CoreFoundation form: characters in charactersToLeaveUnescaped stay as they are even when
// illegal; legal characters listed in legalURLCharactersToBeEscaped are escaped as well
// (";/?:@&=$+{}<>," or "!*'();:@&=+$,/?%#[]" in the query builders).
std::optional<std::string> CFURLCreateStringByAddingPercentEscapes(
    std::string_view text, std::string_view charactersToLeaveUnescaped,
    std::string_view legalURLCharactersToBeEscaped, NSStringEncoding encoding);
// Replaces every %XX escape by its byte and reads the escaped bytes in the encoding; nullopt
// when an escape is malformed ("%", "%4", "%zz") or the bytes are not valid in the encoding.
std::optional<std::string> stringByReplacingPercentEscapesUsingEncoding(std::string_view text,
                                                                        NSStringEncoding encoding);

// ---- Formatting ----

// stringWithFormat: with Values as the arguments.  Conversions: %@ (the value's description),
// %d %i (32-bit) and with h hh l ll q z t j lengths, %u %o %x %X likewise unsigned, %f %F %e %E
// %g %G %a %A, %s, %c, %C (a UTF-16 unit), %p, %%; flags - + space # 0, width and precision
// (also as *), and positional arguments (%1$@).  A missing argument formats as nil.
std::string stringWithFormatArgs(std::string_view format, const std::vector<Value>& args);

template <class... Args>
std::string stringWithFormat(std::string_view format, const Args&... args) {
  return stringWithFormatArgs(format, std::vector<Value>{Value(args)...});
}
