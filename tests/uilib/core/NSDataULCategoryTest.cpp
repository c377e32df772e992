// Digests, Base64, gzip both ways, and reading files that may be compressed.
#include <gtest/gtest.h>
#include <zlib.h>

#include <optional>
#include <string>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "support/TestHTTPServer.h"
#include "uilib/core/NSData+ULCategory.h"

namespace {

// The zlib wrapper, as zlib's one-call compressor writes it.
std::string zlibBytes(const std::string& text) {
  uLongf length = compressBound(uLong(text.size()));
  std::string out(length, '\0');
  EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &length,
                      reinterpret_cast<const Bytef*>(text.data()), uLong(text.size()),
                      Z_DEFAULT_COMPRESSION),
            Z_OK);
  out.resize(length);
  return out;
}

std::string repetitive(size_t size) {
  std::string text;
  while (text.size() < size) text += "<item id=\"" + std::to_string(text.size()) + "\"/>";
  return text;
}

TEST(NSDataULCategory, GzipAndZlibDataInflateWhateverTheirRatio) {
  for (size_t size : {size_t(1), size_t(100), size_t(300000)}) {
    std::string text = repetitive(size);
    SCOPED_TRACE(size);
    EXPECT_EQ(gzipInflate(testsupport::gzipBytes(text)), text);
    EXPECT_EQ(gzipInflate(zlibBytes(text)), text);
  }
  EXPECT_EQ(gzipInflate(""), "");
}

TEST(NSDataULCategory, DataThatDoesNotInflateGivesNil) {
  std::string whole = testsupport::gzipBytes(repetitive(5000));
  EXPECT_EQ(gzipInflate(whole.substr(0, whole.size() / 2)), std::nullopt);
  EXPECT_EQ(gzipInflate("plain text, not compressed"), std::nullopt);
  std::string corrupt = whole;
  corrupt[corrupt.size() / 2] ^= 0x55;
  EXPECT_EQ(gzipInflate(corrupt), std::nullopt);
}

TEST(NSDataULCategory, OnlyAGzFileIsInflatedWhenRead) {
  const std::string dir = NSTemporaryDirectory();
  std::string text = repetitive(2000);
  ASSERT_TRUE(writeToFile(dir + "doc.xml.gz", testsupport::gzipBytes(text), true));
  ASSERT_TRUE(writeToFile(dir + "doc.xml", text, true));
  ASSERT_TRUE(writeToFile(dir + "bad.gz", "not gzip", true));
  EXPECT_EQ(dataWithUncompressedContentsOfFile(dir + "doc.xml.gz"), text);
  EXPECT_EQ(dataWithUncompressedContentsOfFile(dir + "doc.xml"), text);
  EXPECT_EQ(dataWithUncompressedContentsOfFile(dir + "bad.gz"), std::nullopt);
  EXPECT_EQ(dataWithUncompressedContentsOfFile(dir + "missing.xml"), std::nullopt);
}

TEST(NSDataULCategory, Md5HashIsTheDigestInLowerCaseHex) {
  // RFC 1321's test suite, and bytes that are not text.
  const std::pair<std::string, const char*> cases[] = {
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {std::string("\0\xff\x80", 3), "4fd64cb80c3f86e1e9d0f559af8b370f"},
  };
  for (const auto& [bytes, digest] : cases) EXPECT_EQ(md5Hash(bytes), digest) << bytes;
  EXPECT_EQ(md5Hash(""), "");
}

TEST(NSDataULCategory, Sha1HashIsTheDigestInLowerCaseHex) {
  // FIPS 180's examples; a text's digest is its UTF-8 bytes'.
  EXPECT_EQ(sha1Hash("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(sha1Hash("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  EXPECT_EQ(sha1Hash("\xe4\xb8\xad"), sha1Hash(std::string("\xe4\xb8\xad", 3)));
  EXPECT_EQ(sha1Hash("").size(), 0u);
  EXPECT_EQ(md5Hash("\xe4\xb8\xad").size(), 32u);
}

TEST(NSDataULCategory, Base64WritesTheStandardAlphabetWithOptionalLineBreaks) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},        {"f", "Zg=="},          {"fo", "Zm8="},
      {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"}, {std::string("\xff\xfe\x00", 3), "//4A"},
  };
  for (auto& [bytes, text] : cases) {
    EXPECT_EQ(base64EncodedString(bytes), text);
    EXPECT_EQ(base64Encoding(bytes), text);
    EXPECT_EQ(dataWithBase64EncodedString(text), bytes);
    EXPECT_EQ(initWithBase64EncodedString(text), bytes);
  }
  // A line feed after each group at which the line reaches the length.
  EXPECT_EQ(base64EncodingWithLineLength("foobarfoobar", 8), "Zm9vYmFy\nZm9vYmFy\n");
  EXPECT_EQ(base64EncodingWithLineLength("foobarfoo", 6), "Zm9vYmFy\nZm9v");
  EXPECT_EQ(base64EncodingWithLineLength("foobar", 0), "Zm9vYmFy");
}

TEST(NSDataULCategory, TheStrictDecoderRefusesWhatTheLenientOneSkips) {
  struct Case {
    const char* text;
    std::optional<std::string> strict;
    std::string lenient;
  };
  const Case cases[] = {
      {"Zm9v\nYmFy", "foobar", "foobar"},  // white space is skipped by both
      {"Zm=9v", "foo", "f"},               // "=" is skipped, or ends the data
      {"Zm9v*YmFy", std::nullopt, "foobar"},
      {"Zm9vY", std::nullopt, "foo"},         // a last group of one character
      {"Zm9\xc3\xa9v", std::nullopt, "foo"},  // not ASCII
      {"Zm8", "fo", "fo"},
  };
  for (auto& c : cases) {
    EXPECT_EQ(dataWithBase64EncodedString(c.text), c.strict) << c.text;
    EXPECT_EQ(initWithBase64EncodedString(c.text), c.lenient) << c.text;
  }
}

TEST(NSDataULCategory, GzipDeflateWritesWhatInflateAndZlibRead) {
  for (size_t size : {size_t(1), size_t(20000), size_t(300000)}) {
    std::string text = repetitive(size);
    auto packed = gzipDeflate(text);
    ASSERT_TRUE(packed);
    EXPECT_EQ(packed->substr(0, 2), "\x1f\x8b");
    EXPECT_EQ(gzipInflate(*packed), text);
  }
  // Incompressible bytes grow past the first step of the output buffer.
  std::string noise;
  unsigned seed = 7;
  for (int i = 0; i < 70000; ++i) noise.push_back(char((seed = seed * 1103515245 + 12345) >> 16));
  EXPECT_EQ(gzipInflate(gzipDeflate(noise).value()), noise);
  EXPECT_EQ(gzipDeflate(""), "");
  EXPECT_EQ(gzipInflate("not compressed"), std::nullopt);
}

}  // namespace
