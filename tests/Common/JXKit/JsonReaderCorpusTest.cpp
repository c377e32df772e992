// Replays the reader's fuzz corpus in the ordinary build: every saved input must pass the fuzz
// target's own check (a clean error, or a tree that writes and reads back equal).
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "json/JsonReaderFuzzCheck.h"
#include "support/FuzzCorpus.h"

namespace {

TEST(JsonReaderCorpusTest, EverySavedInputPassesTheFuzzCheck) {
  testsupport::replayFuzzCorpus(ZEPT_FUZZ_CORPUS "/json_reader", jsonReaderFuzzCheck);
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
