// Replays the saved inputs of the URL-to-path rule's fuzz target through its own check.
#include <gtest/gtest.h>

#include "filepath/FilePathFuzzCheck.h"
#include "support/FuzzCorpus.h"

namespace {

TEST(FilePathCorpusTest, EverySavedInputPassesTheFuzzCheck) {
  testsupport::replayFuzzCorpus(ZEPT_FUZZ_CORPUS "/file_path", filePathFuzzCheck);
}

}  // namespace
