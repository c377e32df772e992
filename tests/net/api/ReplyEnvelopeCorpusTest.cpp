// Replays the saved inputs of the reply envelope's fuzz target through its own check.
#include <gtest/gtest.h>

#include "envelope/ReplyEnvelopeFuzzCheck.h"
#include "support/FuzzCorpus.h"

namespace {

TEST(ReplyEnvelopeCorpusTest, EverySavedInputPassesTheFuzzCheck) {
  testsupport::replayFuzzCorpus(ZEPT_FUZZ_CORPUS "/reply_envelope", replyEnvelopeFuzzCheck);
}

}  // namespace
