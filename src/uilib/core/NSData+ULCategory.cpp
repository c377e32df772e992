#include <zlib.h>

#include <array>
#include <limits>

#include "CommonCrypto/CCBase64.h"
#include "CommonCrypto/CommonDigest.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "uilib/core/NSData+ULCategory.h"

namespace {

std::string hex(const unsigned char* digest, size_t length) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(length * 2);
  for (size_t i = 0; i < length; ++i) {
    out.push_back(kDigits[digest[i] >> 4]);
    out.push_back(kDigits[digest[i] & 15]);
  }
  return out;
}

template <size_t N, class Digest>
std::string digestHex(std::string_view bytes, Digest digest) {
  if (bytes.empty()) return {};
  std::array<unsigned char, N> md{};
  digest(bytes, md.data());
  return hex(md.data(), N);
}

// Appends the bytes of a group of 2 to 4 sextets.
void appendGroup(std::string& out, const int* group, int count) {
  unsigned v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 6) | unsigned(i < count ? group[i] : 0);
  out.push_back(char((v >> 16) & 0xFF));
  if (count > 2) out.push_back(char((v >> 8) & 0xFF));
  if (count > 3) out.push_back(char(v & 0xFF));
}

// Strict: white space and "=" are skipped, and text that is not ASCII, any other character
// outside the alphabet or a last group of one character gives nullopt.  Lenient: characters
// outside the alphabet are skipped and the first "=" ends the data.
std::optional<std::string> decodeBase64(std::string_view text, bool strict) {
  std::string out;
  out.reserve(text.size() / 4 * 3 + 3);
  int group[4];
  int count = 0;
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '=') {
      if (strict) continue;
      break;
    }
    int v = CCBase64DigitValue(ch);
    if (v < 0) {
      bool blank = c == ' ' || (c >= '\t' && c <= '\r');
      if (strict && !blank) return std::nullopt;
      continue;
    }
    group[count++] = v;
    if (count == 4) {
      appendGroup(out, group, 4);
      count = 0;
    }
  }
  if (count == 1 && strict) return std::nullopt;
  if (count > 1) appendGroup(out, group, count);
  return out;
}

}  // namespace

std::string md5Hash(std::string_view bytes) {
  return digestHex<CC_MD5_DIGEST_LENGTH>(bytes, [](std::string_view b, unsigned char* md) {
    CC_MD5(b.data(), CC_LONG(b.size()), md);
  });
}

std::string sha1Hash(std::string_view bytes) {
  return digestHex<CC_SHA1_DIGEST_LENGTH>(bytes, [](std::string_view b, unsigned char* md) {
    CC_SHA1(b.data(), CC_LONG(b.size()), md);
  });
}

std::string base64EncodedString(std::string_view bytes) {
  return CCBase64Encode(bytes);
}

std::string base64EncodingWithLineLength(std::string_view bytes, unsigned lineLength) {
  std::string plain = CCBase64Encode(bytes);
  if (lineLength == 0) return plain;
  std::string out;
  out.reserve(plain.size() + plain.size() / lineLength + 1);
  size_t sinceBreak = 0;
  for (size_t i = 0; i < plain.size(); i += 4) {
    out.append(plain, i, 4);
    sinceBreak += std::min<size_t>(4, plain.size() - i);
    if (sinceBreak >= lineLength) {
      out.push_back('\n');
      sinceBreak = 0;
    }
  }
  return out;
}

std::optional<std::string> dataWithBase64EncodedString(std::string_view text) {
  return decodeBase64(text, true);
}

std::string initWithBase64EncodedString(std::string_view text) {
  return decodeBase64(text, false).value_or(std::string());
}

std::optional<std::string> gzipDeflate(std::string_view data) {
  if (data.empty()) return std::string();
  if (data.size() > std::numeric_limits<uInt>::max()) return std::nullopt;
  z_stream stream{};
  // 15 window bits plus 16: the gzip wrapper.
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK)
    return std::nullopt;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = uInt(data.size());
  constexpr size_t kStep = 16384;
  std::string out(kStep, '\0');
  int status = Z_OK;
  while (status == Z_OK) {
    if (stream.total_out >= out.size()) out.resize(out.size() + kStep);
    stream.next_out = reinterpret_cast<Bytef*>(out.data() + stream.total_out);
    stream.avail_out = uInt(out.size() - stream.total_out);
    status = deflate(&stream, Z_FINISH);
  }
  const size_t produced = stream.total_out;
  deflateEnd(&stream);
  if (status != Z_STREAM_END) return std::nullopt;
  out.resize(produced);
  return out;
}

std::optional<std::string> gzipInflate(std::string_view data) {
  if (data.empty()) return std::string();
  // zlib counts in 32 bits.
  if (data.size() > std::numeric_limits<uInt>::max()) return std::nullopt;
  z_stream stream{};
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = uInt(data.size());
  // 15 window bits plus 32: detect a zlib or a gzip header.
  if (inflateInit2(&stream, 15 + 32) != Z_OK) return std::nullopt;

  // Starts at one and a half times the input and grows by half the input when full.
  const size_t step = data.size() / 2 + 1;
  std::string out(data.size() + step, '\0');
  int status = Z_OK;
  while (status == Z_OK) {
    if (stream.total_out >= out.size()) out.resize(out.size() + step);
    size_t room = out.size() - stream.total_out;
    if (room > std::numeric_limits<uInt>::max()) room = std::numeric_limits<uInt>::max();
    stream.next_out = reinterpret_cast<Bytef*>(out.data() + stream.total_out);
    stream.avail_out = uInt(room);
    status = inflate(&stream, Z_SYNC_FLUSH);
  }
  const size_t produced = stream.total_out;
  inflateEnd(&stream);
  if (status != Z_STREAM_END) return std::nullopt;
  out.resize(produced);
  return out;
}

std::optional<std::string> dataWithUncompressedContentsOfFile(std::string_view path) {
  auto bytes = dataWithContentsOfFile(path);
  if (!bytes) return std::nullopt;
  if (pathExtension(path) == "gz") return gzipInflate(*bytes);
  return bytes;
}
