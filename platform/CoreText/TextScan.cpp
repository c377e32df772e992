#include "CoreText/TextScan.h"

#include "Foundation/NSString.h"

namespace textscan {

Decoded decode(std::string_view s, size_t i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b0 = byte(i);
  if (b0 < 0x80) return {b0, 1};
  size_t n;
  char32_t cp, min;
  if ((b0 & 0xE0) == 0xC0) {
    n = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    n = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    n = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return {kReplacement, 1};
  }
  if (i + n > s.size()) return {kReplacement, 1};
  for (size_t k = 1; k < n; ++k) {
    unsigned char b = byte(i + k);
    if ((b & 0xC0) != 0x80) return {kReplacement, 1};
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {kReplacement, 1};
  return {cp, n};
}

std::string repaired(std::string_view s) {
  if (isValidUTF8(s)) return std::string(s);
  std::string out;
  out.reserve(s.size() + 8);
  for (size_t i = 0; i < s.size();) {
    Decoded d = decode(s, i);
    if (d.cp == kReplacement && d.length == 1)  // a valid U+FFFD is 3 bytes long
      appendUTF8(out, kReplacement);
    else
      out.append(s.substr(i, d.length));
    i += d.length;
  }
  return out;
}

size_t lineBreakLength(std::string_view s, size_t i) {
  char c = s[i];
  if (c == '\n') return 1;
  if (c == '\r') return i + 1 < s.size() && s[i + 1] == '\n' ? 2 : 1;
  // U+2028 LINE SEPARATOR and U+2029 PARAGRAPH SEPARATOR: E2 80 A8 / E2 80 A9.
  if (c == '\xE2' && i + 2 < s.size() && s[i + 1] == '\x80' &&
      (s[i + 2] == '\xA8' || s[i + 2] == '\xA9'))
    return 3;
  return 0;
}

bool isHangingSpace(char32_t cp) {
  switch (cp) {
    case ' ':
    case '\t':
    case 0x1680:
    case 0x205F:
    case 0x3000:
      return true;
    default:
      // En quad to hair space, without the figure space (no-break).
      return cp >= 0x2000 && cp <= 0x200A && cp != 0x2007;
  }
}

size_t trailingSpaceStart(std::string_view s) {
  size_t end = s.size();
  for (size_t i = 0; i < s.size();) {
    Decoded d = decode(s, i);
    i += d.length;
    if (!isHangingSpace(d.cp)) end = i;
  }
  return end;
}

}  // namespace textscan
