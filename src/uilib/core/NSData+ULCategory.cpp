#include <zlib.h>

#include <limits>

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
