// Inflating gzip and zlib data, and reading files that may be compressed.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "uilib/core/NSData+ULCategory.h"

namespace {

// Compresses with zlib's own writer: 31 window bits write a gzip wrapper, 15 a zlib one.
std::string deflated(const std::string& text, int windowBits) {
  z_stream stream{};
  EXPECT_EQ(
      deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY),
      Z_OK);
  std::string out(deflateBound(&stream, uLong(text.size())) + 32, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = uInt(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = uInt(out.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  out.resize(stream.total_out);
  deflateEnd(&stream);
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
    EXPECT_EQ(gzipInflate(deflated(text, 31)), text);
    EXPECT_EQ(gzipInflate(deflated(text, 15)), text);
  }
  EXPECT_EQ(gzipInflate(""), "");
}

TEST(NSDataULCategory, DataThatDoesNotInflateGivesNil) {
  std::string whole = deflated(repetitive(5000), 31);
  EXPECT_EQ(gzipInflate(whole.substr(0, whole.size() / 2)), std::nullopt);
  EXPECT_EQ(gzipInflate("plain text, not compressed"), std::nullopt);
  std::string corrupt = whole;
  corrupt[corrupt.size() / 2] ^= 0x55;
  EXPECT_EQ(gzipInflate(corrupt), std::nullopt);
}

TEST(NSDataULCategory, OnlyAGzFileIsInflatedWhenRead) {
  const std::string dir = NSTemporaryDirectory();
  std::string text = repetitive(2000);
  ASSERT_TRUE(writeToFile(dir + "doc.xml.gz", deflated(text, 31), true));
  ASSERT_TRUE(writeToFile(dir + "doc.xml", text, true));
  ASSERT_TRUE(writeToFile(dir + "bad.gz", "not gzip", true));
  EXPECT_EQ(dataWithUncompressedContentsOfFile(dir + "doc.xml.gz"), text);
  EXPECT_EQ(dataWithUncompressedContentsOfFile(dir + "doc.xml"), text);
  EXPECT_EQ(dataWithUncompressedContentsOfFile(dir + "bad.gz"), std::nullopt);
  EXPECT_EQ(dataWithUncompressedContentsOfFile(dir + "missing.xml"), std::nullopt);
}

}  // namespace
