// The MD5 digest of a text in lower-case hexadecimal: what the tests' servers compute to check
// Digest answers, independently of the code under test.
#pragma once

#include <openssl/evp.h>

#include <cstdio>
#include <string>

namespace testsupport {

inline std::string md5Hex(const std::string& s) {
  unsigned char d[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(s.data(), s.size(), d, &length, EVP_md5(), nullptr);
  std::string out;
  char hex[3];
  for (unsigned i = 0; i < length; ++i) {
    std::snprintf(hex, sizeof hex, "%02x", d[i]);
    out += hex;
  }
  return out;
}

}  // namespace testsupport
