// libFuzzer entry point for the PNG, JPEG and GIF decoders behind image sources.
#include <cstdio>
#include <cstdlib>

#include "images/ImageDecoderFuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string fault = imageDecoderFuzzCheck(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "image_decoder_fuzzer: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
