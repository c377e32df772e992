// The UI library's operations on bytes: hex digests, Base64, gzip, and reading a possibly
// compressed file.  The digests and Base64 of empty data are the empty text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// MD5 and SHA-1 as 32 and 40 lower-case hexadecimal characters (a string's digest is that of
// its UTF-8 bytes); "" for empty data.
std::string md5Hash(std::string_view bytes);
std::string sha1Hash(std::string_view bytes);

// Base64 with the standard alphabet and "=" padding, on one line.
std::string base64EncodedString(std::string_view bytes);
inline std::string base64Encoding(std::string_view bytes) {
  return base64EncodedString(bytes);
}
// The same, with "\n" after every 4-character group at which the characters since the last
// line feed reach or pass lineLength; 0: no line feeds.
std::string base64EncodingWithLineLength(std::string_view bytes, unsigned lineLength);
// Strict decoding: "" gives empty data; white space and "=" are skipped; text that is not ASCII,
// any other character outside the alphabet, or a last group of one character gives nullopt.
std::optional<std::string> dataWithBase64EncodedString(std::string_view text);
// Lenient decoding: characters outside the alphabet are ignored and the first "=" ends the data.
std::string initWithBase64EncodedString(std::string_view text);

// gzip at the default level; empty data comes back as it is; nullopt when zlib fails.
std::optional<std::string> gzipDeflate(std::string_view data);
// Inflates zlib or gzip data (the header tells which); nullopt on any zlib error.  Empty data
// comes back as it is.
std::optional<std::string> gzipInflate(std::string_view data);
// The file's bytes, inflated first when the path's extension is "gz"; nullopt when the file
// cannot be read or does not inflate.
std::optional<std::string> dataWithUncompressedContentsOfFile(std::string_view path);
