// UTF-8 rules shared by the JSON reader and writer: exactly the well-formed sequences, less the
// noncharacters (U+FDD0-U+FDEF and every code point ending in FFFE or FFFF).  Code points are
// written back with the platform's encodeUTF8 (Foundation/NSString.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace jxutf8 {

inline bool isNoncharacter(uint32_t cp) {
  return (cp >= 0xFDD0 && cp <= 0xFDEF) || (cp & 0xFFFE) == 0xFFFE;
}

// Length (2 to 4) of the accepted sequence that starts at p with a byte of 0x80 or more; 0
// when the sequence is ill-formed, cut by `end`, or a noncharacter.
[[gnu::always_inline]] inline size_t sequenceLength(const unsigned char* p,
                                                    const unsigned char* end) {
  const unsigned char c = p[0];
  const size_t avail = size_t(end - p);
  if (c >= 0xE1 && c <= 0xEC) {  // most CJK text
    if (avail >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) return 3;
    return 0;
  }
  if (c >= 0xC2 && c <= 0xDF) return avail >= 2 && (p[1] & 0xC0) == 0x80 ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    if (avail < 3) return 0;
    const unsigned char c1 = p[1], c2 = p[2];
    if ((c1 & 0xC0) != 0x80 || (c2 & 0xC0) != 0x80) return 0;
    if (c == 0xE0 && c1 < 0xA0) return 0;  // overlong
    if (c == 0xED && c1 > 0x9F) return 0;  // surrogates
    if (c == 0xEF) {
      if (c1 == 0xB7 && c2 >= 0x90 && c2 <= 0xAF) return 0;  // U+FDD0-U+FDEF
      if (c1 == 0xBF && c2 >= 0xBE) return 0;                // U+FFFE, U+FFFF
    }
    return 3;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    if (avail < 4) return 0;
    const unsigned char c1 = p[1], c2 = p[2], c3 = p[3];
    if ((c1 & 0xC0) != 0x80 || (c2 & 0xC0) != 0x80 || (c3 & 0xC0) != 0x80) return 0;
    if (c == 0xF0 && c1 < 0x90) return 0;                           // overlong
    if (c == 0xF4 && c1 > 0x8F) return 0;                           // above U+10FFFF
    if (c2 == 0xBF && c3 >= 0xBE && (c1 & 0x0F) == 0x0F) return 0;  // U+xFFFE, U+xFFFF
    return 4;
  }
  return 0;
}

// Why the sequence at p was refused: `length` bytes form the refused part (at least 1; a
// noncharacter counts whole), `truncated` tells that the input ended inside a sequence that was
// well-formed so far, and `noncharacter` that the sequence is well-formed but a noncharacter.
struct Fault {
  size_t length;
  bool truncated;
  bool noncharacter;
};

inline Fault classify(const unsigned char* p, const unsigned char* end) {
  const unsigned char c = p[0];
  size_t n;
  unsigned char lo = 0x80, hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return {1, false, false};
  }
  for (size_t i = 1; i < n; ++i) {
    if (p + i >= end) return {i, true, false};
    const unsigned char b = p[i];
    if (b < (i == 1 ? lo : 0x80) || b > (i == 1 ? hi : 0xBF)) return {i, false, false};
  }
  return {n, false, true};
}

// The code point of an accepted sequence of `length` bytes.
inline uint32_t decode(const unsigned char* p, size_t length) {
  switch (length) {
    case 2:
      return uint32_t(p[0] & 0x1F) << 6 | (p[1] & 0x3F);
    case 3:
      return uint32_t(p[0] & 0x0F) << 12 | uint32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
    default:
      return uint32_t(p[0] & 0x07) << 18 | uint32_t(p[1] & 0x3F) << 12 |
             uint32_t(p[2] & 0x3F) << 6 | (p[3] & 0x3F);
  }
}

}  // namespace jxutf8
