// The UI library's operations on data: the MD5 digest, gzip inflation and reading a possibly
// compressed file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Inflates zlib or gzip data (the header tells which); nullopt on any zlib error.  Empty data
// comes back as it is.
std::optional<std::string> gzipInflate(std::string_view data);
// The file's bytes, inflated first when the path's extension is "gz"; nullopt when the file
// cannot be read or does not inflate.
std::optional<std::string> dataWithUncompressedContentsOfFile(std::string_view path);
// The MD5 digest of the bytes (a text's UTF-8 bytes) as 32 lower-case hexadecimal characters;
// empty data gives the empty text.
std::string md5Hash(std::string_view data);
