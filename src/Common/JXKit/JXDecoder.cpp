#include "Common/JXKit/JXDecoder.h"

#include <locale.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "Common/JXKit/JXArena.h"
#include "Common/JXKit/JXArray.h"
#include "Common/JXKit/JXDictionary.h"
#include "Common/JXKit/JXKey.h"
#include "Common/JXKit/JXUTF8.h"
#include "Foundation/NSException.h"
#include "Foundation/NSString.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

enum class Tok : uint8_t {
  None,  // no token: an error was recorded
  Number,
  String,
  LBrace,
  RBrace,
  LBracket,
  RBracket,
  Colon,
  Comma,
  True,
  False,
  Null,
};

bool isValueToken(Tok t) {
  return t == Tok::Number || t == Tok::String || t == Tok::LBrace || t == Tok::LBracket ||
         t == Tok::True || t == Tok::False || t == Tok::Null;
}

constexpr std::string_view kUnexpectedToken =
    "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', "
    "'\"STRING\"', 'NUMBER'.";
constexpr std::string_view kInvalidString = "Invalid string.";
constexpr std::string_view kInvalidNumber = "Invalid number.";
constexpr std::string_view kIllegalEscape = "Illegal \\u Unicode escape sequence.";
constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";

// Kind code of a string in the cache's probe step.
constexpr unsigned kStringKindCode = 5;
constexpr unsigned kCacheEntries = 1024;
// Room of the reader's stacks kept from one parse to the next, at most.
constexpr size_t kKeptStackSlots = 1 << 16;

// Bytes a string can hold without a closer look: printable ASCII other than '"' and '\'.
struct PlainTable {
  bool plain[256];
  constexpr PlainTable() : plain() {
    for (int c = 0x20; c < 0x80; ++c) plain[c] = c != '"' && c != '\\';
  }
};
constexpr PlainTable kPlain;

// The first byte at or after q that is a quote, a backslash, a control byte or non-ASCII.
inline const unsigned char* skipPlain(const unsigned char* q, const unsigned char* end) {
#if defined(__SSE2__)
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i backslash = _mm_set1_epi8('\\');
  const __m128i space = _mm_set1_epi8(0x20);
  while (end - q >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    // Signed comparison: bytes of 0x80 and above count as below 0x20 as well.
    const __m128i m =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, backslash)),
                     _mm_cmplt_epi8(v, space));
    const int mask = _mm_movemask_epi8(m);
    if (mask) return q + __builtin_ctz(unsigned(mask));
    q += 16;
  }
#endif
  while (q < end && kPlain.plain[*q]) ++q;
  return q;
}

// The first byte at or after q that ends a run of string content taken as it is: a quote, a
// backslash, a control byte, or the start of a refused UTF-8 sequence.
inline const unsigned char* skipContent(const unsigned char* q, const unsigned char* end) {
  for (;;) {
    q = skipPlain(q, end);
    // Text in CJK scripts is mostly multibyte: walk it here rather than back through skipPlain
    // after every character.
    while (q < end && *q >= 0x80) {
      const size_t n = jxutf8::sequenceLength(q, end);
      if (!n) return q;
      q += n;
    }
    if (q >= end || !kPlain.plain[*q]) return q;
  }
}

inline int hexDigit(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

locale_t cLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(0));
  return loc;
}

// JXDecoder::cacheProbeIndex, inlined where the reader probes.
inline unsigned probeIndex(uint32_t hash, size_t length, unsigned k) {
  return unsigned(hash + k * uint32_t(length + kStringKindCode + 3)) & (kCacheEntries - 1);
}

const JXKeyRef& emptyKey() {
  static const JXKeyRef* key = new JXKeyRef(JXKeyRef::make(std::string_view(), JXHashSeed));
  return *key;
}

// States that cannot occur, and memory exhaustion, are reported with the place in the module.
std::string internalError(std::string_view what, int line) {
  return "Internal error: " + std::string(what) + " Common/JXKit/JXKit line #" +
         std::to_string(line);
}

// A byte as "%c" would show it, kept valid UTF-8 (bytes above 0x7F read as Latin-1).
std::string byteAsCharacter(unsigned char c) {
  char buf[4];
  return std::string(buf, encodeUTF8(c, buf));
}

}  // namespace

// One cached key: the object and what it was made from, and the last parse whose arena keeps
// it.
struct JXTokenCacheItem {
  JXKeyRef object;
  uint32_t hash = 0;
  uint32_t length = 0;
  uint64_t keptFor = 0;
};

// Recently made keys, so that the keys repeated in every record of a list are made once.
struct JXTokenCache {
  std::array<JXTokenCacheItem, kCacheEntries> items;
  std::array<uint8_t, kCacheEntries> age{};
  uint32_t prng = 1;

  // 32-bit Galois shift register; names the entry whose age is halved.
  unsigned step() {
    prng = (prng >> 1) ^ ((0u - (prng & 1u)) & 0x80200003u);
    return prng & (kCacheEntries - 1);
  }

  // The key for these bytes, kept by the arena of parse number `parse`.
  const JXKey* key(const char* bytes, size_t length, uint32_t hash, JXArena& arena,
                   uint64_t parse) {
    JXTokenCacheItem* chosen = nullptr;
    size_t chosenIndex = 0;
    for (unsigned k = 0; k < 4; ++k) {
      const unsigned i = probeIndex(hash, length, k);
      JXTokenCacheItem& item = items[i];
      if (!item.object) {
        chosen = &item;
        chosenIndex = i;
        break;
      }
      if (item.hash == hash && item.length == length &&
          JXSameBytes(item.object->text().data(), bytes, length)) {
        age[i] = uint8_t((age[i] << 1) | 1);
        if (item.keptFor != parse) {
          arena.keepKey(item.object);
          item.keptFor = parse;
        }
        return item.object.get();
      }
      if (!chosen) {
        if (age[i] == 0) {
          chosen = &item;
          chosenIndex = i;
        } else {
          age[i] >>= 1;
          age[step()] >>= 1;
          age[step()] >>= 1;
        }
      }
    }
    JXKeyRef made = JXKeyRef::make(std::string_view(bytes, length), hash);
    arena.keepKey(made);
    const JXKey* key = made.get();
    if (chosen) {
      chosen->object = std::move(made);
      chosen->hash = hash;
      chosen->length = uint32_t(length);
      chosen->keptFor = parse;
      age[chosenIndex] = 0;
    }
    return key;
  }

  void clear() {
    for (auto& item : items) item = JXTokenCacheItem();
    age.fill(0);
  }
};

struct JXParseState {
  JXParseOptionFlags options = 0;

  // The input and the read position.
  const unsigned char* begin = nullptr;
  const unsigned char* end = nullptr;
  const unsigned char* p = nullptr;
  size_t lineNumber = 1;
  const unsigned char* lineStart = nullptr;

  // The current token: its bytes, and its decoded string or number.
  const unsigned char* tokBegin = nullptr;
  const char* strBytes = nullptr;
  size_t strLength = 0;
  // A number token's value, by the kind it was read as.
  enum class NumberKind : uint8_t { Signed, Unsigned, Double } numberKind = NumberKind::Signed;
  union {
    int64_t signedNumber;
    uint64_t unsignedNumber;
    double doubleNumber = 0;
  };
  std::string scratch;

  // Members of the open containers, shared by all levels.
  std::vector<Value> values;
  std::vector<JXKeyRef> keys;
  unsigned depth = 0;

  JXTokenCache cache;
  // Where this parse places its containers; the reader holds it while it reads.
  std::shared_ptr<JXArena> keeper;
  JXArena* arena = nullptr;
  // Counts the parses of this state, so that the key cache knows which arena keeps a key.
  uint64_t parseNumber = 0;
  NSErrorPtr error;
  bool mutableCollections = false;

  // ---- errors ----

  // Only the first error of a parse is kept.
  void fail(std::string_view message) {
    if (error) return;
    auto info = makeDictionary({
        {std::string(NSLocalizedDescriptionKey), Value(message)},
        {std::string(JXAtIndexKey), Value((unsigned long)(p - begin))},
        {std::string(JXLineNumberKey), Value((unsigned long)lineNumber)},
    });
    error = NSError::errorWithDomain(JXErrorDomain, -1, Value(info));
  }
  bool failAt(const unsigned char* at, std::string_view message) {
    p = at;
    fail(message);
    return false;
  }
  std::string tokenText() const {
    return std::string(reinterpret_cast<const char*>(tokBegin), size_t(p - tokBegin));
  }
  bool expected(const char* a, const char* b) {
    fail(std::string("Expected ") + a + " or " + b + ", not '" + tokenText() + "'");
    return false;
  }
  bool expected(const char* a) {
    fail(std::string("Expected ") + a + ", not '" + tokenText() + "'");
    return false;
  }

  // ---- whitespace ----

  void newLine() {
    ++lineNumber;
    lineStart = p;
  }

  // Consumes one line break at p, if there is one.
  bool lineBreak() {
    const unsigned char c = *p;
    if (c == '\n') {
      ++p;
    } else if (c == '\r') {
      ++p;
      if (p < end && *p == '\n') ++p;
    } else if ((options & JXReadUnicodeBreaks) && c == 0xE2 && end - p >= 3 && p[1] == 0x80 &&
               (p[2] == 0xA8 || p[2] == 0xA9)) {
      p += 3;
    } else if ((options & JXReadUnicodeBreaks) && c == 0xC2 && end - p >= 2 && p[1] == 0x85) {
      p += 2;
    } else {
      return false;
    }
    newLine();
    return true;
  }

  void skipWhitespace() {
    while (p < end) {
      const unsigned char c = *p;
      if (c == ' ' || c == '\t') {
        ++p;
        continue;
      }
      if (c > ' ' && c != '/' && c != 0xE2 && c != 0xC2) return;
      if (lineBreak()) continue;
      if ((options & JXReadWithComments) && c == '/' && end - p >= 2) {
        if (p[1] == '*') {
          p += 2;
          while (p < end) {
            if (*p == '*' && end - p >= 2 && p[1] == '/') {
              p += 2;
              break;
            }
            if (!lineBreak()) ++p;
          }
          continue;
        }
        if (p[1] == '/') {
          p += 2;
          while (p < end && !lineBreak()) ++p;
          continue;
        }
      }
      return;
    }
  }

  // ---- tokens ----

  Tok next() {
    // Replies are mostly compact: most tokens follow one another directly.
    if (p >= end || *p <= ' ' || *p == '/' || *p >= 0x80) skipWhitespace();
    tokBegin = p;
    if (p >= end) {
      fail(kUnexpectedToken);
      return Tok::None;
    }
    switch (*p) {
      case '"':
        return scanString() ? Tok::String : Tok::None;
      case '-':
      case '0':
      case '1':
      case '2':
      case '3':
      case '4':
      case '5':
      case '6':
      case '7':
      case '8':
      case '9':
        return scanNumber() ? Tok::Number : Tok::None;
      case '{':
        ++p;
        return Tok::LBrace;
      case '}':
        ++p;
        return Tok::RBrace;
      case '[':
        ++p;
        return Tok::LBracket;
      case ']':
        ++p;
        return Tok::RBracket;
      case ':':
        ++p;
        return Tok::Colon;
      case ',':
        ++p;
        return Tok::Comma;
      case 't':
        if (end - p >= 4 && std::memcmp(p, "true", 4) == 0) {
          p += 4;
          return Tok::True;
        }
        break;
      case 'f':
        if (end - p >= 5 && std::memcmp(p, "false", 5) == 0) {
          p += 5;
          return Tok::False;
        }
        break;
      case 'n':
        if (end - p >= 4 && std::memcmp(p, "null", 4) == 0) {
          p += 4;
          return Tok::Null;
        }
        break;
      default:
        break;
    }
    fail(kUnexpectedToken);
    return Tok::None;
  }

  // The token `t`, one byte `c`, when it stands right at p, as it mostly does in a compact reply;
  // anything else is read by next().
  Tok nextIf(unsigned char c, Tok t) {
    if (p < end && *p == c) {
      tokBegin = p++;
      return t;
    }
    return next();
  }

  // ---- strings ----

  bool controlCharacter(const unsigned char* at) {
    char message[64];
    std::snprintf(message, sizeof message, "Invalid character < 0x20 found in string: 0x%2.2x.",
                  *at);
    failAt(at, message);
    fail(kInvalidString);
    return false;
  }

  // Strings without escapes are taken straight from the input.
  bool scanString() {
    const unsigned char* start = ++p;
    const unsigned char* q = start;
    q = skipContent(q, end);
    if (q >= end) return failAt(q, kInvalidString);
    const unsigned char c = *q;
    if (c == '"') {
      strBytes = reinterpret_cast<const char*>(start);
      strLength = size_t(q - start);
      p = q + 1;
      return true;
    }
    if (c < 0x20) return controlCharacter(q);
    return scanEscapedString(start, q);
  }

  // A string with escapes or refused UTF-8 is decoded into the scratch buffer.
  bool scanEscapedString(const unsigned char* start, const unsigned char* q) {
    std::string& out = scratch;
    out.assign(reinterpret_cast<const char*>(start), size_t(q - start));
    for (;;) {
      const unsigned char* run = q;
      q = skipContent(q, end);
      out.append(reinterpret_cast<const char*>(run), size_t(q - run));
      if (q >= end) return failAt(q, kInvalidString);
      const unsigned char c = *q;
      if (c == '"') {
        strBytes = out.data();
        strLength = out.size();
        p = q + 1;
        return true;
      }
      if (c < 0x20) return controlCharacter(q);
      if (c >= 0x80) {
        const jxutf8::Fault fault = jxutf8::classify(q, end);
        if (fault.truncated)
          return failAt(q, "End of buffer reached while parsing UTF8 in \"\" string.");
        if (!(options & JXReadLenientUnicode))
          return failAt(q, "Illegal UTF8 sequence found in \"\" string.");
        out.append(kReplacementCharacter);
        q += fault.length;
        continue;
      }
      // A backslash.
      if (++q >= end) return failAt(q, kInvalidString);
      switch (*q++) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u':
          if (!unicodeEscape(q, out)) return false;
          break;
        default:
          return failAt(q - 1, "Invalid escape sequence found in \"\" string.");
      }
    }
  }

  bool readHex4(const unsigned char*& q, uint32_t& unit) {
    unit = 0;
    for (int i = 0; i < 4; ++i, ++q) {
      if (q >= end) return failAt(q, kInvalidString);
      const int d = hexDigit(*q);
      if (d < 0)
        return failAt(q, "Unexpected character found in \\u Unicode escape sequence.  Found '" +
                             byteAsCharacter(*q) + "', expected [0-9a-fA-F].");
      unit = unit << 4 | unsigned(d);
    }
    return true;
  }

  // An illegal escape fails, or writes U+FFFD when Unicode is read leniently.
  bool illegalEscape(const unsigned char* at, std::string& out) {
    if (options & JXReadLenientUnicode) {
      out.append(kReplacementCharacter);
      return true;
    }
    return failAt(at, kIllegalEscape);
  }

  bool emitEscaped(const unsigned char* at, uint32_t cp, std::string& out) {
    if (cp == 0 || jxutf8::isNoncharacter(cp)) return illegalEscape(at, out);
    appendUTF8(out, cp);
    return true;
  }

  // q stands after "\u".
  bool unicodeEscape(const unsigned char*& q, std::string& out) {
    const unsigned char* at = q - 2;
    uint32_t unit;
    if (!readHex4(q, unit)) return false;
    for (;;) {
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        if (end - q >= 2 && q[0] == '\\' && q[1] == 'u') {
          const unsigned char* second = q;
          q += 2;
          uint32_t low;
          if (!readHex4(q, low)) return false;
          if (low >= 0xDC00 && low <= 0xDFFF)
            return emitEscaped(at, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), out);
          // The high surrogate stands alone; the second escape is a character of its own.
          if (!illegalEscape(second, out)) return false;
          at = second;
          unit = low;
          continue;
        }
        if (options & JXReadLenientUnicode) {
          out.append(kReplacementCharacter);
          return true;
        }
        return failAt(q,
                      "Required a second \\u Unicode escape sequence following a surrogate \\u "
                      "Unicode escape sequence.");
      }
      if (unit >= 0xDC00 && unit <= 0xDFFF) return illegalEscape(at, out);
      return emitEscaped(at, unit, out);
    }
  }

  // ---- numbers ----

  static bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

  bool scanNumber() {
    const unsigned char* s = p;
    const unsigned char* q = p;
    bool negative = false, isDouble = false;
    if (*q == '-') {
      negative = true;
      ++q;
    }
    if (q >= end || !isDigit(*q)) return failAt(q, kInvalidNumber);
    if (*q == '0') {
      ++q;
    } else {
      while (q < end && isDigit(*q)) ++q;
    }
    if (q < end && *q == '.') {
      isDouble = true;
      if (++q >= end || !isDigit(*q)) return failAt(q, kInvalidNumber);
      while (q < end && isDigit(*q)) ++q;
    }
    if (q < end && (*q == 'e' || *q == 'E')) {
      isDouble = true;
      ++q;
      if (q < end && (*q == '+' || *q == '-')) ++q;
      if (q >= end || !isDigit(*q)) return failAt(q, kInvalidNumber);
      while (q < end && isDigit(*q)) ++q;
    }
    // The top level is always a container, so a number must be followed by something.
    if (q >= end) return failAt(q, kInvalidNumber);
    p = q;
    const char* text = reinterpret_cast<const char*>(s);
    const size_t length = size_t(q - s);
    // "-0" is read as a double so that its sign survives.
    if (isDouble || (negative && length == 2 && text[1] == '0')) return convertDouble(text, length);
    return convertInteger(text, length, negative);
  }

  bool convertInteger(const char* text, size_t length, bool negative) {
    const char* d = text + (negative ? 1 : 0);
    const char* e = text + length;
    uint64_t magnitude = 0;
    bool overflow = false;
    if (e - d <= 19) {  // cannot overflow 64 bits
      for (; d < e; ++d) magnitude = magnitude * 10 + uint64_t(*d - '0');
    } else {
      for (; d < e; ++d) {
        const uint64_t digit = uint64_t(*d - '0');
        if (magnitude > (UINT64_MAX - digit) / 10) {
          overflow = true;
          break;
        }
        magnitude = magnitude * 10 + digit;
      }
    }
    // The token's text is made only for the error message.
    if (negative) {
      if (overflow || magnitude > uint64_t(INT64_MAX) + 1) {
        fail("The value '" + std::string(text, length) +
             "' exceeded the minimum value that could be represented: " +
             std::to_string(INT64_MIN) + ".");
        fail(kInvalidNumber);
        return false;
      }
      numberKind = NumberKind::Signed;
      signedNumber = int64_t(0 - magnitude);
      return true;
    }
    if (overflow) {
      fail("The value '" + std::string(text, length) +
           "' exceeded the maximum value that could be represented: " + std::to_string(UINT64_MAX) +
           ".");
      fail(kInvalidNumber);
      return false;
    }
    if (magnitude <= uint64_t(INT64_MAX)) {
      numberKind = NumberKind::Signed;
      signedNumber = int64_t(magnitude);
    } else {
      numberKind = NumberKind::Unsigned;
      unsignedNumber = magnitude;
    }
    return true;
  }

  bool convertDouble(const char* text, size_t length) {
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text, text + length, value);
    if (ec == std::errc::result_out_of_range) {
      // Tell underflow from overflow by the conversion the platform would use; a finite
      // non-zero (subnormal) result is a number like any other.
      const std::string token(text, length);
      errno = 0;
      value = strtod_l(token.c_str(), nullptr, cLocale());
      if (value == 0 || std::isinf(value)) {
        fail("The value '" + token + "' could not be represented as a 'double' due to " +
             (value == 0 ? "underflow" : "overflow") + ".");
        fail(kInvalidNumber);
        return false;
      }
    } else if (ec != std::errc() || ptr != text + length) {
      fail("The conversion function did not consume all of the number tokens characters.");
      return false;
    }
    numberKind = NumberKind::Double;
    doubleNumber = value;
    return true;
  }

  // ---- values and containers ----

  // A borrowed key: the arena of this parse keeps it (the empty key lives for good).
  JXKeyRef keyFor(const char* bytes, size_t length) {
    if (length == 0) return JXKeyRef::borrow(emptyKey().get());
    return JXKeyRef::borrow(
        cache.key(bytes, length, JXStringHash(bytes, length), *arena, parseNumber));
  }

  // Parses the value that starts with token t and pushes it on the value stack.
  bool pushValue(Tok t) {
    switch (t) {
      case Tok::String:
        values.push_back(arena->borrowedString(std::string_view(strBytes, strLength)));
        return true;
      case Tok::Number:
        switch (numberKind) {
          case NumberKind::Signed:
            values.emplace_back(signedNumber);
            break;
          case NumberKind::Unsigned:
            values.emplace_back(unsignedNumber);
            break;
          case NumberKind::Double:
            values.emplace_back(doubleNumber);
            break;
        }
        return true;
      case Tok::True:
        values.emplace_back(true);
        return true;
      case Tok::False:
        values.emplace_back(false);
        return true;
      case Tok::Null:
        values.push_back(Value::null());
        return true;
      case Tok::LBracket:
        return parseArray();
      case Tok::LBrace:
        return parseObject();
      default:
        fail(internalError("Unknown token type.", __LINE__));
        return false;
    }
  }

  bool enter() {
    if (++depth > JXMaxNestingDepth) {
      fail(JXMaxNestingDepthMessage);
      return false;
    }
    return true;
  }

  bool parseArray() {
    const size_t start = values.size();
    enum { ValueOrEnd, CommaOrEnd, ValueOnly } state = ValueOrEnd;
    bool ok = enter();
    while (ok) {
      const Tok t = state == CommaOrEnd ? nextIf(',', Tok::Comma) : next();
      if (t == Tok::None) {
        ok = false;
      } else if (isValueToken(t)) {
        if (state == CommaOrEnd) {
          fail("Unexpected value.");
          ok = false;
        } else {
          ok = pushValue(t);
          state = CommaOrEnd;
        }
      } else if (t == Tok::Comma) {
        if (state != CommaOrEnd) {
          fail("Unexpected ','.");
          ok = false;
        }
        state = ValueOnly;
      } else if (t == Tok::RBracket) {
        if (state == ValueOnly) {
          fail("Unexpected ']'.");
          ok = false;
        }
        break;
      } else {
        ok = state == ValueOrEnd   ? expected("a value", "a ']'")
             : state == CommaOrEnd ? expected("a comma", "a ']'")
                                   : expected("a value");
      }
    }
    --depth;
    if (!ok) {
      values.resize(start);
      return false;
    }
    if (mutableCollections) {
      auto array =
          JXArray::make(JXArray::Token(), arena, values.begin() + long(start), values.end(), true);
      values.resize(start);
      values.emplace_back(std::move(array));
    } else {
      JXArray* array =
          JXArray::place(JXArray::Token(), arena, values.begin() + long(start), values.end());
      values.resize(start);
      values.push_back(Value::borrowedContainer(array));
    }
    return true;
  }

  bool parseObject() {
    const size_t start = values.size();
    const size_t keyStart = keys.size();
    enum { KeyOrEnd, CommaOrEnd, KeyOnly } state = KeyOrEnd;
    bool ok = enter();
    while (ok) {
      const Tok t = state == CommaOrEnd ? nextIf(',', Tok::Comma) : next();
      if (t == Tok::None) {
        ok = false;
      } else if (t == Tok::String) {
        if (state == CommaOrEnd) {
          fail("Unexpected string.");
          ok = false;
          break;
        }
        keys.push_back(keyFor(strBytes, strLength));
        const Tok colon = nextIf(':', Tok::Colon);
        if (colon == Tok::None) {
          ok = false;
        } else if (colon != Tok::Colon) {
          fail("Expected ':'.");
          ok = false;
        } else {
          const Tok v = next();
          if (v == Tok::None)
            ok = false;
          else if (!isValueToken(v))
            ok = state == KeyOrEnd ? expected("a value", "a '}'") : expected("a value");
          else
            ok = pushValue(v);
        }
        state = CommaOrEnd;
      } else if (t == Tok::Comma) {
        if (state != CommaOrEnd) {
          fail("Unexpected ','.");
          ok = false;
        }
        state = KeyOnly;
      } else if (t == Tok::RBrace) {
        if (state == KeyOnly) {
          fail("Unexpected '}'.");
          ok = false;
        }
        break;
      } else {
        ok = state == KeyOrEnd     ? expected("a \"STRING\"", "a '}'")
             : state == CommaOrEnd ? expected("a comma", "a '}'")
                                   : expected("a \"STRING\"");
      }
    }
    --depth;
    if (ok) {
      const size_t pairs = values.size() - start;
      const size_t capacity = JXDictionary::capacityForCount(pairs);
      if (pairs && !capacity) {
        fail("Unable to allocate memory for hash table.");
        ok = false;
      } else {
        std::shared_ptr<JXDictionary> counted;
        JXDictionary* dictionary;
        if (mutableCollections) {
          counted = JXDictionary::make(JXDictionary::Token(), arena, capacity, true);
          dictionary = counted.get();
        } else {
          dictionary = JXDictionary::place(JXDictionary::Token(), arena, capacity);
        }
        for (size_t i = 0; i < pairs; ++i) {
          JXKeyRef& key = keys[keyStart + i];
          const uint32_t hash = key->hash();
          dictionary->insertEntry(hash, std::move(key), std::move(values[start + i]));
        }
        keys.resize(keyStart);
        values.resize(start);
        if (counted)
          values.emplace_back(std::move(counted));
        else
          values.push_back(Value::borrowedContainer(dictionary));
        return true;
      }
    }
    keys.resize(keyStart);
    values.resize(start);
    return false;
  }

  // ---- document ----

  Value parse(const char* bytes, size_t length, bool mutableResults, NSErrorPtr* errorOut) {
    begin = p = lineStart = reinterpret_cast<const unsigned char*>(bytes);
    end = begin + length;
    lineNumber = 1;
    error = nullptr;
    depth = 0;
    mutableCollections = mutableResults;
    values.clear();
    keys.clear();
    Value result;
    try {
      ++parseNumber;
      keeper = JXArena::create();
      arena = keeper.get();
      result = parseDocument();
    } catch (const std::bad_alloc&) {
      // A document too large for memory fails like any other bad input.
      fail(internalError("Unable to resize temporary buffer.", __LINE__));
      result = Value();
    }
    values.clear();
    keys.clear();
    // The result holds the arena from here on; a failed parse frees it now.
    keeper.reset();
    arena = nullptr;
    // The stacks keep their room for the next reply, unless this one was unusually deep or wide.
    if (values.capacity() > kKeptStackSlots) std::vector<Value>().swap(values);
    if (keys.capacity() > kKeptStackSlots) std::vector<JXKeyRef>().swap(keys);
    if (scratch.capacity() > kKeptStackSlots) std::string().swap(scratch);
    begin = end = p = lineStart = tokBegin = nullptr;
    strBytes = nullptr;
    if (result.isNil() && errorOut) *errorOut = error;
    error = nullptr;
    return result;
  }

  Value parseDocument() {
    if (begin == end) {
      fail("Reached the end of the buffer.");
      return Value();
    }
    // The first token is read like any other: one that cannot be read reports its own fault
    // (a number running to the end of the text, a bad string); one that reads whole but opens
    // no container is refused as the top level.
    const Tok t = next();
    if (t == Tok::None) return Value();
    if (t != Tok::LBrace && t != Tok::LBracket) {
      fail("Expected either '[' or '{'.");
      return Value();
    }
    if (!pushValue(t)) {
      if (p == end) fail("Reached the end of the buffer.");
      fail("Unable to parse JSON.");
      return Value();
    }
    // A copy: the caller gets a counted reference, where the stack held the root borrowed.
    Value result = values.back();
    values.pop_back();
    skipWhitespace();
    if (p < end && !(options & JXReadTrailingBytes)) {
      fail(
          "A valid JSON object was parsed but there were additional non-white-space characters "
          "remaining.");
      return Value();
    }
    return result;
  }
};

// ---- JXDecoder ----

unsigned JXDecoder::cacheProbeIndex(uint32_t hash, size_t length, unsigned k) {
  return probeIndex(hash, length, k);
}

std::shared_ptr<JXDecoder> JXDecoder::decoder() {
  return std::make_shared<JXDecoder>();
}

std::shared_ptr<JXDecoder> JXDecoder::decoderWithParseOptions(JXParseOptionFlags options) {
  return std::make_shared<JXDecoder>(options);
}

JXDecoder::JXDecoder() : JXDecoder(JXReadStrict) {}

JXDecoder::JXDecoder(JXParseOptionFlags options) {
  if (options > JXReadValidFlags)
    NSException::raise(NSInvalidArgumentException, "Invalid parse options.");
  parseState_ = std::make_unique<JXParseState>();
  parseState_->options = options;
}

JXDecoder::~JXDecoder() = default;

JXParseOptionFlags JXDecoder::parseOptions() const {
  return parseState_->options;
}

void JXDecoder::clearCache() {
  parseState_->cache.clear();
}

Value JXDecoder::parse(const char* string, size_t length, bool mutableCollections,
                       NSErrorPtr* error) {
  if (!string) NSException::raise(NSInvalidArgumentException, "The string argument is NULL.");
  return parseState_->parse(string, length, mutableCollections, error);
}

const char* JXDecoder::dataBytes(const Value& jsonData, size_t* length) const {
  if (!jsonData.isData())
    NSException::raise(NSInvalidArgumentException, "The jsonData argument is NULL.");
  const std::string_view bytes = jsonData.bytes();
  *length = bytes.size();
  return bytes.data();
}

Value JXDecoder::objectWithUTF8String(const char* string, size_t length, NSErrorPtr* error) {
  return parse(string, length, false, error);
}

Value JXDecoder::objectWithData(const Value& jsonData, NSErrorPtr* error) {
  size_t length;
  const char* bytes = dataBytes(jsonData, &length);
  return parse(bytes, length, false, error);
}

Value JXDecoder::mutableObjectWithUTF8String(const char* string, size_t length, NSErrorPtr* error) {
  return parse(string, length, true, error);
}

Value JXDecoder::mutableObjectWithData(const Value& jsonData, NSErrorPtr* error) {
  size_t length;
  const char* bytes = dataBytes(jsonData, &length);
  return parse(bytes, length, true, error);
}

Value JXDecoder::parseUTF8String(const char* string, size_t length, NSErrorPtr* error) {
  return objectWithUTF8String(string, length, error);
}

Value JXDecoder::parseJSONData(const Value& jsonData, NSErrorPtr* error) {
  return objectWithData(jsonData, error);
}
