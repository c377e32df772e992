#include "CommonCrypto/CommonDigest.h"

#include <nettle/md5.h>
#include <nettle/sha1.h>
#include <nettle/sha2.h>

unsigned char* CC_MD5(const void* data, CC_LONG len, unsigned char* md) {
  md5_ctx ctx;
  md5_init(&ctx);
  md5_update(&ctx, len, static_cast<const uint8_t*>(data));
  md5_digest(&ctx, CC_MD5_DIGEST_LENGTH, md);
  return md;
}

unsigned char* CC_SHA1(const void* data, CC_LONG len, unsigned char* md) {
  sha1_ctx ctx;
  sha1_init(&ctx);
  sha1_update(&ctx, len, static_cast<const uint8_t*>(data));
  sha1_digest(&ctx, CC_SHA1_DIGEST_LENGTH, md);
  return md;
}

unsigned char* CC_SHA256(const void* data, CC_LONG len, unsigned char* md) {
  sha256_ctx ctx;
  sha256_init(&ctx);
  sha256_update(&ctx, len, static_cast<const uint8_t*>(data));
  sha256_digest(&ctx, CC_SHA256_DIGEST_LENGTH, md);
  return md;
}
