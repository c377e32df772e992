// The file-to-file loop shared by the gzip compressor and decompressor: the source file is read
// in chunks, each chunk goes through the coder's zlib stream, and what comes out is written to
// the destination file.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSError.h"

inline constexpr size_t kHXDataFileChunk = 262144;

// An HXCompressionError of the HTTP engine's error domain.
NSErrorPtr HXCompressionErrorWithDescription(std::string description,
                                             NSErrorPtr underlying = nullptr);

// Turns one chunk of the source into the bytes to write.  Called with every chunk read (a chunk
// shorter than kHXDataFileChunk is the file's last), then once with an empty chunk at the end of
// the file, for what the stream still holds.  nullopt writes nothing; a failure sets *error.
using HXDataChunkCoder =
    std::function<std::optional<std::string>(std::string_view chunk, NSErrorPtr* error)>;

// Creates (or empties) destinationPath and writes to it what `code` makes of sourcePath's
// chunks; closeStream ends the coder's stream, after a failure too.  `operation`
// ("Compression", "Decompression") starts the error descriptions.
bool HXDataCodeFileToFile(std::string_view operation, const std::string& sourcePath,
                          const std::string& destinationPath, const HXDataChunkCoder& code,
                          const std::function<NSErrorPtr()>& closeStream, NSErrorPtr* error);
