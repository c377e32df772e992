#include "CommonCrypto/CommonDigest.h"

#include <nettle/md5.h>
#include <nettle/sha1.h>
#include <nettle/sha2.h>

namespace {

// One whole message through a nettle hash.
template <class Context>
unsigned char* digestOnce(void (*init)(Context*), void (*update)(Context*, size_t, const uint8_t*),
                          void (*digest)(Context*, size_t, uint8_t*), size_t digestLength,
                          const void* data, CC_LONG len, unsigned char* md) {
  Context ctx;
  init(&ctx);
  update(&ctx, len, static_cast<const uint8_t*>(data));
  digest(&ctx, digestLength, md);
  return md;
}

}  // namespace

unsigned char* CC_MD5(const void* data, CC_LONG len, unsigned char* md) {
  return digestOnce(md5_init, md5_update, md5_digest, CC_MD5_DIGEST_LENGTH, data, len, md);
}

unsigned char* CC_SHA1(const void* data, CC_LONG len, unsigned char* md) {
  return digestOnce(sha1_init, sha1_update, sha1_digest, CC_SHA1_DIGEST_LENGTH, data, len, md);
}

unsigned char* CC_SHA256(const void* data, CC_LONG len, unsigned char* md) {
  return digestOnce(sha256_init, sha256_update, sha256_digest, CC_SHA256_DIGEST_LENGTH, data, len,
                    md);
}
