// libFuzzer entry point for the JSON reader and writer.
#include <cstdio>
#include <cstdlib>

#include "json/JsonReaderFuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string fault = jsonReaderFuzzCheck(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "json_reader_fuzzer: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
