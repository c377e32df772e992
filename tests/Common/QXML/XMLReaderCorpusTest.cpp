// Replays the XML reader's fuzz corpus in the ordinary build: every saved input must pass the
// fuzz target's own check.
#include <gtest/gtest.h>

#include "support/FuzzCorpus.h"
#include "xml/XMLReaderFuzzCheck.h"

namespace {

TEST(XMLReaderCorpusTest, EverySavedInputPassesTheFuzzCheck) {
  testsupport::replayFuzzCorpus(ZEPT_FUZZ_CORPUS "/xml_reader", xmlReaderFuzzCheck);
  EXPECT_EQ(xmlReaderFuzzCheck(nullptr, 0), "");
}

}  // namespace
