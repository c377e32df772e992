#include "CommonCrypto/CCBase64.h"

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

int CCBase64DigitValue(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

std::string CCBase64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  auto b = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
  for (; i + 3 <= bytes.size(); i += 3) {
    unsigned v = (b(i) << 16) | (b(i + 1) << 8) | b(i + 2);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  size_t rest = bytes.size() - i;
  if (rest == 1) {
    unsigned v = b(i) << 16;
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += "==";
  } else if (rest == 2) {
    unsigned v = (b(i) << 16) | (b(i + 1) << 8);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += '=';
  }
  return out;
}

std::optional<std::string> CCBase64Decode(std::string_view text) {
  if (text.size() % 4) return std::nullopt;
  std::string out;
  out.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    bool last = i + 4 == text.size();
    int v[4];
    int pads = 0;
    for (int k = 0; k < 4; ++k) {
      char c = text[i + size_t(k)];
      if (c == '=' && last && k >= 2) {
        v[k] = 0;
        ++pads;
        continue;
      }
      if (pads) return std::nullopt;  // data after padding
      v[k] = CCBase64DigitValue(c);
      if (v[k] < 0) return std::nullopt;
    }
    unsigned n = unsigned(v[0] << 18 | v[1] << 12 | v[2] << 6 | v[3]);
    // Non-canonical endings carry bits beyond the last byte.
    if ((pads == 1 && (n & 0xFF)) || (pads == 2 && (n & 0xFFFF))) return std::nullopt;
    out += char(n >> 16);
    if (pads < 2) out += char((n >> 8) & 0xFF);
    if (pads < 1) out += char(n & 0xFF);
  }
  return out;
}
