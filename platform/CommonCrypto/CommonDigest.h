// Message digests with the platform's C interface: each writes its digest into `md` (which must
// hold the digest length) and returns `md`.
#pragma once

#include <cstdint>

using CC_LONG = uint32_t;

inline constexpr int CC_MD5_DIGEST_LENGTH = 16;
inline constexpr int CC_SHA1_DIGEST_LENGTH = 20;
inline constexpr int CC_SHA256_DIGEST_LENGTH = 32;

unsigned char* CC_MD5(const void* data, CC_LONG len, unsigned char* md);
unsigned char* CC_SHA1(const void* data, CC_LONG len, unsigned char* md);
unsigned char* CC_SHA256(const void* data, CC_LONG len, unsigned char* md);
