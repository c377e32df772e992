// libFuzzer entry point for the reply parser.
#include "FuzzEntry.h"
#include "status/StatusParserFuzzCheck.h"

ZEPT_FUZZ_TARGET("status_parser_fuzzer", statusParserFuzzCheck)
