// libFuzzer entry point for the XML reader.
#include <cstdio>
#include <cstdlib>

#include "xml/XMLReaderFuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string fault = xmlReaderFuzzCheck(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "xml_reader_fuzzer: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
