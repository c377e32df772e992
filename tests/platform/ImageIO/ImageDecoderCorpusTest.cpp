// Replays the image decoders' fuzz corpus in the ordinary build: every saved input must pass
// the fuzz target's own check (no source, or whole pictures that re-encode).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "images/ImageDecoderFuzzCheck.h"

namespace {

std::string contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ImageDecoderCorpusTest, EverySavedInputPassesTheFuzzCheck) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(IMAGE_FUZZ_CORPUS_DIR))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  ASSERT_GE(files.size(), 10u) << "corpus missing at " << IMAGE_FUZZ_CORPUS_DIR;
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    const std::string input = contents(file);
    EXPECT_EQ(imageDecoderFuzzCheck(reinterpret_cast<const uint8_t*>(input.data()), input.size()),
              "");
  }
}

}  // namespace
