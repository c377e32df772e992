// Replays the reader's fuzz corpus in the ordinary build: every saved input must pass the fuzz
// target's own check (a clean error, or a tree that writes and reads back equal).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "json/JsonReaderFuzzCheck.h"

namespace {

std::vector<std::filesystem::path> corpusFiles() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(JX_FUZZ_CORPUS_DIR))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(JsonReaderCorpusTest, EverySavedInputPassesTheFuzzCheck) {
  const auto files = corpusFiles();
  ASSERT_GE(files.size(), 10u) << "corpus missing at " << JX_FUZZ_CORPUS_DIR;
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    const std::string input = contents(file);
    const std::string fault =
        jsonReaderFuzzCheck(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    EXPECT_EQ(fault, "");
  }
}

// The first byte of an input picks the parse options; the check passes good and bad JSON alike.
TEST(JsonReaderCorpusTest, TheCheckPassesGoodAndBadInput) {
  const std::pair<char, std::string> inputs[] = {
      {0, R"([1,{"a":[true,null,-0,1e-310,"\u00e9"]}])"},
      {0, "[1,]"},
      {1, "/*c*/[1]"},
      {4, R"(["\uD800"])"},
      {8, "{} tail"},
      {15, ""},
  };
  for (const auto& [options, json] : inputs) {
    SCOPED_TRACE(json);
    const std::string input = std::string(1, options) + json;
    EXPECT_EQ(jsonReaderFuzzCheck(reinterpret_cast<const uint8_t*>(input.data()), input.size()),
              "");
  }
  EXPECT_EQ(jsonReaderFuzzCheck(nullptr, 0), "");
}

}  // namespace
