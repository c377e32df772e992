#include "CommonCrypto/CommonHMAC.h"

#include <nettle/hmac.h>

namespace {
const uint8_t kEmpty[1] = {0};
}

void CCHmac(CCHmacAlgorithm algorithm, const void* key, size_t keyLength, const void* data,
            size_t dataLength, void* macOut) {
  const uint8_t* k = key ? static_cast<const uint8_t*>(key) : kEmpty;
  const uint8_t* d = data ? static_cast<const uint8_t*>(data) : kEmpty;
  if (!key) keyLength = 0;
  if (!data) dataLength = 0;
  uint8_t* out = static_cast<uint8_t*>(macOut);
  switch (algorithm) {
    case kCCHmacAlgSHA1: {
      hmac_sha1_ctx ctx;
      hmac_sha1_set_key(&ctx, keyLength, k);
      hmac_sha1_update(&ctx, dataLength, d);
      hmac_sha1_digest(&ctx, SHA1_DIGEST_SIZE, out);
      break;
    }
    case kCCHmacAlgMD5: {
      hmac_md5_ctx ctx;
      hmac_md5_set_key(&ctx, keyLength, k);
      hmac_md5_update(&ctx, dataLength, d);
      hmac_md5_digest(&ctx, MD5_DIGEST_SIZE, out);
      break;
    }
    case kCCHmacAlgSHA256: {
      hmac_sha256_ctx ctx;
      hmac_sha256_set_key(&ctx, keyLength, k);
      hmac_sha256_update(&ctx, dataLength, d);
      hmac_sha256_digest(&ctx, SHA256_DIGEST_SIZE, out);
      break;
    }
    default:
      break;
  }
}
