// The byte codecs the local content server shares with its clients: base64, the app's string
// cipher (single DES, ECB, PKCS7, base64 text) and MD5 digests of served files.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zept::server {

// Standard alphabet, padded.
std::string base64Encode(std::string_view bytes);
// Standard alphabet; blanks and line ends are skipped; nullopt for malformed text.
std::optional<std::string> base64Decode(std::string_view text);

// The app's fixed cipher key.
inline constexpr std::string_view kCipherKey = "Kd2vNp9x";

// Enciphers text the way the app does (DES-ECB-PKCS7, then base64).
std::string cipherText(std::string_view plain, std::string_view key = kCipherKey);
// Deciphers the app's cipher text; nullopt when the text is not base64, not whole blocks, badly
// padded or not UTF-8 once deciphered (the app sends some fields in plain text too).
std::optional<std::string> decipherText(std::string_view text, std::string_view key = kCipherKey);

// 32 lower-case hexadecimal digits.
std::string md5Hex(std::string_view bytes);

}  // namespace zept::server
