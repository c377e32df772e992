// Replays a fuzz target's saved corpus in the ordinary build: the target's own check runs over
// every saved input.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace testsupport {

// The check returns a description of the first fault it finds, or the empty string.
using FuzzCheck = std::function<std::string(const uint8_t* data, size_t size)>;

// Every file of the corpus folder, in name order, must pass the check; a folder with fewer than
// `atLeast` files fails too (a corpus that went missing would pass vacuously).
inline void replayFuzzCorpus(const std::filesystem::path& dir, const FuzzCheck& check,
                             size_t atLeast = 10) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_GE(files.size(), atLeast) << "corpus missing at " << dir;
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    std::ifstream in(file, std::ios::binary);
    const std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(check(reinterpret_cast<const uint8_t*>(input.data()), input.size()), "");
  }
}

}  // namespace testsupport
