#include "Foundation/NSString.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "Foundation/NSException.h"

namespace {

// One decoded character of a UTF-8 text.  Invalid bytes decode one at a time as U+FFFD.
struct Utf8Char {
  char32_t cp;
  size_t len;
  bool valid;
};

Utf8Char decodeAt(std::string_view s, size_t i) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = b(i);
  if (c < 0x80) return {c, 1, true};
  size_t need;
  char32_t cp;
  char32_t min;
  if (c >= 0xC2 && c <= 0xDF) {
    need = 1;
    cp = c & 0x1F;
    min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    need = 2;
    cp = c & 0x0F;
    min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    need = 3;
    cp = c & 0x07;
    min = 0x10000;
  } else {
    return {0xFFFD, 1, false};
  }
  if (i + need >= s.size()) return {0xFFFD, 1, false};
  for (size_t k = 1; k <= need; ++k) {
    unsigned char cc = b(i + k);
    if ((cc & 0xC0) != 0x80) return {0xFFFD, 1, false};
    cp = (cp << 6) | (cc & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {0xFFFD, 1, false};
  return {cp, need + 1, true};
}

size_t unitsOf(char32_t cp) {
  return cp >= 0x10000 ? 2 : 1;
}

std::u16string toUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    Utf8Char c = decodeAt(s, i);
    if (c.cp >= 0x10000) {
      char32_t v = c.cp - 0x10000;
      out += char16_t(0xD800 + (v >> 10));
      out += char16_t(0xDC00 + (v & 0x3FF));
    } else {
      out += char16_t(c.cp);
    }
    i += c.len;
  }
  return out;
}

icu::UnicodeString toIcu(std::string_view s) {
  return icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), int32_t(s.size())));
}

std::string fromIcu(const icu::UnicodeString& u) {
  std::string out;
  u.toUTF8String(out);
  return out;
}

// ICU converter names of the encodings that are not handled by hand.
const char* icuConverterName(NSStringEncoding encoding) {
  switch (CFStringConvertNSStringEncodingToEncoding(encoding)) {
    case kCFStringEncodingGB_18030_2000:
      return "GB18030";
    case kCFStringEncodingGBK_95:
      return "GBK";
    case kCFStringEncodingEUC_CN:
      return "GB2312";
    default:
      return nullptr;
  }
}

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openConverter(const char* name) {
  UErrorCode st = U_ZERO_ERROR;
  Converter c(ucnv_open(name, &st));
  if (U_FAILURE(st)) return nullptr;
  return c;
}

std::optional<std::string> icuDecode(std::string_view bytes, const char* name) {
  Converter conv = openConverter(name);
  if (!conv) return std::nullopt;
  UErrorCode st = U_ZERO_ERROR;
  ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &st);
  std::u16string buf(bytes.size() + 1, u'\0');
  int32_t n = ucnv_toUChars(conv.get(), buf.data(), int32_t(buf.size()), bytes.data(),
                            int32_t(bytes.size()), &st);
  if (U_FAILURE(st)) return std::nullopt;
  return fromIcu(icu::UnicodeString(buf.data(), n));
}

std::optional<std::string> icuEncode(std::string_view text, const char* name, bool lossy) {
  Converter conv = openConverter(name);
  if (!conv) return std::nullopt;
  UErrorCode st = U_ZERO_ERROR;
  if (lossy) {
    ucnv_setSubstChars(conv.get(), "?", 1, &st);
    ucnv_setFromUCallBack(conv.get(), UCNV_FROM_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr,
                          &st);
  } else {
    ucnv_setFromUCallBack(conv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &st);
  }
  if (U_FAILURE(st)) return std::nullopt;
  std::u16string src = toUtf16(text);
  std::string out(src.size() * 4 + 4, '\0');
  int32_t n = ucnv_fromUChars(conv.get(), out.data(), int32_t(out.size()), src.data(),
                              int32_t(src.size()), &st);
  if (U_FAILURE(st)) return std::nullopt;
  out.resize(size_t(n));
  return out;
}

[[noreturn]] void raiseRange(const char* selector, std::string detail) {
  NSException::raise(NSRangeException,
                     std::string("*** -[__NSCFString ") + selector + "]: " + std::move(detail));
}

[[noreturn]] void raiseIndexBeyond(const char* selector, size_t index, size_t length) {
  raiseRange(selector, "Index " + std::to_string(index) + " out of bounds; string length " +
                           std::to_string(length));
}

}  // namespace

// ---- Encodings ----

NSStringEncoding CFStringConvertEncodingToNSStringEncoding(CFStringEncoding encoding) {
  switch (encoding) {
    case kCFStringEncodingUTF8:
      return NSUTF8StringEncoding;
    case kCFStringEncodingISOLatin1:
      return NSISOLatin1StringEncoding;
    case kCFStringEncodingASCII:
      return NSASCIIStringEncoding;
    case kCFStringEncodingInvalidId:
      return 0xffffffffu;
    default:
      return 0x80000000ul | encoding;
  }
}

CFStringEncoding CFStringConvertNSStringEncodingToEncoding(NSStringEncoding encoding) {
  switch (encoding) {
    case NSUTF8StringEncoding:
      return kCFStringEncodingUTF8;
    case NSISOLatin1StringEncoding:
      return kCFStringEncodingISOLatin1;
    case NSASCIIStringEncoding:
      return kCFStringEncodingASCII;
    default:
      if (encoding & 0x80000000ul) return CFStringEncoding(encoding & 0x7fffffffu);
      return kCFStringEncodingInvalidId;
  }
}

CFStringEncoding CFStringConvertIANACharSetNameToEncoding(std::string_view name) {
  std::string n = lowercaseASCIIString(name);
  // Names arrive from headers: allow surrounding blanks and quotes.
  while (!n.empty() && (n.back() == ' ' || n.back() == '"' || n.back() == '\'')) n.pop_back();
  size_t start = n.find_first_not_of(" \"'");
  n = start == std::string::npos ? std::string() : n.substr(start);
  struct Entry {
    const char* name;
    CFStringEncoding encoding;
  };
  static const Entry table[] = {
      {"utf-8", kCFStringEncodingUTF8},
      {"utf8", kCFStringEncodingUTF8},
      {"unicode-1-1-utf-8", kCFStringEncodingUTF8},
      {"iso-8859-1", kCFStringEncodingISOLatin1},
      {"iso_8859-1", kCFStringEncodingISOLatin1},
      {"iso8859-1", kCFStringEncodingISOLatin1},
      {"latin1", kCFStringEncodingISOLatin1},
      {"l1", kCFStringEncodingISOLatin1},
      {"iso-ir-100", kCFStringEncodingISOLatin1},
      {"cp819", kCFStringEncodingISOLatin1},
      {"ibm819", kCFStringEncodingISOLatin1},
      {"csisolatin1", kCFStringEncodingISOLatin1},
      {"us-ascii", kCFStringEncodingASCII},
      {"ascii", kCFStringEncodingASCII},
      {"us", kCFStringEncodingASCII},
      {"iso646-us", kCFStringEncodingASCII},
      {"ansi_x3.4-1968", kCFStringEncodingASCII},
      {"csascii", kCFStringEncodingASCII},
      {"gb18030", kCFStringEncodingGB_18030_2000},
      {"gbk", kCFStringEncodingGBK_95},
      {"cp936", kCFStringEncodingGBK_95},
      {"ms936", kCFStringEncodingGBK_95},
      {"windows-936", kCFStringEncodingGBK_95},
      {"gb2312", kCFStringEncodingEUC_CN},
      {"euc-cn", kCFStringEncodingEUC_CN},
      {"csgb2312", kCFStringEncodingEUC_CN},
  };
  for (const Entry& e : table)
    if (n == e.name) return e.encoding;
  return kCFStringEncodingInvalidId;
}

std::optional<std::string> CFStringConvertEncodingToIANACharSetName(CFStringEncoding encoding) {
  switch (encoding) {
    case kCFStringEncodingUTF8:
      return "utf-8";
    case kCFStringEncodingISOLatin1:
      return "iso-8859-1";
    case kCFStringEncodingASCII:
      return "us-ascii";
    case kCFStringEncodingGB_18030_2000:
      return "GB18030";
    case kCFStringEncodingGBK_95:
      return "GBK";
    case kCFStringEncodingEUC_CN:
      return "GB2312";
    default:
      return std::nullopt;
  }
}

bool isSupportedStringEncoding(NSStringEncoding encoding) {
  return encoding == NSUTF8StringEncoding || encoding == NSISOLatin1StringEncoding ||
         encoding == NSASCIIStringEncoding || icuConverterName(encoding) != nullptr;
}

bool isValidUTF8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    Utf8Char c = decodeAt(bytes, i);
    if (!c.valid) return false;
    i += c.len;
  }
  return true;
}

std::string stringWithCharacters(std::u16string_view characters) {
  std::string out;
  out.reserve(characters.size());
  size_t n = characters.size();
  for (size_t k = 0; k < n; ++k) {
    char16_t u = characters[k];
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < n && characters[k + 1] >= 0xDC00 &&
        characters[k + 1] <= 0xDFFF) {
      appendUTF8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (characters[k + 1] - 0xDC00));
      ++k;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      appendUTF8(out, 0xFFFD);
    } else {
      appendUTF8(out, u);
    }
  }
  return out;
}

std::optional<std::string> stringWithData(std::string_view bytes, NSStringEncoding encoding) {
  switch (encoding) {
    case NSUTF8StringEncoding:
      if (!isValidUTF8(bytes)) return std::nullopt;
      return std::string(bytes);
    case NSASCIIStringEncoding:
      for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
      return std::string(bytes);
    case NSISOLatin1StringEncoding: {
      std::string out;
      out.reserve(bytes.size());
      for (char c : bytes) appendUTF8(out, static_cast<unsigned char>(c));
      return out;
    }
    default:
      if (const char* name = icuConverterName(encoding)) return icuDecode(bytes, name);
      return std::nullopt;
  }
}

std::optional<std::string> dataUsingEncoding(std::string_view text, NSStringEncoding encoding,
                                             bool allowLossyConversion) {
  switch (encoding) {
    case NSUTF8StringEncoding:
      return std::string(text);
    case NSASCIIStringEncoding:
    case NSISOLatin1StringEncoding: {
      char32_t limit = encoding == NSASCIIStringEncoding ? 0x80 : 0x100;
      std::string out;
      out.reserve(text.size());
      for (size_t i = 0; i < text.size();) {
        Utf8Char c = decodeAt(text, i);
        i += c.len;
        if (c.cp < limit && c.valid) {
          out += char(c.cp);
        } else if (allowLossyConversion) {
          out += '?';
        } else {
          return std::nullopt;
        }
      }
      return out;
    }
    default:
      if (const char* name = icuConverterName(encoding))
        return icuEncode(text, name, allowLossyConversion);
      return std::nullopt;
  }
}

// ---- UTF-16 units ----

namespace {

// A character of a text with its byte offset and UTF-16 index; past the last character, `byte`
// is the text's size, `unit` its UTF-16 length and `c` empty.
struct TextPosition {
  size_t byte;
  size_t unit;
  Utf8Char c;
};

// Walks the characters from the start to the first one that `stop` accepts.
template <class Stop>
TextPosition findPosition(std::string_view text, Stop stop) {
  size_t units = 0;
  for (size_t i = 0; i < text.size();) {
    Utf8Char c = decodeAt(text, i);
    if (stop(i, units, c)) return {i, units, c};
    units += unitsOf(c.cp);
    i += c.len;
  }
  return {text.size(), units, {0, 0, false}};
}

// The character that holds a UTF-16 index.
TextPosition positionOfUTF16Index(std::string_view text, size_t index) {
  return findPosition(text, [index](size_t, size_t units, const Utf8Char& c) {
    return units + unitsOf(c.cp) > index;
  });
}

// Byte offset of a UTF-16 index that may be the text's length but not beyond it.
size_t checkedByteOffset(const char* selector, std::string_view text, size_t index) {
  size_t len = utf16Length(text);
  if (index > len) raiseIndexBeyond(selector, index, len);
  return byteOffsetOfUTF16Index(text, index);
}

}  // namespace

char32_t codePointAtByteOffset(std::string_view text, size_t offset, size_t* length) {
  Utf8Char c = decodeAt(text, offset);
  *length = c.len;
  return c.cp;
}

size_t utf16Length(std::string_view text) {
  return findPosition(text, [](size_t, size_t, const Utf8Char&) { return false; }).unit;
}

size_t byteOffsetOfUTF16Index(std::string_view text, size_t index) {
  return positionOfUTF16Index(text, index).byte;
}

size_t utf16IndexOfByteOffset(std::string_view text, size_t byteOffset) {
  auto holdsOffset = [byteOffset](size_t i, size_t, const Utf8Char& c) {
    return i + c.len > byteOffset;
  };
  return findPosition(text, holdsOffset).unit;
}

char16_t characterAtIndex(std::string_view text, size_t index) {
  TextPosition p = positionOfUTF16Index(text, index);
  if (p.byte == text.size()) raiseIndexBeyond("characterAtIndex:", index, p.unit);
  if (unitsOf(p.c.cp) == 1) return char16_t(p.c.cp);
  char32_t v = p.c.cp - 0x10000;
  return index == p.unit ? char16_t(0xD800 + (v >> 10)) : char16_t(0xDC00 + (v & 0x3FF));
}

std::string substringToIndex(std::string_view text, size_t index) {
  return std::string(text.substr(0, checkedByteOffset("substringToIndex:", text, index)));
}

std::string substringFromIndex(std::string_view text, size_t index) {
  return std::string(text.substr(checkedByteOffset("substringFromIndex:", text, index)));
}

std::string substringWithRange(std::string_view text, NSRange range) {
  size_t len = utf16Length(text);
  if (range.location > len || range.length > len - range.location)
    raiseRange("substringWithRange:", "Range {" + std::to_string(range.location) + ", " +
                                          std::to_string(range.length) +
                                          "} out of bounds; string length " + std::to_string(len));
  size_t a = byteOffsetOfUTF16Index(text, range.location);
  size_t b = byteOffsetOfUTF16Index(text, range.location + range.length);
  return std::string(text.substr(a, b - a));
}

// ---- Comparison and search ----

NSComparisonResult compare(std::string_view a, std::string_view b) {
  int r = toUtf16(a).compare(toUtf16(b));
  return r < 0 ? NSOrderedAscending : r > 0 ? NSOrderedDescending : NSOrderedSame;
}

NSComparisonResult caseInsensitiveCompare(std::string_view a, std::string_view b) {
  int8_t r = toIcu(a).caseCompare(toIcu(b), U_FOLD_CASE_DEFAULT);
  return r < 0 ? NSOrderedAscending : r > 0 ? NSOrderedDescending : NSOrderedSame;
}

bool hasPrefixCaseInsensitive(std::string_view text, std::string_view prefix) {
  icu::UnicodeString t = toIcu(text).foldCase();
  icu::UnicodeString p = toIcu(prefix).foldCase();
  return t.startsWith(p);
}

bool equalsIgnoringASCIICase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

std::string_view trimmedASCII(std::string_view text, std::string_view characters) {
  size_t begin = text.find_first_not_of(characters);
  if (begin == std::string_view::npos) return text.substr(text.size());
  return text.substr(begin, text.find_last_not_of(characters) - begin + 1);
}

std::string lowercaseASCIIString(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return out;
}

std::string lowercaseString(std::string_view text) {
  return fromIcu(toIcu(text).toLower(icu::Locale::getRoot()));
}

std::string uppercaseString(std::string_view text) {
  return fromIcu(toIcu(text).toUpper(icu::Locale::getRoot()));
}

NSRange rangeOfString(std::string_view text, std::string_view needle, unsigned options) {
  if (needle.empty() || text.empty()) return {NSNotFound, 0};
  bool fold = options & NSCaseInsensitiveSearch;
  auto codePoints = [fold](std::string_view s) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < s.size();) {
      Utf8Char c = decodeAt(s, i);
      out.push_back(fold ? char32_t(u_foldCase(UChar32(c.cp), U_FOLD_CASE_DEFAULT)) : c.cp);
      i += c.len;
    }
    return out;
  };
  std::vector<char32_t> t = codePoints(text), n = codePoints(needle);
  if (n.size() > t.size()) return {NSNotFound, 0};
  auto matchAt = [&](size_t k) { return std::equal(n.begin(), n.end(), t.begin() + long(k)); };
  size_t last = t.size() - n.size();
  size_t found = NSNotFound;
  if (options & NSBackwardsSearch) {
    if (options & NSAnchoredSearch) {
      if (matchAt(last)) found = last;
    } else {
      for (size_t k = last + 1; k-- > 0;)
        if (matchAt(k)) {
          found = k;
          break;
        }
    }
  } else if (options & NSAnchoredSearch) {
    if (matchAt(0)) found = 0;
  } else {
    for (size_t k = 0; k <= last; ++k)
      if (matchAt(k)) {
        found = k;
        break;
      }
  }
  if (found == NSNotFound) return {NSNotFound, 0};
  // Code-point positions back to UTF-16 units, counted on the original text.
  std::vector<char32_t> orig = [&] {
    std::vector<char32_t> out;
    for (size_t i = 0; i < text.size();) {
      Utf8Char c = decodeAt(text, i);
      out.push_back(c.cp);
      i += c.len;
    }
    return out;
  }();
  size_t loc = 0, len = 0;
  for (size_t k = 0; k < found; ++k) loc += unitsOf(orig[k]);
  for (size_t k = found; k < found + n.size(); ++k) len += unitsOf(orig[k]);
  return {loc, len};
}

// ---- Character sets, trimming, splitting ----

NSCharacterSet NSCharacterSet::whitespaceCharacterSet() {
  return NSCharacterSet(
      [](char32_t c) { return c == '\t' || u_charType(UChar32(c)) == U_SPACE_SEPARATOR; });
}

NSCharacterSet NSCharacterSet::newlineCharacterSet() {
  return NSCharacterSet([](char32_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
  });
}

NSCharacterSet NSCharacterSet::whitespaceAndNewlineCharacterSet() {
  return NSCharacterSet([](char32_t c) {
    return c == '\t' || (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029 ||
           u_charType(UChar32(c)) == U_SPACE_SEPARATOR;
  });
}

NSCharacterSet NSCharacterSet::characterSetWithCharactersInString(std::string_view characters) {
  auto set = std::make_shared<std::unordered_set<char32_t>>();
  for (size_t i = 0; i < characters.size();) {
    Utf8Char c = decodeAt(characters, i);
    set->insert(c.cp);
    i += c.len;
  }
  return NSCharacterSet([set](char32_t c) { return set->count(c) > 0; });
}

std::string_view stringViewByTrimmingCharactersInSet(std::string_view text,
                                                     const NSCharacterSet& set) {
  // ASCII bytes are characters of their own, so the ends are trimmed byte by byte first; only
  // when a non-ASCII character stands at an end is the rest decoded as a whole.
  auto asciiMember = [&](char c) {
    return static_cast<unsigned char>(c) < 0x80 && set.characterIsMember(char32_t(c));
  };
  while (!text.empty() && asciiMember(text.front())) text.remove_prefix(1);
  while (!text.empty() && asciiMember(text.back())) text.remove_suffix(1);
  if (text.empty() || (static_cast<unsigned char>(text.front()) < 0x80 &&
                       static_cast<unsigned char>(text.back()) < 0x80))
    return text;
  size_t begin = text.size(), end = 0;
  for (size_t i = 0; i < text.size();) {
    Utf8Char c = decodeAt(text, i);
    if (!set.characterIsMember(c.cp)) {
      if (begin == text.size()) begin = i;
      end = i + c.len;
    }
    i += c.len;
  }
  if (begin >= end) return text.substr(0, 0);
  return text.substr(begin, end - begin);
}

std::string stringByTrimmingCharactersInSet(std::string_view text, const NSCharacterSet& set) {
  return std::string(stringViewByTrimmingCharactersInSet(text, set));
}

std::vector<std::string> componentsSeparatedByString(std::string_view text,
                                                     std::string_view separator) {
  std::vector<std::string> out;
  if (separator.empty()) {
    out.emplace_back(text);
    return out;
  }
  size_t start = 0;
  for (;;) {
    size_t pos = text.find(separator, start);
    if (pos == std::string_view::npos) {
      out.emplace_back(text.substr(start));
      return out;
    }
    out.emplace_back(text.substr(start, pos - start));
    start = pos + separator.size();
  }
}

void replaceAll(std::string& text, std::string_view target, std::string_view replacement) {
  if (target.empty() || text.find(target) == std::string::npos) return;
  text = stringByReplacingOccurrencesOfString(text, target, replacement);
}

std::string stringByReplacingOccurrencesOfString(std::string_view text, std::string_view target,
                                                 std::string_view replacement) {
  if (target.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t start = 0;
  for (;;) {
    size_t pos = text.find(target, start);
    if (pos == std::string_view::npos) break;
    out.append(text.substr(start, pos - start));
    out.append(replacement);
    start = pos + target.size();
  }
  out.append(text.substr(start));
  return out;
}

// ---- Percent escaping ----

namespace {

// Characters that may stand in a URL as they are: letters, digits and !$&'()*+,-./:;=?@_~.
bool isLegalURLCharacter(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return c && std::strchr("!$&'()*+,-./:;=?@_~", c) != nullptr;
}

void appendEscape(std::string& out, unsigned char byte) {
  static const char* hex = "0123456789ABCDEF";
  out += '%';
  out += hex[byte >> 4];
  out += hex[byte & 15];
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> CFURLCreateStringByAddingPercentEscapes(
    std::string_view text, std::string_view charactersToLeaveUnescaped,
    std::string_view legalURLCharactersToBeEscaped, NSStringEncoding encoding) {
  if (!isSupportedStringEncoding(encoding)) return std::nullopt;
  NSCharacterSet leave =
      NSCharacterSet::characterSetWithCharactersInString(charactersToLeaveUnescaped);
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (size_t i = 0; i < text.size();) {
    Utf8Char c = decodeAt(text, i);
    std::string_view raw = text.substr(i, c.len);
    i += c.len;
    if (c.valid && leave.characterIsMember(c.cp)) {
      out.append(raw);
      continue;
    }
    if (c.valid && c.cp < 0x80) {
      unsigned char b = static_cast<unsigned char>(c.cp);
      bool escape = !isLegalURLCharacter(b) ||
                    legalURLCharactersToBeEscaped.find(char(b)) != std::string_view::npos;
      if (escape) {
        appendEscape(out, b);
      } else {
        out += char(b);
      }
      continue;
    }
    if (!c.valid) return std::nullopt;
    std::optional<std::string> bytes = dataUsingEncoding(raw, encoding);
    if (!bytes) return std::nullopt;
    for (char b : *bytes) appendEscape(out, static_cast<unsigned char>(b));
  }
  return out;
}

std::optional<std::string> stringByAddingPercentEscapesUsingEncoding(std::string_view text,
                                                                     NSStringEncoding encoding) {
  return CFURLCreateStringByAddingPercentEscapes(text, {}, {}, encoding);
}

std::optional<std::string> stringByReplacingPercentEscapesUsingEncoding(std::string_view text,
                                                                        NSStringEncoding encoding) {
  if (!isSupportedStringEncoding(encoding)) return std::nullopt;
  std::string out;
  std::string pending;
  auto flush = [&]() -> bool {
    if (pending.empty()) return true;
    std::optional<std::string> decoded = stringWithData(pending, encoding);
    pending.clear();
    if (!decoded) return false;
    out += *decoded;
    return true;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%') {
      if (i + 2 >= text.size()) return std::nullopt;
      int hi = hexValue(text[i + 1]), lo = hexValue(text[i + 2]);
      if (hi < 0 || lo < 0) return std::nullopt;
      pending += char(hi * 16 + lo);
      i += 2;
      continue;
    }
    if (!flush()) return std::nullopt;
    out += text[i];
  }
  if (!flush()) return std::nullopt;
  return out;
}

// ---- Formatting ----

namespace {

void pad(std::string& out, const std::string& piece, int width, bool left) {
  size_t len = utf16Length(piece);
  if (width > 0 && size_t(width) > len) {
    if (left) {
      out += piece;
      out.append(size_t(width) - len, ' ');
    } else {
      out.append(size_t(width) - len, ' ');
      out += piece;
    }
  } else {
    out += piece;
  }
}

}  // namespace

std::string stringWithFormatArgs(std::string_view format, const std::vector<Value>& args) {
  std::string out;
  out.reserve(format.size() + 16);
  size_t next = 0;
  auto take = [&](size_t explicitIndex) -> Value {
    if (explicitIndex) return explicitIndex <= args.size() ? args[explicitIndex - 1] : Value();
    return next < args.size() ? args[next++] : (next++, Value());
  };
  for (size_t i = 0; i < format.size();) {
    char ch = format[i];
    if (ch != '%') {
      out += ch;
      ++i;
      continue;
    }
    size_t start = i++;
    if (i >= format.size()) {
      out += '%';
      break;
    }
    // Positional argument: digits followed by '$'.
    size_t position = 0;
    {
      size_t j = i;
      size_t n = 0;
      while (j < format.size() && format[j] >= '0' && format[j] <= '9')
        n = n * 10 + size_t(format[j++] - '0');
      if (j > i && j < format.size() && format[j] == '$' && n > 0) {
        position = n;
        i = j + 1;
      }
    }
    std::string flags;
    while (i < format.size() && std::strchr("-+ #0'", format[i])) {
      if (format[i] != '\'') flags += format[i];
      ++i;
    }
    int width = -1;
    if (i < format.size() && format[i] == '*') {
      width = take(0).intValue();
      if (width < 0) {
        flags += '-';
        width = -width;
      }
      ++i;
    } else {
      int w = 0;
      bool any = false;
      while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
        w = w * 10 + (format[i++] - '0');
        any = true;
      }
      if (any) width = w;
    }
    int precision = -1;
    if (i < format.size() && format[i] == '.') {
      ++i;
      if (i < format.size() && format[i] == '*') {
        precision = take(0).intValue();
        ++i;
      } else {
        int p = 0;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9')
          p = p * 10 + (format[i++] - '0');
        precision = p;
      }
    }
    // Length modifiers: 0 = int, 1 = short, 2 = char, 3 = 64-bit.
    int length = 0;
    while (i < format.size() && std::strchr("hlqLzjt", format[i])) {
      char m = format[i++];
      if (m == 'h') {
        length = length == 1 ? 2 : 1;
      } else if (m != 'L') {
        length = 3;
      }
    }
    if (i >= format.size()) {
      out.append(format.substr(start));
      break;
    }
    char conv = format[i++];
    bool left = flags.find('-') != std::string::npos;
    std::string spec = "%" + flags;
    if (width >= 0) spec += std::to_string(width);
    if (precision >= 0) spec += "." + std::to_string(precision);
    char buf[512];
    switch (conv) {
      case '%':
        out += '%';
        break;
      case '@': {
        std::string s = take(position).description();
        if (precision >= 0)
          s = substringToIndex(s, std::min<size_t>(size_t(precision), utf16Length(s)));
        pad(out, s, width, left);
        break;
      }
      case 'd':
      case 'i': {
        Value v = take(position);
        long long n;
        if (length == 3) {
          n = v.longLongValue();
        } else if (length == 1) {
          n = short(v.intValue());
        } else if (length == 2) {
          n = (signed char)(v.intValue());
        } else {
          n = v.intValue();
        }
        std::snprintf(buf, sizeof buf, (spec + "lld").c_str(), n);
        out += buf;
        break;
      }
      case 'u':
      case 'o':
      case 'x':
      case 'X': {
        Value v = take(position);
        unsigned long long n = v.kind() == Value::Kind::UInt || v.kind() == Value::Kind::Double
                                   ? v.unsignedLongLongValue()
                                   : (unsigned long long)v.longLongValue();
        if (length == 0) {
          n = uint32_t(n);
        } else if (length == 1) {
          n = uint16_t(n);
        } else if (length == 2) {
          n = uint8_t(n);
        }
        std::snprintf(buf, sizeof buf, (spec + "ll" + conv).c_str(), n);
        out += buf;
        break;
      }
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A': {
        double d = take(position).doubleValue();
        int n = std::snprintf(buf, sizeof buf, (spec + conv).c_str(), d);
        if (n >= int(sizeof buf)) {
          std::string big(size_t(n) + 1, '\0');
          std::snprintf(big.data(), big.size(), (spec + conv).c_str(), d);
          big.resize(size_t(n));
          out += big;
        } else {
          out += buf;
        }
        break;
      }
      case 's':
      case 'S': {
        Value v = take(position);
        std::string s = v.description();
        if (precision >= 0 && size_t(precision) < s.size()) {
          // Precision counts bytes; never cut inside a character.
          size_t cut = size_t(precision);
          while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
          s.resize(cut);
        }
        pad(out, s, width, left);
        break;
      }
      case 'c': {
        Value v = take(position);
        std::string s;
        if (v.isString()) {
          const std::string_view t = v.string();
          if (!t.empty()) s = std::string(t.substr(0, decodeAt(t, 0).len));
        } else {
          appendUTF8(s, char32_t(uint8_t(v.intValue())));
        }
        pad(out, s, width, left);
        break;
      }
      case 'C': {
        char32_t c = char32_t(uint16_t(take(position).intValue()));
        if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
        std::string s;
        appendUTF8(s, c);
        pad(out, s, width, left);
        break;
      }
      case 'p': {
        Value v = take(position);
        std::snprintf(buf, sizeof buf, "%p", static_cast<void*>(v.object().get()));
        pad(out, buf, width, left);
        break;
      }
      case 'n':
        take(position);
        break;
      default:
        out.append(format.substr(start, i - start));
        break;
    }
  }
  return out;
}
