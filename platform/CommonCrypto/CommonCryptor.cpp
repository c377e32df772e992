#include "CommonCrypto/CommonCryptor.h"

#include <nettle/des.h>

#include <cstring>
#include <vector>

CCCryptorStatus CCCrypt(CCOperation op, CCAlgorithm alg, CCOptions options, const void* key,
                        size_t keyLength, const void* iv, const void* dataIn, size_t dataInLength,
                        void* dataOut, size_t dataOutAvailable, size_t* dataOutMoved) {
  if (dataOutMoved) *dataOutMoved = 0;
  if (op != kCCEncrypt && op != kCCDecrypt) return kCCParamError;
  if (alg != kCCAlgorithmDES) return kCCUnimplemented;
  if (!key || keyLength != kCCKeySizeDES) return kCCParamError;
  if (!dataIn && dataInLength > 0) return kCCParamError;

  const bool pad = options & kCCOptionPKCS7Padding;
  const bool ecb = options & kCCOptionECBMode;
  constexpr size_t B = kCCBlockSizeDES;

  des_ctx ctx;
  // Weak keys are still usable keys: the result is what any DES gives for them.
  des_set_key(&ctx, static_cast<const uint8_t*>(key));
  uint8_t chain[B] = {0};
  if (!ecb && iv) std::memcpy(chain, iv, B);

  const uint8_t* in = static_cast<const uint8_t*>(dataIn);
  std::vector<uint8_t> out;

  if (op == kCCEncrypt) {
    if (!pad && dataInLength % B) return kCCAlignmentError;
    size_t total = pad ? (dataInLength / B + 1) * B : dataInLength;
    if (dataOutAvailable < total || (!dataOut && total > 0)) {
      if (dataOutMoved) *dataOutMoved = total;
      return kCCBufferTooSmall;
    }
    std::vector<uint8_t> plain(total);
    if (dataInLength) std::memcpy(plain.data(), in, dataInLength);
    for (size_t i = dataInLength; i < total; ++i) plain[i] = uint8_t(total - dataInLength);
    out.resize(total);
    for (size_t off = 0; off < total; off += B) {
      uint8_t block[B];
      std::memcpy(block, plain.data() + off, B);
      if (!ecb)
        for (size_t k = 0; k < B; ++k) block[k] ^= chain[k];
      des_encrypt(&ctx, B, out.data() + off, block);
      if (!ecb) std::memcpy(chain, out.data() + off, B);
    }
  } else {
    if (dataInLength % B) return kCCAlignmentError;
    if (pad && dataInLength == 0) return kCCDecodeError;
    out.resize(dataInLength);
    for (size_t off = 0; off < dataInLength; off += B) {
      des_decrypt(&ctx, B, out.data() + off, in + off);
      if (!ecb) {
        for (size_t k = 0; k < B; ++k) out[off + k] ^= chain[k];
        std::memcpy(chain, in + off, B);
      }
    }
    if (pad) {
      uint8_t p = out.back();
      if (p == 0 || p > B) return kCCDecodeError;
      for (size_t k = out.size() - p; k < out.size(); ++k)
        if (out[k] != p) return kCCDecodeError;
      out.resize(out.size() - p);
    }
    if (dataOutAvailable < out.size() || (!dataOut && !out.empty())) {
      if (dataOutMoved) *dataOutMoved = out.size();
      return kCCBufferTooSmall;
    }
  }
  if (!out.empty()) std::memmove(dataOut, out.data(), out.size());
  if (dataOutMoved) *dataOutMoved = out.size();
  return kCCSuccess;
}
