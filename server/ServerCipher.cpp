#include "server/ServerCipher.h"

#include <nettle/des.h>
#include <nettle/md5.h>

#include <cstdint>

namespace zept::server {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int alphabetIndex(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool validUTF8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    auto c = static_cast<unsigned char>(s[i]);
    size_t extra;
    if (c < 0x80) {
      extra = 0;
    } else if ((c >> 5) == 0x6) {
      extra = 1;
    } else if ((c >> 4) == 0xE) {
      extra = 2;
    } else if ((c >> 3) == 0x1E) {
      extra = 3;
    } else {
      return false;
    }
    if (i + extra >= s.size() && extra > 0) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

}  // namespace

std::string base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    uint32_t v = (uint32_t(uint8_t(bytes[i])) << 16) | (uint32_t(uint8_t(bytes[i + 1])) << 8) |
                 uint8_t(bytes[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  size_t rest = bytes.size() - i;
  if (rest == 1) {
    uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += "==";
  } else if (rest == 2) {
    uint32_t v = (uint32_t(uint8_t(bytes[i])) << 16) | (uint32_t(uint8_t(bytes[i + 1])) << 8);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += '=';
  }
  return out;
}

std::optional<std::string> base64Decode(std::string_view text) {
  std::string out;
  uint32_t bits = 0;
  int count = 0;  // characters of the current group of four
  int pads = 0;
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (c == '=') {
      ++pads;
      continue;
    }
    if (pads > 0) return std::nullopt;  // data after padding
    int v = alphabetIndex(c);
    if (v < 0) return std::nullopt;
    bits = (bits << 6) | uint32_t(v);
    if (++count == 4) {
      out += char((bits >> 16) & 0xFF);
      out += char((bits >> 8) & 0xFF);
      out += char(bits & 0xFF);
      bits = 0;
      count = 0;
    }
  }
  if (count == 0 && pads == 0) return out;
  if (count == 2 && pads == 2) {
    out += char((bits >> 4) & 0xFF);
    return out;
  }
  if (count == 3 && pads == 1) {
    out += char((bits >> 10) & 0xFF);
    out += char((bits >> 2) & 0xFF);
    return out;
  }
  return std::nullopt;
}

std::string cipherText(std::string_view plain, std::string_view key) {
  if (key.size() != DES_KEY_SIZE) return std::string(plain);
  des_ctx ctx;
  des_set_key(&ctx, reinterpret_cast<const uint8_t*>(key.data()));
  std::string padded(plain);
  size_t pad = DES_BLOCK_SIZE - padded.size() % DES_BLOCK_SIZE;
  padded.append(pad, char(pad));
  std::string out(padded.size(), '\0');
  des_encrypt(&ctx, padded.size(), reinterpret_cast<uint8_t*>(out.data()),
              reinterpret_cast<const uint8_t*>(padded.data()));
  return base64Encode(out);
}

std::optional<std::string> decipherText(std::string_view text, std::string_view key) {
  if (key.size() != DES_KEY_SIZE || text.empty()) return std::nullopt;
  auto bytes = base64Decode(text);
  if (!bytes || bytes->empty() || bytes->size() % DES_BLOCK_SIZE != 0) return std::nullopt;
  des_ctx ctx;
  des_set_key(&ctx, reinterpret_cast<const uint8_t*>(key.data()));
  std::string out(bytes->size(), '\0');
  des_decrypt(&ctx, bytes->size(), reinterpret_cast<uint8_t*>(out.data()),
              reinterpret_cast<const uint8_t*>(bytes->data()));
  auto pad = static_cast<unsigned char>(out.back());
  if (pad == 0 || pad > DES_BLOCK_SIZE || pad > out.size()) return std::nullopt;
  for (size_t i = out.size() - pad; i < out.size(); ++i) {
    if (static_cast<unsigned char>(out[i]) != pad) return std::nullopt;
  }
  out.resize(out.size() - pad);
  if (!validUTF8(out)) return std::nullopt;
  return out;
}

std::string md5Hex(std::string_view bytes) {
  md5_ctx ctx;
  md5_init(&ctx);
  md5_update(&ctx, bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
  uint8_t digest[MD5_DIGEST_SIZE];
  md5_digest(&ctx, sizeof digest, digest);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : digest) {
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

}  // namespace zept::server
