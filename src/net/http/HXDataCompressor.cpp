#include "net/http/HXDataCompressor.h"

#include <algorithm>

#include "Foundation/NSString.h"
#include "net/http/HXDataFileCoding.h"

std::shared_ptr<HXDataCompressor> HXDataCompressor::compressor() {
  auto c = std::make_shared<HXDataCompressor>();
  c->setupStream();
  return c;
}

HXDataCompressor::~HXDataCompressor() {
  if (streamReady_) closeStream();
}

NSErrorPtr HXDataCompressor::setupStream() {
  if (streamReady_) return nullptr;
  zStream_.zalloc = Z_NULL;
  zStream_.zfree = Z_NULL;
  zStream_.opaque = Z_NULL;
  zStream_.avail_in = 0;
  zStream_.next_in = Z_NULL;
  // Default level, a 15-bit window with a gzip header and trailer.
  int status =
      deflateInit2(&zStream_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  if (status != Z_OK) return deflateErrorWithCode(status);
  streamReady_ = true;
  return nullptr;
}

NSErrorPtr HXDataCompressor::closeStream() {
  if (!streamReady_) return nullptr;
  streamReady_ = false;
  int status = deflateEnd(&zStream_);
  if (status != Z_OK) return deflateErrorWithCode(status);
  return nullptr;
}

std::optional<std::string> HXDataCompressor::compressBytes(std::string_view bytes,
                                                           NSErrorPtr* error, bool shouldFinish) {
  if (bytes.empty()) return std::nullopt;
  size_t length = bytes.size();
  size_t halfLength = std::max<size_t>(length / 2, 1);
  std::string output(halfLength, '\0');
  zStream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  zStream_.avail_in = static_cast<uInt>(length);
  zStream_.avail_out = 0;
  uLong start = zStream_.total_out;
  // Runs while the previous call filled the output completely: then there may be more.
  while (zStream_.avail_out == 0) {
    size_t produced = zStream_.total_out - start;
    if (produced >= output.size()) output.resize(output.size() + halfLength);
    zStream_.next_out = reinterpret_cast<Bytef*>(output.data() + produced);
    zStream_.avail_out = static_cast<uInt>(output.size() - produced);
    int status = deflate(&zStream_, shouldFinish ? Z_FINISH : Z_NO_FLUSH);
    if (status == Z_STREAM_END) break;
    // The previous call filled the buffer exactly and took the last input: nothing more to give.
    if (status == Z_BUF_ERROR && zStream_.avail_in == 0 && !shouldFinish) break;
    if (status != Z_OK) {
      if (error) *error = deflateErrorWithCode(status);
      return std::nullopt;
    }
  }
  output.resize(zStream_.total_out - start);
  return output;
}

std::optional<std::string> HXDataCompressor::compressData(std::string_view data,
                                                          NSErrorPtr* error) {
  auto c = compressor();
  NSErrorPtr e;
  auto out = c->compressBytes(data, &e, true);
  if (e) {
    if (error) *error = e;
    return std::nullopt;
  }
  return out;
}

bool HXDataCompressor::compressDataFromFile(const std::string& sourcePath,
                                            const std::string& destinationPath, NSErrorPtr* error) {
  auto c = std::make_shared<HXDataCompressor>();
  NSErrorPtr setupError = c->setupStream();
  bool finished = false;
  auto code = [&](std::string_view chunk, NSErrorPtr* e) -> std::optional<std::string> {
    if (setupError) {
      *e = setupError;
      return std::nullopt;
    }
    if (chunk.empty()) {
      // A file whose size is a whole number of chunks ended on a full chunk: the gzip trailer
      // still has to be written.
      if (finished) return std::nullopt;
      return c->finishStream(e);
    }
    finished = chunk.size() < kHXDataFileChunk;
    return c->compressBytes(chunk, e, finished);
  };
  return HXDataCodeFileToFile(
      "Compression", sourcePath, destinationPath, code, [&] { return c->closeStream(); }, error);
}

std::string HXDataCompressor::finishStream(NSErrorPtr* error) {
  std::string output;
  char buffer[4096];
  zStream_.next_in = Z_NULL;
  zStream_.avail_in = 0;
  for (;;) {
    zStream_.next_out = reinterpret_cast<Bytef*>(buffer);
    zStream_.avail_out = sizeof buffer;
    int status = deflate(&zStream_, Z_FINISH);
    output.append(buffer, sizeof buffer - zStream_.avail_out);
    if (status == Z_STREAM_END) break;
    if (status != Z_OK) {
      if (error) *error = deflateErrorWithCode(status);
      break;
    }
  }
  return output;
}

NSErrorPtr HXDataCompressor::deflateErrorWithCode(int code) {
  return HXCompressionErrorWithDescription(
      stringWithFormat("Compression of data failed with code %hi", static_cast<short>(code)));
}
