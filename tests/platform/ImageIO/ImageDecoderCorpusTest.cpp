// Replays the image decoders' fuzz corpus in the ordinary build: every saved input must pass
// the fuzz target's own check (no source, or whole pictures that re-encode).
#include <gtest/gtest.h>

#include "images/ImageDecoderFuzzCheck.h"
#include "support/FuzzCorpus.h"

namespace {

TEST(ImageDecoderCorpusTest, EverySavedInputPassesTheFuzzCheck) {
  testsupport::replayFuzzCorpus(ZEPT_FUZZ_CORPUS "/image_decoder", imageDecoderFuzzCheck);
}

}  // namespace
