// Random (version 4) UUIDs and their upper-case 8-4-4-4-12 text.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class NSUUID {
 public:
  // A fresh random UUID.
  NSUUID();
  // nullopt unless the text is 8-4-4-4-12 hexadecimal digits (either case).
  static std::optional<NSUUID> fromString(std::string_view text);

  // "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".
  std::string UUIDString() const;
  const std::array<uint8_t, 16>& bytes() const { return bytes_; }
  bool operator==(const NSUUID&) const = default;

  // The text of a fresh UUID (CFUUIDCreateString of a new CFUUID).
  static std::string createString() { return NSUUID().UUIDString(); }

 private:
  explicit NSUUID(const std::array<uint8_t, 16>& bytes) : bytes_(bytes) {}
  std::array<uint8_t, 16> bytes_{};
};
