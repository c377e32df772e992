#include <gtest/gtest.h>

#include <string>

#include "CommonCrypto/CCBase64.h"
#include "CommonCrypto/CommonCryptor.h"
#include "CommonCrypto/CommonDigest.h"
#include "CommonCrypto/CommonHMAC.h"

namespace {

const std::string kKey = "Kd2vNp9x";
constexpr CCOptions kECBPKCS7 = kCCOptionECBMode | kCCOptionPKCS7Padding;

std::string hex(const unsigned char* p, size_t n) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    out += digits[p[i] >> 4];
    out += digits[p[i] & 15];
  }
  return out;
}

std::string unhex(std::string_view h) {
  std::string out;
  for (size_t i = 0; i + 1 < h.size(); i += 2)
    out += char(std::stoi(std::string(h.substr(i, 2)), nullptr, 16));
  return out;
}

// The cipher's call as the string cipher makes it: output buffer of (n + 8) rounded down to 8.
CCCryptorStatus crypt(CCOperation op, const std::string& in, std::string& out,
                      CCOptions options = kECBPKCS7, const std::string& key = kKey,
                      const void* iv = nullptr) {
  out.assign((in.size() + 8) / 8 * 8, '\0');
  size_t moved = 0;
  CCCryptorStatus st = CCCrypt(op, kCCAlgorithmDES, options, key.data(), key.size(), iv, in.data(),
                               in.size(), out.data(), out.size(), &moved);
  out.resize(st == kCCSuccess ? moved : 0);
  return st;
}

}  // namespace

TEST(CommonCryptor, DesEcbPkcs7KnownAnswerAndRoundTrip) {
  std::string cipher;
  ASSERT_EQ(crypt(kCCEncrypt, "hello", cipher), kCCSuccess);
  EXPECT_EQ(CCBase64Encode(cipher), "VPgOeGgMnR4=");
  std::string plain;
  ASSERT_EQ(crypt(kCCDecrypt, *CCBase64Decode("VPgOeGgMnR4="), plain), kCCSuccess);
  EXPECT_EQ(plain, "hello");

  // Whole blocks get a whole block of padding: 8 bytes of text give 16 cipher bytes.
  for (const std::string text :
       {"", "12345678", "\u4e2d\u6587\u65e5\u5fd7 usage log [{\"aType\":901}]"}) {
    ASSERT_EQ(crypt(kCCEncrypt, text, cipher), kCCSuccess);
    EXPECT_EQ(cipher.size(), (text.size() / 8 + 1) * 8);
    ASSERT_EQ(crypt(kCCDecrypt, cipher, plain), kCCSuccess);
    EXPECT_EQ(plain, text);
  }
}

TEST(CommonCryptor, StandardDesVectors) {
  // The classic single-block example: key 133457799BBCDFF1, plain 0123456789ABCDEF.
  std::string key = unhex("133457799bbcdff1");
  std::string out;
  ASSERT_EQ(crypt(kCCEncrypt, unhex("0123456789abcdef"), out, kCCOptionECBMode, key), kCCSuccess);
  EXPECT_EQ(hex(reinterpret_cast<const unsigned char*>(out.data()), out.size()),
            "85e813540f0ab405");

  // CBC chains the blocks: two equal plain blocks give different cipher blocks, and decrypt back.
  std::string iv = unhex("1234567890abcdef");
  std::string twoBlocks = unhex("0123456789abcdef0123456789abcdef");
  ASSERT_EQ(crypt(kCCEncrypt, twoBlocks, out, 0, key, iv.data()), kCCSuccess);
  ASSERT_EQ(out.size(), 16u);
  EXPECT_NE(out.substr(0, 8), out.substr(8, 8));
  std::string back;
  ASSERT_EQ(crypt(kCCDecrypt, out, back, 0, key, iv.data()), kCCSuccess);
  EXPECT_EQ(back, twoBlocks);
}

TEST(CommonCryptor, StatusCodes) {
  std::string out(64, '\0');
  size_t moved = 99;
  auto call = [&](CCOperation op, CCAlgorithm alg, CCOptions opt, size_t keyLen,
                  const std::string& in, size_t outLen) {
    return CCCrypt(op, alg, opt, kKey.data(), keyLen, nullptr, in.data(), in.size(), out.data(),
                   outLen, &moved);
  };
  EXPECT_EQ(call(kCCEncrypt, kCCAlgorithmDES, kECBPKCS7, 7, "hello", 64), kCCParamError);
  EXPECT_EQ(call(7, kCCAlgorithmDES, kECBPKCS7, 8, "hello", 64), kCCParamError);
  EXPECT_EQ(call(kCCEncrypt, kCCAlgorithmAES128, kECBPKCS7, 8, "hello", 64), kCCUnimplemented);
  EXPECT_EQ(call(kCCEncrypt, kCCAlgorithmDES, kCCOptionECBMode, 8, "hello", 64), kCCAlignmentError);
  EXPECT_EQ(call(kCCDecrypt, kCCAlgorithmDES, kECBPKCS7, 8, "hello", 64), kCCAlignmentError);
  EXPECT_EQ(call(kCCEncrypt, kCCAlgorithmDES, kECBPKCS7, 8, "12345678", 8), kCCBufferTooSmall);
  EXPECT_EQ(moved, 16u);
  EXPECT_EQ(call(kCCDecrypt, kCCAlgorithmDES, kECBPKCS7, 8, "", 64), kCCDecodeError);

  // Text that was never encrypted does not decrypt: its padding is wrong.
  std::string cipher;
  ASSERT_EQ(crypt(kCCEncrypt, "hello", cipher), kCCSuccess);
  std::string plain;
  EXPECT_EQ(crypt(kCCDecrypt, "plainwrd", plain), kCCDecodeError);
  EXPECT_EQ(crypt(kCCDecrypt, cipher, plain, kECBPKCS7, "Wrong!!!"), kCCDecodeError);

  // In place, as callers may do.
  std::string buf = "8 bytes!";
  buf.resize(16);
  ASSERT_EQ(CCCrypt(kCCEncrypt, kCCAlgorithmDES, kECBPKCS7, kKey.data(), 8, nullptr, buf.data(), 8,
                    buf.data(), 16, &moved),
            kCCSuccess);
  ASSERT_EQ(CCCrypt(kCCDecrypt, kCCAlgorithmDES, kECBPKCS7, kKey.data(), 8, nullptr, buf.data(), 16,
                    buf.data(), 16, &moved),
            kCCSuccess);
  EXPECT_EQ(buf.substr(0, moved), "8 bytes!");
}

TEST(CommonDigest, KnownAnswers) {
  unsigned char md[CC_SHA256_DIGEST_LENGTH];
  EXPECT_EQ(hex(CC_MD5("", 0, md), CC_MD5_DIGEST_LENGTH), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(hex(CC_MD5("abc", 3, md), CC_MD5_DIGEST_LENGTH), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(hex(CC_SHA1("abc", 3, md), CC_SHA1_DIGEST_LENGTH),
            "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(hex(CC_SHA256("abc", 3, md), CC_SHA256_DIGEST_LENGTH),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(CommonHMAC, KnownAnswers) {
  // RFC 2202 / RFC 4231 test case 2.
  const std::string key = "Jefe", data = "what do ya want for nothing?";
  unsigned char mac[32];
  CCHmac(kCCHmacAlgMD5, key.data(), key.size(), data.data(), data.size(), mac);
  EXPECT_EQ(hex(mac, 16), "750c783e6ab0b503eaa86e310a5db738");
  CCHmac(kCCHmacAlgSHA1, key.data(), key.size(), data.data(), data.size(), mac);
  EXPECT_EQ(hex(mac, 20), "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79");
  CCHmac(kCCHmacAlgSHA256, key.data(), key.size(), data.data(), data.size(), mac);
  EXPECT_EQ(hex(mac, 32), "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
}

TEST(CCBase64, EncodesAndDecodesCanonically) {
  EXPECT_EQ(CCBase64Encode("abc"), "YWJj");
  EXPECT_EQ(CCBase64Encode("A"), "QQ==");
  EXPECT_EQ(CCBase64Encode("AB"), "QUI=");
  EXPECT_EQ(CCBase64Encode(""), "");
  EXPECT_EQ(CCBase64Decode("QQ=="), "A");
  EXPECT_EQ(CCBase64Decode("QUI="), "AB");
  for (const char* bad : {"QQ", "QR==", "Q===", "QQ=A", "Q Q==", "YW!j", "QQ==QQ=="})
    EXPECT_FALSE(CCBase64Decode(bad)) << bad;
}
