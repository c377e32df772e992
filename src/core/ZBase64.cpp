#include "core/ZBase64.h"

#include <array>
#include <cstring>

namespace {

constexpr uint8_t kInvalid = 99;
constexpr char kPad = '=';

using DecodeTable = std::array<uint8_t, 256>;

DecodeTable makeTable(const char* charset) {
  DecodeTable t;
  t.fill(kInvalid);
  for (int i = 0; i < 64 && charset[i]; ++i) t[uint8_t(charset[i])] = uint8_t(i);
  return t;
}

const DecodeTable& tableFor(const char* charset) {
  static const DecodeTable standard = makeTable(ZBase64::kStandardCharset);
  static const DecodeTable webSafe = makeTable(ZBase64::kWebSafeCharset);
  if (charset == ZBase64::kWebSafeCharset || std::strcmp(charset, ZBase64::kWebSafeCharset) == 0)
    return webSafe;
  if (charset == ZBase64::kStandardCharset || std::strcmp(charset, ZBase64::kStandardCharset) == 0)
    return standard;
  // Any other alphabet gets its own table (not kept: nothing in the app uses one).
  thread_local DecodeTable other;
  other = makeTable(charset);
  return other;
}

bool isSpace(uint8_t c) {
  return c == 9 || c == 10 || c == 11 || c == 12 || c == 13 || c == 32 || c == 160 || c == 255;
}

size_t encodedLength(size_t n, bool padded) {
  size_t len = (n * 8 + 5) / 6;
  if (padded) len = (len + 3) / 4 * 4;
  return len;
}

bool isASCII(std::string_view s) {
  for (unsigned char c : s)
    if (c > 127) return false;
  return true;
}

}  // namespace

size_t ZBase64::baseEncode(const uint8_t* src, size_t srcLen, char* dest, size_t destLen,
                           const char* charset, bool padded) {
  if (!src || !srcLen || !dest || !destLen || !charset) return 0;
  size_t needed = encodedLength(srcLen, padded);
  if (destLen < needed) return 0;
  char* out = dest;
  while (srcLen > 2) {
    out[0] = charset[src[0] >> 2];
    out[1] = charset[((src[0] & 0x03) << 4) | (src[1] >> 4)];
    out[2] = charset[((src[1] & 0x0f) << 2) | (src[2] >> 6)];
    out[3] = charset[src[2] & 0x3f];
    out += 4;
    src += 3;
    srcLen -= 3;
  }
  if (srcLen == 2) {
    out[0] = charset[src[0] >> 2];
    out[1] = charset[((src[0] & 0x03) << 4) | (src[1] >> 4)];
    out[2] = charset[(src[1] & 0x0f) << 2];
    out += 3;
    if (padded) *out++ = kPad;
  } else if (srcLen == 1) {
    out[0] = charset[src[0] >> 2];
    out[1] = charset[(src[0] & 0x03) << 4];
    out += 2;
    if (padded) {
      *out++ = kPad;
      *out++ = kPad;
    }
  }
  return size_t(out - dest);
}

size_t ZBase64::baseDecode(const char* srcChars, size_t srcLen, uint8_t* dest, size_t destLen,
                           const char* charset, bool requirePadding) {
  if (!srcChars || !srcLen || !dest || !destLen || !charset) return 0;
  const auto* src = reinterpret_cast<const uint8_t*>(srcChars);
  const DecodeTable& table = tableFor(charset);
  size_t i = 0;
  int state = 0;  // characters of the current group of four already read
  size_t out = 0;
  bool sawPad = false;
  for (; i < srcLen && src[i] != 0; ++i) {
    uint8_t c = src[i];
    if (isSpace(c)) continue;
    if (c == kPad) {
      sawPad = true;
      ++i;
      break;
    }
    uint8_t v = table[c];
    if (v == kInvalid) return 0;
    switch (state) {
      case 0:
        if (out >= destLen) return 0;
        dest[out] = uint8_t(v << 2);
        state = 1;
        break;
      case 1:
        if (out + 1 >= destLen) return 0;
        dest[out] |= v >> 4;
        dest[out + 1] = uint8_t((v & 0x0f) << 4);
        ++out;
        state = 2;
        break;
      case 2:
        if (out + 1 >= destLen) return 0;
        dest[out] |= v >> 2;
        dest[out + 1] = uint8_t((v & 0x03) << 6);
        ++out;
        state = 3;
        break;
      default:
        if (out >= destLen) return 0;
        dest[out] |= v;
        ++out;
        state = 0;
        break;
    }
  }
  auto atEnd = [&] { return i >= srcLen || src[i] == 0; };
  if (sawPad) {
    if (state == 0 || state == 1) return 0;
    if (atEnd()) {
      if (state == 2) return 0;  // a second "=" is still owed
    } else {
      if (state == 2) {
        while (!atEnd() && isSpace(src[i])) ++i;
        if (atEnd() || src[i] != kPad) return 0;
        ++i;
      }
      for (; !atEnd(); ++i)
        if (!isSpace(src[i])) return 0;
    }
  } else if (requirePadding ? state != 0 : state == 1) {
    return 0;
  }
  // Bits of the last character beyond the decoded bytes must be zero (canonical ending).
  if (state != 0 && out < destLen && dest[out] != 0) return 0;
  return out;
}

std::optional<std::string> ZBase64::baseEncode(const void* bytes, size_t length,
                                               const char* charset, bool padded) {
  if (!bytes || !length) return std::nullopt;
  std::string out(encodedLength(length, padded), '\0');
  size_t n = baseEncode(static_cast<const uint8_t*>(bytes), length, out.data(), out.size(), charset,
                        padded);
  if (!n) return std::nullopt;
  out.resize(n);
  return out;
}

std::optional<std::string> ZBase64::baseDecode(const void* bytes, size_t length,
                                               const char* charset, bool requirePadding) {
  if (!bytes || !length) return std::nullopt;
  std::string out((length + 3) / 4 * 3, '\0');
  size_t n =
      baseDecode(static_cast<const char*>(bytes), length, reinterpret_cast<uint8_t*>(out.data()),
                 out.size(), charset, requirePadding);
  if (!n) return std::nullopt;
  out.resize(n);
  return out;
}

std::optional<std::string> ZBase64::encodeData(std::string_view data) {
  return baseEncode(data.data(), data.size(), kStandardCharset, true);
}
std::optional<std::string> ZBase64::encodeBytes(const void* bytes, size_t length) {
  return baseEncode(bytes, length, kStandardCharset, true);
}
std::optional<std::string> ZBase64::stringByEncodingData(std::string_view data) {
  return encodeData(data);
}
std::optional<std::string> ZBase64::stringByEncodingBytes(const void* bytes, size_t length) {
  return encodeBytes(bytes, length);
}
std::optional<std::string> ZBase64::decodeData(std::string_view data) {
  return baseDecode(data.data(), data.size(), kStandardCharset, true);
}
std::optional<std::string> ZBase64::decodeBytes(const void* bytes, size_t length) {
  return baseDecode(bytes, length, kStandardCharset, true);
}
std::optional<std::string> ZBase64::decodeString(std::string_view string) {
  if (!isASCII(string)) return std::nullopt;
  return decodeData(string);
}
std::optional<std::string> ZBase64::webSafeEncodeData(std::string_view data, bool padded) {
  return baseEncode(data.data(), data.size(), kWebSafeCharset, padded);
}
std::optional<std::string> ZBase64::webSafeEncodeBytes(const void* bytes, size_t length,
                                                       bool padded) {
  return baseEncode(bytes, length, kWebSafeCharset, padded);
}
std::optional<std::string> ZBase64::stringByWebSafeEncodingData(std::string_view data,
                                                                bool padded) {
  return webSafeEncodeData(data, padded);
}
std::optional<std::string> ZBase64::stringByWebSafeEncodingBytes(const void* bytes, size_t length,
                                                                 bool padded) {
  return webSafeEncodeBytes(bytes, length, padded);
}
std::optional<std::string> ZBase64::webSafeDecodeData(std::string_view data) {
  return baseDecode(data.data(), data.size(), kWebSafeCharset, false);
}
std::optional<std::string> ZBase64::webSafeDecodeBytes(const void* bytes, size_t length) {
  return baseDecode(bytes, length, kWebSafeCharset, false);
}
std::optional<std::string> ZBase64::webSafeDecodeString(std::string_view string) {
  if (!isASCII(string)) return std::nullopt;
  return webSafeDecodeData(string);
}
