// libFuzzer entry point for the PNG, JPEG and GIF decoders behind image sources.
#include "FuzzEntry.h"
#include "images/ImageDecoderFuzzCheck.h"

ZEPT_FUZZ_TARGET("image_decoder_fuzzer", imageDecoderFuzzCheck)
