// libFuzzer entry point for the HTTP response reader.
#include "FuzzEntry.h"
#include "http/HTTPResponseFuzzCheck.h"

ZEPT_FUZZ_TARGET("http_response_fuzzer", httpResponseFuzzCheck)
