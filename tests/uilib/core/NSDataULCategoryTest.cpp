// The MD5 digest, inflating gzip and zlib data, and reading files that may be compressed.
#include <gtest/gtest.h>
#include <zlib.h>

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

}  // namespace
