// libFuzzer entry point for the strings-file reader.
#include "FuzzEntry.h"
#include "strings/StringsFileFuzzCheck.h"

ZEPT_FUZZ_TARGET("strings_file_fuzzer", stringsFileFuzzCheck)
