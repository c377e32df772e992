// The property the image decoders' fuzz target checks on every input, shared with the test that
// replays the saved corpus in the ordinary build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Any bytes given to an image source either give no source, or a source whose every picture
// (the first eight) comes out whole, with the size its properties give, and encodes as a PNG
// that decodes back to the same size.  Returns an empty string when the input passes, else
// what went wrong.  Crashes and sanitizer reports are the other failures.
std::string imageDecoderFuzzCheck(const uint8_t* data, size_t size);
