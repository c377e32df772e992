#include <gtest/gtest.h>
#include <zlib.h>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "net/http/HXDataCompressor.h"
#include "net/http/HXDataDecompressor.h"
#include "support/TestHTTPServer.h"

namespace {

std::string zlibBytes(const std::string& data) {
  uLongf size = compressBound(data.size());
  std::string out(size, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
           data.size());
  out.resize(size);
  return out;
}

std::string pseudoRandom(size_t n) {
  std::string s(n, '\0');
  uint32_t x = 12345;
  for (auto& c : s) {
    x = x * 1103515245 + 12345;
    c = char(x >> 24);
  }
  return s;
}

std::string path(const std::string& name) {
  return stringByAppendingPathComponent(NSDocumentDirectory(), name);
}

}  // namespace

TEST(HXDataDecompressor, InflatesGzipAndZlibWithTheSameSettings) {
  std::string text(100000, 'z');
  EXPECT_EQ(HXDataDecompressor::uncompressData(testsupport::gzipBytes(text)).value_or(""), text);
  EXPECT_EQ(HXDataDecompressor::uncompressData(zlibBytes(text)).value_or(""), text);
  // A body that grows far beyond one and a half times its compressed size comes out whole.
  EXPECT_GT(text.size(), testsupport::gzipBytes(text).size() * 100);
}

TEST(HXDataDecompressor, AnEmptyChunkGivesNothingAndNoError) {
  auto d = HXDataDecompressor::decompressor();
  ASSERT_TRUE(d->streamReady());
  NSErrorPtr error;
  EXPECT_FALSE(d->uncompressBytes("", &error));
  EXPECT_FALSE(error);
}

TEST(HXDataDecompressor, CorruptInputGivesCode11WithTheZlibCode) {
  NSErrorPtr error;
  // A gzip header followed by a deflate block of the reserved type.
  std::string corrupt("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03\x07\x00\x00\x00", 14);
  EXPECT_FALSE(HXDataDecompressor::uncompressData(corrupt, &error));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->domain(), "HXHTTPRequestErrorDomain");
  EXPECT_EQ(error->code(), 11);
  EXPECT_EQ(error->localizedDescription(), "Decompression of data failed with code -3");
}

TEST(HXDataDecompressor, FilesInflateIntoOtherFilesAndAMissingSourceIsAnError) {
  std::string text = pseudoRandom(700000);
  ASSERT_TRUE(writeToFile(path("in.gz"), testsupport::gzipBytes(text), false));
  NSErrorPtr error;
  ASSERT_TRUE(HXDataDecompressor::uncompressDataFromFile(path("in.gz"), path("out"), &error));
  EXPECT_EQ(dataWithContentsOfFile(path("out")).value_or(""), text);

  EXPECT_FALSE(HXDataDecompressor::uncompressDataFromFile(path("none.gz"), path("out2"), &error));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->localizedDescription(),
            "Decompression of " + path("none.gz") + " failed the file does not exist");
  // The destination was made before the source was looked for.
  EXPECT_TRUE(NSFileManager::defaultManager().fileExistsAtPath(path("out2")));
}

TEST(HXDataCompressor, DeflatedDataAndFilesInflateBackWhateverTheirSize) {
  std::string small = "hello hello hello";
  auto packed = HXDataCompressor::compressData(small);
  ASSERT_TRUE(packed);
  EXPECT_EQ(uint8_t((*packed)[0]), 0x1F);
  EXPECT_EQ(HXDataDecompressor::uncompressData(*packed).value_or(""), small);

  // Sizes around the 256 KB chunk, an exact multiple of it included.
  for (size_t size : {size_t(600000), size_t(262144), size_t(524288), size_t(1)}) {
    std::string text = pseudoRandom(size);
    ASSERT_TRUE(writeToFile(path("plain"), text, false));
    NSErrorPtr error;
    ASSERT_TRUE(HXDataCompressor::compressDataFromFile(path("plain"), path("packed"), &error))
        << size << " " << (error ? error->localizedDescription() : "");
    auto back =
        HXDataDecompressor::uncompressData(dataWithContentsOfFile(path("packed")).value_or(""));
    EXPECT_TRUE(back && *back == text) << size;
  }
}
