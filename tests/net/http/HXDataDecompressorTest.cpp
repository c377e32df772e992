#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <vector>

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

TEST(HXDataDecompressor, AGzipStreamWithoutItsEndIsAnErrorInMemoryAndFileToFile) {
  std::string text = pseudoRandom(300000);
  std::string whole = testsupport::gzipBytes(text);
  // Cut inside the deflate data, and cut only the eight-byte trailer.
  for (size_t cut : {whole.size() / 2, whole.size() - 8}) {
    SCOPED_TRACE(cut);
    std::string truncated = whole.substr(0, cut);
    NSErrorPtr error;
    EXPECT_FALSE(HXDataDecompressor::uncompressData(truncated, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 11);
    EXPECT_EQ(error->localizedDescription(), "Decompression of data failed with code -5");

    ASSERT_TRUE(writeToFile(path("cut.gz"), truncated, false));
    error = nullptr;
    EXPECT_FALSE(HXDataDecompressor::uncompressDataFromFile(path("cut.gz"), path("cut"), &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 11);
  }
  // A whole stream followed by nothing is no error.
  NSErrorPtr error;
  EXPECT_EQ(HXDataDecompressor::uncompressData(whole, &error).value_or(""), text);
  EXPECT_FALSE(error);
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

namespace {

// Every fread of the test process, observed at the C library (the link wraps fread): the
// counts that reads of a given file returned.
std::mutex gReadsMutex;
std::string gWatchedPath;
std::vector<size_t> gReads;

std::string pathOf(FILE* f) {
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fileno(f));
  char target[4096];
  ssize_t n = readlink(link, target, sizeof target - 1);
  return n > 0 ? std::string(target, size_t(n)) : std::string();
}

class ReadWatch {
 public:
  explicit ReadWatch(const std::string& path) {
    std::lock_guard<std::mutex> lock(gReadsMutex);
    gWatchedPath = std::filesystem::canonical(path).string();
    gReads.clear();
  }
  ~ReadWatch() {
    std::lock_guard<std::mutex> lock(gReadsMutex);
    gWatchedPath.clear();
  }
  // The reads that gave bytes.
  std::vector<size_t> reads() const {
    std::lock_guard<std::mutex> lock(gReadsMutex);
    std::vector<size_t> r;
    for (size_t n : gReads)
      if (n) r.push_back(n);
    return r;
  }
};

}  // namespace

extern "C" size_t __real_fread(void* buffer, size_t size, size_t count, FILE* stream);
extern "C" size_t __wrap_fread(void* buffer, size_t size, size_t count, FILE* stream) {
  size_t n = __real_fread(buffer, size, count, stream);
  std::lock_guard<std::mutex> lock(gReadsMutex);
  if (!gWatchedPath.empty() && pathOf(stream) == gWatchedPath) gReads.push_back(n * size);
  return n;
}

TEST(HXDataDecompressor, AChunkGivesEverythingItsInputHoldsEvenWhenZlibHadMoreThanABuffer) {
  // A million equal bytes pack into about a thousand: every piece of input stands for far
  // more output than the chunk's buffer holds.
  std::string text(1000000, 'a');
  std::string packed = testsupport::gzipBytes(text);
  auto d = HXDataDecompressor::decompressor();
  NSErrorPtr error;
  // Everything but the 8-byte trailer: all of the text is in there.
  auto body = d->uncompressBytes(std::string_view(packed).substr(0, packed.size() - 8), &error);
  ASSERT_FALSE(error);
  ASSERT_TRUE(body);
  EXPECT_EQ(body->size(), text.size());
  auto tail = d->uncompressBytes(std::string_view(packed).substr(packed.size() - 8), &error);
  EXPECT_FALSE(error);
  EXPECT_EQ(tail.value_or("?"), "");
}

TEST(HXDataDecompressor, FilesAreReadInChunksOf256KB) {
  std::string text = pseudoRandom(600000);
  ASSERT_TRUE(writeToFile(path("plain"), text, false));
  {
    ReadWatch watch(path("plain"));
    NSErrorPtr error;
    ASSERT_TRUE(HXDataCompressor::compressDataFromFile(path("plain"), path("packed"), &error));
    EXPECT_EQ(watch.reads(), (std::vector<size_t>{262144, 262144, 75712}));
  }
  {
    std::string packed = dataWithContentsOfFile(path("packed")).value_or("");
    ReadWatch watch(path("packed"));
    NSErrorPtr error;
    ASSERT_TRUE(HXDataDecompressor::uncompressDataFromFile(path("packed"), path("back"), &error));
    // The packed file is a little larger than the text (random bytes do not compress).
    std::vector<size_t> expected;
    for (size_t left = packed.size(); left > 0; left -= std::min<size_t>(left, 262144))
      expected.push_back(std::min<size_t>(left, 262144));
    EXPECT_EQ(watch.reads(), expected);
  }
  EXPECT_EQ(dataWithContentsOfFile(path("back")).value_or(""), text);
}

TEST(HXDataCompressor, FilesOfWholeChunksRoundTripFileToFile) {
  // 524,288 bytes are exactly two chunks: the last one is full and still ends the stream.
  for (size_t size : {size_t(524288), size_t(0), size_t(600000)}) {
    std::string text = pseudoRandom(size);
    ASSERT_TRUE(writeToFile(path("plain"), text, false));
    NSErrorPtr error;
    ASSERT_TRUE(HXDataCompressor::compressDataFromFile(path("plain"), path("packed"), &error))
        << size << " " << (error ? error->localizedDescription() : "");
    ASSERT_TRUE(HXDataDecompressor::uncompressDataFromFile(path("packed"), path("back"), &error))
        << size << " " << (error ? error->localizedDescription() : "");
    EXPECT_TRUE(dataWithContentsOfFile(path("back")) == text) << size;
  }
}

TEST(HXDataCompressor, AMissingSourceFileIsAnErrorOfCode11) {
  NSErrorPtr error;
  EXPECT_FALSE(HXDataCompressor::compressDataFromFile(path("none"), path("packed"), &error));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code(), 11);
  EXPECT_EQ(error->localizedDescription(),
            "Compression of " + path("none") + " failed the file does not exist");

  // A destination that cannot be made.
  EXPECT_FALSE(HXDataCompressor::compressDataFromFile(path("none"), "/proc/none/x", &error));
  EXPECT_EQ(error->localizedDescription(),
            "Compression of " + path("none") +
                " failed because we were to create a file at /proc/none/x");
}
