#include "net/http/HXDataDecompressor.h"

#include <algorithm>
#include <cstdio>

#include "CFNetwork/CFReadStream.h"
#include "CFNetwork/CFWriteStream.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSString.h"
#include "net/http/HXHTTPRequestErrors.h"

namespace {
constexpr size_t kFileChunk = 262144;

NSErrorPtr compressionError(std::string text, NSErrorPtr underlying = nullptr) {
  return NSError::withDescription(kHXHTTPRequestErrorDomain, HXCompressionError, std::move(text),
                                  std::move(underlying));
}
}  // namespace

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
    if (status == Z_STREAM_END) break;
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
                                                              NSErrorPtr* error) {
  auto d = decompressor();
  NSErrorPtr e;
  auto out = d->uncompressBytes(data, &e);
  if (e) {
    if (error) *error = e;
    return std::nullopt;
  }
  return out;
}

bool HXDataDecompressor::uncompressDataFromFile(const std::string& sourcePath,
                                                const std::string& destinationPath,
                                                NSErrorPtr* error) {
  auto& fm = NSFileManager::defaultManager();
  if (!fm.createFileAtPath(destinationPath, "")) {
    if (error)
      *error = compressionError(
          stringWithFormat("Decompression of %@ failed because we were to create a file at %@",
                           sourcePath, destinationPath));
    return false;
  }
  if (!fm.fileExistsAtPath(sourcePath)) {
    if (error)
      *error = compressionError(
          stringWithFormat("Decompression of %@ failed the file does not exist", sourcePath));
    return false;
  }
  auto d = decompressor();
  auto in = CFReadStream::createWithFile(sourcePath);
  auto out = CFWriteStream::createWithFile(destinationPath, false);
  in->open();
  out->open();
  std::string buffer(kFileChunk, '\0');
  while (d->streamReady()) {
    long n = in->read(reinterpret_cast<uint8_t*>(buffer.data()), buffer.size());
    if (n < 0 || in->status() == CFStreamStatus::Error) {
      if (error)
        *error = compressionError(
            stringWithFormat("Decompression of %@ failed because we were unable to read from "
                             "the source data file",
                             sourcePath),
            in->copyError());
      in->close();
      out->close();
      d->closeStream();
      return false;
    }
    if (n == 0) break;
    NSErrorPtr e;
    auto inflated = d->uncompressBytes(std::string_view(buffer.data(), size_t(n)), &e);
    if (e) {
      if (error) *error = e;
      in->close();
      out->close();
      d->closeStream();
      return false;
    }
    if (inflated && out->write(*inflated) < 0) {
      if (error)
        *error = compressionError(
            stringWithFormat("Decompression of %@ failed because we were unable to write to "
                             "the destination data file at %@",
                             sourcePath, destinationPath),
            out->copyError());
      in->close();
      out->close();
      d->closeStream();
      return false;
    }
  }
  in->close();
  out->close();
  if (NSErrorPtr e = d->closeStream()) {
    if (error) *error = e;
    return false;
  }
  return true;
}

NSErrorPtr HXDataDecompressor::inflateErrorWithCode(int code) {
  return compressionError(
      stringWithFormat("Decompression of data failed with code %hi", static_cast<short>(code)));
}
