// libFuzzer entry point for the JSON reader and writer.
#include "FuzzEntry.h"
#include "json/JsonReaderFuzzCheck.h"

ZEPT_FUZZ_TARGET("json_reader_fuzzer", jsonReaderFuzzCheck)
