#include <gtest/gtest.h>

#include "core/NSDesEncrypt.h"
#include "core/ZBase64.h"

namespace {

TEST(NSDesEncrypt, KnownAnswerAndRoundTrip) {
  EXPECT_EQ(NSDesEncrypt::tripleDES("hello", true), "VPgOeGgMnR4=");
  EXPECT_EQ(NSDesEncrypt::tripleDES("VPgOeGgMnR4=", false), "hello");
  for (std::string text : {std::string("a"), std::string("12345678"),
                           std::string("用户行为日志 usage log"), std::string(1000, 'x')}) {
    std::string cipher = NSDesEncrypt::tripleDES(text, true);
    EXPECT_NE(cipher, text);
    EXPECT_EQ(NSDesEncrypt::tripleDES(cipher, false), text);
  }
}

TEST(NSDesEncrypt, EightBytesGiveTwoBlocks) {
  std::string cipher = NSDesEncrypt::tripleDES("abcdefgh", true);
  EXPECT_EQ(cipher.size(), 24u);
  EXPECT_EQ(ZBase64::decodeString(cipher)->size(), 16u);
}

TEST(NSDesEncrypt, FailuresReturnTheInput) {
  EXPECT_EQ(NSDesEncrypt::tripleDES("", true), "");
  EXPECT_EQ(NSDesEncrypt::tripleDES("", false), "");
  // Not base64, base64 of a partial block, and a block whose padding is wrong.
  for (const char* text : {"hello", "QUJD", "AAAAAAAAAAA=", "plain text, not ours"})
    EXPECT_EQ(NSDesEncrypt::tripleDES(text, false), text);
  EXPECT_FALSE(NSDesEncrypt::TripleDES("hello", NSDesEncrypt::kDecrypt));
  EXPECT_EQ(NSDesEncrypt::TripleDES("hello", NSDesEncrypt::kEncrypt), "VPgOeGgMnR4=");
}

}  // namespace
