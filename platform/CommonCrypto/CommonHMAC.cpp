#include "CommonCrypto/CommonHMAC.h"

#include <nettle/hmac.h>

namespace {

const uint8_t kEmpty[1] = {0};

// One whole message through a nettle HMAC.
template <class Context>
void hmacOnce(void (*setKey)(Context*, size_t, const uint8_t*),
              void (*update)(Context*, size_t, const uint8_t*),
              void (*digest)(Context*, size_t, uint8_t*), size_t digestLength, const uint8_t* key,
              size_t keyLength, const uint8_t* data, size_t dataLength, uint8_t* out) {
  Context ctx;
  setKey(&ctx, keyLength, key);
  update(&ctx, dataLength, data);
  digest(&ctx, digestLength, out);
}

}  // namespace

void CCHmac(CCHmacAlgorithm algorithm, const void* key, size_t keyLength, const void* data,
            size_t dataLength, void* macOut) {
  const uint8_t* k = key ? static_cast<const uint8_t*>(key) : kEmpty;
  const uint8_t* d = data ? static_cast<const uint8_t*>(data) : kEmpty;
  if (!key) keyLength = 0;
  if (!data) dataLength = 0;
  uint8_t* out = static_cast<uint8_t*>(macOut);
  switch (algorithm) {
    case kCCHmacAlgSHA1:
      hmacOnce(hmac_sha1_set_key, hmac_sha1_update, hmac_sha1_digest, SHA1_DIGEST_SIZE, k,
               keyLength, d, dataLength, out);
      break;
    case kCCHmacAlgMD5:
      hmacOnce(hmac_md5_set_key, hmac_md5_update, hmac_md5_digest, MD5_DIGEST_SIZE, k, keyLength, d,
               dataLength, out);
      break;
    case kCCHmacAlgSHA256:
      hmacOnce(hmac_sha256_set_key, hmac_sha256_update, hmac_sha256_digest, SHA256_DIGEST_SIZE, k,
               keyLength, d, dataLength, out);
      break;
    default:
      break;
  }
}
