#include <gtest/gtest.h>

#include <string>

#include "core/ZBase64.h"

namespace {

TEST(ZBase64, EncodesWithBothAlphabets) {
  EXPECT_EQ(ZBase64::stringByEncodingData("A"), "QQ==");
  EXPECT_EQ(ZBase64::stringByEncodingData("AB"), "QUI=");
  EXPECT_EQ(ZBase64::stringByEncodingData("ABC"), "QUJD");
  EXPECT_EQ(ZBase64::stringByEncodingData("\xFB\xFF"), "+/8=");
  EXPECT_EQ(ZBase64::stringByWebSafeEncodingData("\xFB\xFF", false), "-_8");
  EXPECT_EQ(ZBase64::stringByWebSafeEncodingData("\xFB\xFF", true), "-_8=");
  EXPECT_EQ(ZBase64::stringByWebSafeEncodingData("A", false), "QQ");
  EXPECT_FALSE(ZBase64::stringByEncodingData(""));
  EXPECT_FALSE(ZBase64::decodeString(""));
}

TEST(ZBase64, RoundTripsEveryLengthAndByte) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += char(i);
  for (size_t n = 1; n <= all.size(); n += 7) {
    std::string data = all.substr(0, n);
    auto standard = ZBase64::encodeData(data);
    ASSERT_TRUE(standard);
    EXPECT_EQ(standard->size() % 4, 0u);
    EXPECT_EQ(ZBase64::decodeData(*standard), data);
    for (bool padded : {true, false}) {
      auto web = ZBase64::webSafeEncodeData(data, padded);
      ASSERT_TRUE(web);
      EXPECT_EQ(web->find_first_of("+/"), std::string::npos);
      EXPECT_EQ(ZBase64::webSafeDecodeData(*web), data);
    }
  }
}

struct DecodeCase {
  const char* text;
  bool webSafe;
  std::optional<std::string> expected;
};

TEST(ZBase64, DecodingEdgeCases) {
  const DecodeCase cases[] = {
      {"QQ", false, std::nullopt},                     // padding is required by the standard form
      {"QQ", true, std::string("A")},                  // and optional in the URL-safe one
      {"QR==", false, std::nullopt},                   // leftover bits past the byte
      {"QR", true, std::nullopt},                      // the same without padding
      {" Q\tQ\r\n = \n=  ", false, std::string("A")},  // whitespace anywhere
      {"Q\xA0Q\xFF==", false, std::string("A")},       // 160 and 255 count as whitespace
      {"QQ=", false, std::nullopt},                    // a second "=" is owed
      {"QQ= x", false, std::nullopt},                  // and something else came
      {"QUI=", false, std::string("AB")},
      {"QUI= \n", false, std::string("AB")},
      {"QUI=x", false, std::nullopt},         // only whitespace may follow the padding
      {"Q===", false, std::nullopt},          // "=" in the second position
      {"=QQQ", false, std::nullopt},          // "=" in the first position
      {"Q", true, std::nullopt},              // a lone character
      {"QQ*=", false, std::nullopt},          // outside the alphabet
      {"-_8", false, std::nullopt},           // URL-safe characters in the standard form
      {"+/8=", true, std::nullopt},           // and the other way round
      {"QUJD\xC3\xA9", false, std::nullopt},  // bytes of 128 and more
  };
  for (const auto& c : cases) {
    std::string_view text(c.text);
    auto got = c.webSafe ? ZBase64::webSafeDecodeData(text) : ZBase64::decodeData(text);
    EXPECT_EQ(got, c.expected) << "input: " << c.text;
  }
}

TEST(ZBase64, DecodingStopsAtNul) {
  std::string text("QUJD\0QUJD", 9);
  EXPECT_EQ(ZBase64::decodeData(text), "ABC");
}

TEST(ZBase64, StringFormsRefuseNonASCII) {
  EXPECT_FALSE(ZBase64::decodeString("QUJD\xE4\xB8\xAD"));
  EXPECT_FALSE(ZBase64::webSafeDecodeString("QUJD\xE4\xB8\xAD"));
}

TEST(ZBase64, WorkersRefuseEmptyBuffers) {
  uint8_t out[4];
  EXPECT_EQ(ZBase64::baseDecode("QQ==", 4, nullptr, 4, ZBase64::kStandardCharset, true), 0u);
  EXPECT_EQ(ZBase64::baseDecode("QQ==", 4, out, 0, ZBase64::kStandardCharset, true), 0u);
  EXPECT_EQ(ZBase64::baseDecode("QQ==", 0, out, 4, ZBase64::kStandardCharset, true), 0u);
  char enc[4];
  EXPECT_EQ(ZBase64::baseEncode(out, 0, enc, 4, ZBase64::kStandardCharset, true), 0u);
  // A destination too small for the text fails rather than writing past it.
  const uint8_t abc[] = {'A', 'B', 'C'};
  EXPECT_EQ(ZBase64::baseEncode(abc, 3, enc, 3, ZBase64::kStandardCharset, true), 0u);
}

}  // namespace
