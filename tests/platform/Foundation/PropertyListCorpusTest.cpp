// Replays the saved inputs of the property-list reader's and the strings-file reader's fuzz
// targets through their own checks.
#include <gtest/gtest.h>

#include "propertylist/PropertyListFuzzCheck.h"
#include "strings/StringsFileFuzzCheck.h"
#include "support/FuzzCorpus.h"

namespace {

TEST(PropertyListCorpusTest, EverySavedInputPassesTheFuzzCheck) {
  testsupport::replayFuzzCorpus(ZEPT_FUZZ_CORPUS "/property_list", propertyListFuzzCheck);
}

TEST(StringsFileCorpusTest, EverySavedInputPassesTheFuzzCheck) {
  testsupport::replayFuzzCorpus(ZEPT_FUZZ_CORPUS "/strings_file", stringsFileFuzzCheck);
}

}  // namespace
