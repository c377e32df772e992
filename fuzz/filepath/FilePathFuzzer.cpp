// libFuzzer entry point for the URL-to-path rule.
#include "FuzzEntry.h"
#include "filepath/FilePathFuzzCheck.h"

ZEPT_FUZZ_TARGET("file_path_fuzzer", filePathFuzzCheck)
