// Replays the XML reader's fuzz corpus in the ordinary build: every saved input must pass the
// fuzz target's own check.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "xml/XMLReaderFuzzCheck.h"

namespace {

std::vector<std::filesystem::path> corpusFiles() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(QXML_FUZZ_CORPUS_DIR))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(XMLReaderCorpusTest, EverySavedInputPassesTheFuzzCheck) {
  const auto files = corpusFiles();
  ASSERT_GE(files.size(), 10u) << "corpus missing at " << QXML_FUZZ_CORPUS_DIR;
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    const std::string input = contents(file);
    EXPECT_EQ(xmlReaderFuzzCheck(reinterpret_cast<const uint8_t*>(input.data()), input.size()), "");
  }
  EXPECT_EQ(xmlReaderFuzzCheck(nullptr, 0), "");
}

}  // namespace
