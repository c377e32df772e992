// Replays the saved inputs of the reply parser's fuzz target through its own check.
#include <gtest/gtest.h>

#include "status/StatusParserFuzzCheck.h"
#include "support/FuzzCorpus.h"

namespace {

TEST(StatusParserCorpusTest, EverySavedInputPassesTheFuzzCheck) {
  testsupport::replayFuzzCorpus(ZEPT_FUZZ_CORPUS "/status_parser", statusParserFuzzCheck);
}

}  // namespace
