// The JSON module's shared names: option bits of the reader and the writer, the error domain
// and keys, the value hash, and the nesting limit both directions enforce.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// ---- Reader options ----

using JXParseOptionFlags = unsigned;
inline constexpr JXParseOptionFlags JXReadStrict = 0;
// Slash-asterisk and double-slash comments are skipped wherever whitespace may stand.
inline constexpr JXParseOptionFlags JXReadWithComments = 1;
// U+2028, U+2029 and U+0085 count as line breaks.
inline constexpr JXParseOptionFlags JXReadUnicodeBreaks = 2;
// Ill-formed UTF-8 and illegal \u escapes in strings become U+FFFD instead of failing.
inline constexpr JXParseOptionFlags JXReadLenientUnicode = 4;
// Bytes after the top-level value are ignored.
inline constexpr JXParseOptionFlags JXReadTrailingBytes = 8;
inline constexpr JXParseOptionFlags JXReadValidFlags = 15;

// ---- Writer options ----

using JXSerializeOptionFlags = unsigned;
inline constexpr JXSerializeOptionFlags JXWriteOptionNone = 0;
// Line breaks and indentation; dictionary keys sorted.
inline constexpr JXSerializeOptionFlags JXWriteIndented = 1;
// Every non-ASCII character as a \u escape.
inline constexpr JXSerializeOptionFlags JXWriteAsciiOnly = 2;
// The slash written as backslash-slash.
inline constexpr JXSerializeOptionFlags JXWriteSlashEscaped = 16;

// ---- Errors ----

inline constexpr std::string_view JXErrorDomain = "JXErrorDomain";
inline constexpr std::string_view JXAtIndexKey = "JXAtIndexKey";
inline constexpr std::string_view JXLineNumberKey = "JXLineNumberKey";

// A reply nested deeper than this is refused by the reader, and such a tree by the writer, so
// that neither can run out of machine stack.
inline constexpr unsigned JXMaxNestingDepth = 512;
inline constexpr std::string_view JXMaxNestingDepthMessage = "Maximum nesting depth exceeded.";

// ---- Value hash ----

// The reader's hash of a string's decoded bytes; it is also the key hash of JXDictionary, so
// the slot order of a parsed dictionary is the same on every machine, and the record readers'
// key sets place a parsed key by the hash it carries.
inline constexpr uint32_t JXHashSeed = 1402737925u;

constexpr uint32_t JXStringHash(std::string_view text) {
  const auto byte = [&](size_t i) { return uint32_t(static_cast<unsigned char>(text[i])); };
  uint32_t h = JXHashSeed;
  size_t i = 0;
  // Four steps of h × 33 + byte at once (33², 33³, 33⁴), so that the bytes do not wait on one
  // another; the result is the same.
  for (; i + 4 <= text.size(); i += 4)
    h = h * 1185921u + byte(i) * 35937u + byte(i + 1) * 1089u + byte(i + 2) * 33u + byte(i + 3);
  for (; i < text.size(); ++i) h = h * 33u + byte(i);
  return h;
}
inline uint32_t JXStringHash(const char* bytes, size_t length) {
  return JXStringHash(std::string_view(bytes, length));
}

// Equality of short byte runs (dictionary keys) without a library call.
inline bool JXSameBytes(const char* a, const char* b, size_t n) {
  auto same = [&](size_t at, auto word) {
    decltype(word) x, y;
    std::memcpy(&x, a + at, sizeof x);
    std::memcpy(&y, b + at, sizeof y);
    return x == y;
  };
  // Runs of 4 bytes or more end with one word that may overlap the one before it.
  if (n >= 8) {
    for (size_t i = 0; i + 8 < n; i += 8)
      if (!same(i, uint64_t())) return false;
    return same(n - 8, uint64_t());
  }
  if (n >= 4) return same(0, uint32_t()) && same(n - 4, uint32_t());
  for (; n; --n)
    if (*a++ != *b++) return false;
  return true;
}
