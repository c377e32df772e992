#include <zlib.h>

#include <limits>

#include "CommonCrypto/CommonDigest.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "uilib/core/NSData+ULCategory.h"

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

std::string md5Hash(std::string_view data) {
  // The digest's length field counts in 32 bits; nothing larger is hashed.
  if (data.empty() || data.size() > std::numeric_limits<CC_LONG>::max()) return std::string();
  unsigned char digest[CC_MD5_DIGEST_LENGTH];
  CC_MD5(data.data(), CC_LONG(data.size()), digest);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * CC_MD5_DIGEST_LENGTH);
  for (unsigned char byte : digest) {
    hex += kHex[byte >> 4];
    hex += kHex[byte & 0xf];
  }
  return hex;
}
