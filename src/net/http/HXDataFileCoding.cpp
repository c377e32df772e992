#include "net/http/HXDataFileCoding.h"

#include "CFNetwork/CFReadStream.h"
#include "CFNetwork/CFWriteStream.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSString.h"
#include "net/http/HXHTTPRequestErrors.h"

NSErrorPtr HXCompressionErrorWithDescription(std::string description, NSErrorPtr underlying) {
  return NSError::withDescription(kHXHTTPRequestErrorDomain, HXCompressionError,
                                  std::move(description), std::move(underlying));
}

bool HXDataCodeFileToFile(std::string_view operation, const std::string& sourcePath,
                          const std::string& destinationPath, const HXDataChunkCoder& code,
                          const std::function<NSErrorPtr()>& closeStream, NSErrorPtr* error) {
  const std::string name(operation);
  auto& fm = NSFileManager::defaultManager();
  if (!fm.createFileAtPath(destinationPath, "")) {
    if (error)
      *error = HXCompressionErrorWithDescription(
          stringWithFormat("%@ of %@ failed because we were to create a file at %@", name,
                           sourcePath, destinationPath));
    return false;
  }
  if (!fm.fileExistsAtPath(sourcePath)) {
    if (error)
      *error = HXCompressionErrorWithDescription(
          stringWithFormat("%@ of %@ failed the file does not exist", name, sourcePath));
    return false;
  }
  auto in = CFReadStream::createWithFile(sourcePath);
  auto out = CFWriteStream::createWithFile(destinationPath, false);
  in->open();
  out->open();
  auto fail = [&](NSErrorPtr e) {
    if (error) *error = std::move(e);
    in->close();
    out->close();
    closeStream();
    return false;
  };
  std::string buffer(kHXDataFileChunk, '\0');
  for (;;) {
    long n = in->read(reinterpret_cast<uint8_t*>(buffer.data()), buffer.size());
    if (n < 0 || in->status() == CFStreamStatus::Error)
      return fail(HXCompressionErrorWithDescription(
          stringWithFormat(
              "%@ of %@ failed because we were unable to read from the source data file", name,
              sourcePath),
          in->copyError()));
    NSErrorPtr e;
    std::optional<std::string> bytes = code(std::string_view(buffer.data(), size_t(n)), &e);
    if (e) return fail(e);
    if (bytes && out->write(*bytes) < 0)
      return fail(HXCompressionErrorWithDescription(
          stringWithFormat("%@ of %@ failed because we were unable to write to the destination "
                           "data file at %@",
                           name, sourcePath, destinationPath),
          out->copyError()));
    if (n == 0) break;
  }
  in->close();
  out->close();
  if (NSErrorPtr e = closeStream()) {
    if (error) *error = e;
    return false;
  }
  return true;
}
