// libFuzzer entry point for the cookie parser.
#include "FuzzEntry.h"
#include "cookies/CookieParserFuzzCheck.h"

ZEPT_FUZZ_TARGET("cookie_parser_fuzzer", cookieParserFuzzCheck)
