// Keyed-hash message authentication codes with the platform's C interface.
#pragma once

#include <cstddef>
#include <cstdint>

using CCHmacAlgorithm = uint32_t;
inline constexpr CCHmacAlgorithm kCCHmacAlgSHA1 = 0;
inline constexpr CCHmacAlgorithm kCCHmacAlgMD5 = 1;
inline constexpr CCHmacAlgorithm kCCHmacAlgSHA256 = 2;

// Writes the MAC (16, 20 or 32 bytes by algorithm) to macOut; an algorithm not listed above
// writes nothing.
void CCHmac(CCHmacAlgorithm algorithm, const void* key, size_t keyLength, const void* data,
            size_t dataLength, void* macOut);
