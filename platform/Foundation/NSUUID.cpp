#include "Foundation/NSUUID.h"

#include <uuid/uuid.h>

#include <cctype>
#include <cstring>

NSUUID::NSUUID() {
  uuid_t u;
  uuid_generate_random(u);
  std::memcpy(bytes_.data(), u, 16);
}

std::optional<NSUUID> NSUUID::fromString(std::string_view text) {
  if (text.size() != 36) return std::nullopt;
  for (size_t i = 0; i < 36; ++i) {
    bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i])))
      return std::nullopt;
  }
  std::string s(text);
  uuid_t u;
  if (uuid_parse(s.c_str(), u) != 0) return std::nullopt;
  std::array<uint8_t, 16> b;
  std::memcpy(b.data(), u, 16);
  return NSUUID(b);
}

std::string NSUUID::UUIDString() const {
  char buf[37];
  uuid_t u;
  std::memcpy(u, bytes_.data(), 16);
  uuid_unparse_upper(u, buf);
  return buf;
}
