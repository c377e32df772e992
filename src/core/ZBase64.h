// Base64 with the standard and the URL-safe alphabets.  Every method answers nullopt (nil) when
// the input is empty or malformed, and the string forms refuse text that is not ASCII.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class ZBase64 {
 public:
  // Standard alphabet, padding written.
  static std::optional<std::string> encodeData(std::string_view data);
  static std::optional<std::string> encodeBytes(const void* bytes, size_t length);
  static std::optional<std::string> stringByEncodingData(std::string_view data);
  static std::optional<std::string> stringByEncodingBytes(const void* bytes, size_t length);

  // Standard alphabet, padding required.
  static std::optional<std::string> decodeData(std::string_view data);
  static std::optional<std::string> decodeBytes(const void* bytes, size_t length);
  static std::optional<std::string> decodeString(std::string_view string);

  // URL-safe alphabet, padding as asked when encoding and optional when decoding.
  static std::optional<std::string> webSafeEncodeData(std::string_view data, bool padded);
  static std::optional<std::string> webSafeEncodeBytes(const void* bytes, size_t length,
                                                       bool padded);
  static std::optional<std::string> stringByWebSafeEncodingData(std::string_view data, bool padded);
  static std::optional<std::string> stringByWebSafeEncodingBytes(const void* bytes, size_t length,
                                                                 bool padded);
  static std::optional<std::string> webSafeDecodeData(std::string_view data);
  static std::optional<std::string> webSafeDecodeBytes(const void* bytes, size_t length);
  static std::optional<std::string> webSafeDecodeString(std::string_view string);

  // The shared encoder and decoder; `charset` is one of the two alphabets.
  static std::optional<std::string> baseEncode(const void* bytes, size_t length,
                                               const char* charset, bool padded);
  static std::optional<std::string> baseDecode(const void* bytes, size_t length,
                                               const char* charset, bool requirePadding);

  // The workers: the number of bytes written to dest, 0 for failure.
  static size_t baseEncode(const uint8_t* src, size_t srcLen, char* dest, size_t destLen,
                           const char* charset, bool padded);
  static size_t baseDecode(const char* src, size_t srcLen, uint8_t* dest, size_t destLen,
                           const char* charset, bool requirePadding);

  static constexpr const char* kStandardCharset =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  static constexpr const char* kWebSafeCharset =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
};
