// Replays the saved inputs of the HTTP response reader's and the cookie parser's fuzz targets
// through their own checks.
#include <gtest/gtest.h>

#include "cookies/CookieParserFuzzCheck.h"
#include "http/HTTPResponseFuzzCheck.h"
#include "support/FuzzCorpus.h"

namespace {

TEST(HTTPResponseCorpusTest, EverySavedInputPassesTheFuzzCheck) {
  testsupport::replayFuzzCorpus(ZEPT_FUZZ_CORPUS "/http_response", httpResponseFuzzCheck);
}

TEST(CookieParserCorpusTest, EverySavedInputPassesTheFuzzCheck) {
  testsupport::replayFuzzCorpus(ZEPT_FUZZ_CORPUS "/cookie_parser", cookieParserFuzzCheck);
}

}  // namespace
