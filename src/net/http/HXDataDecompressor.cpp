#include "net/http/HXDataDecompressor.h"

#include <algorithm>
#include <cstdio>

#include "Foundation/NSString.h"
#include "net/http/HXDataFileCoding.h"
#include "net/http/HXHTTPRequestErrors.h"

std::shared_ptr<HXDataDecompressor> HXDataDecompressor::decompressor() {
  auto d = std::make_shared<HXDataDecompressor>();
  d->setupStream();
  return d;
}

HXDataDecompressor::~HXDataDecompressor() {
  if (streamReady_) closeStream();
}

NSErrorPtr HXDataDecompressor::setupStream() {
  if (streamReady_) return nullptr;
  zStream_.zalloc = Z_NULL;
  zStream_.zfree = Z_NULL;
  zStream_.opaque = Z_NULL;
  zStream_.avail_in = 0;
  zStream_.next_in = Z_NULL;
  // 15-bit window, gzip or zlib header detected automatically.
  int status = inflateInit2(&zStream_, 15 + 32);
  if (status != Z_OK) return inflateErrorWithCode(status);
  streamReady_ = true;
  return nullptr;
}

NSErrorPtr HXDataDecompressor::closeStream() {
  if (!streamReady_) return nullptr;
  streamReady_ = false;
  int status = inflateEnd(&zStream_);
  if (status != Z_OK) return inflateErrorWithCode(status);
  return nullptr;
}

std::optional<std::string> HXDataDecompressor::uncompressBytes(std::string_view bytes,
                                                               NSErrorPtr* error) {
  if (bytes.empty()) return std::nullopt;
  size_t length = bytes.size();
  size_t halfLength = length / 2;
  std::string output(length + halfLength, '\0');
  zStream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  zStream_.avail_in = static_cast<uInt>(length);
  zStream_.avail_out = 0;
  uLong start = zStream_.total_out;
  // Goes on while input remains, and also while the last call filled the buffer: zlib may then
  // hold output for this chunk's input that has not been handed out yet.
  while (zStream_.avail_in != 0 || zStream_.avail_out == 0) {
    size_t produced = zStream_.total_out - start;
    if (produced >= output.size()) output.resize(output.size() + std::max<size_t>(halfLength, 1));
    zStream_.next_out = reinterpret_cast<Bytef*>(output.data() + produced);
    zStream_.avail_out = static_cast<uInt>(output.size() - produced);
    int status = inflate(&zStream_, Z_NO_FLUSH);
    if (outputLimit_ && zStream_.total_out > outputLimit_) {
      if (error) *error = tooLargeError(outputLimit_);
      return std::nullopt;
    }
    if (status == Z_STREAM_END) {
      streamEnded_ = true;
      break;
    }
    // With every input byte taken, "no progress possible" only means nothing was left to give.
    if (status == Z_BUF_ERROR && zStream_.avail_in == 0) break;
    if (status != Z_OK) {
      if (error) *error = inflateErrorWithCode(status);
      return std::nullopt;
    }
  }
  output.resize(zStream_.total_out - start);
  return output;
}

std::optional<std::string> HXDataDecompressor::uncompressData(std::string_view data,
                                                              NSErrorPtr* error, uint64_t limit) {
  auto d = decompressor();
  d->setOutputLimit(limit);
  NSErrorPtr e;
  auto out = d->uncompressBytes(data, &e);
  if (!e && !data.empty() && !d->streamEnded()) e = truncatedStreamError();
  if (e) {
    if (error) *error = e;
    return std::nullopt;
  }
  return out;
}

bool HXDataDecompressor::uncompressDataFromFile(const std::string& sourcePath,
                                                const std::string& destinationPath,
                                                NSErrorPtr* error, uint64_t limit) {
  auto d = std::make_shared<HXDataDecompressor>();
  d->setOutputLimit(limit);
  NSErrorPtr setupError = d->setupStream();
  auto code = [&](std::string_view chunk, NSErrorPtr* e) -> std::optional<std::string> {
    if (setupError) {
      *e = setupError;
      return std::nullopt;
    }
    // The end of the file must be the end of the stream.
    if (chunk.empty() && !d->streamEnded()) {
      *e = truncatedStreamError();
      return std::nullopt;
    }
    return d->uncompressBytes(chunk, e);
  };
  return HXDataCodeFileToFile(
      "Decompression", sourcePath, destinationPath, code, [&] { return d->closeStream(); }, error);
}

NSErrorPtr HXDataDecompressor::truncatedStreamError() {
  return inflateErrorWithCode(Z_BUF_ERROR);
}

NSErrorPtr HXDataDecompressor::tooLargeError(uint64_t limit) {
  return NSError::withDescription(
      kHXHTTPRequestErrorDomain, HXResponseTooLargeErrorType,
      "The response is larger than the request allows (" + std::to_string(limit) + " bytes)");
}

NSErrorPtr HXDataDecompressor::inflateErrorWithCode(int code) {
  return HXCompressionErrorWithDescription(
      stringWithFormat("Decompression of data failed with code %hi", static_cast<short>(code)));
}
