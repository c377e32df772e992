// The rich-text labels' fuzz check, shared by the libFuzzer target and the corpus replay test:
// the first byte picks a width and the switches, the rest is the text.  The status label (links
// on and off), the comment label, the anchor text view and the inline-picture label each take
// the text and lay it out and draw it into a recording context.  Returns a description of the
// first fault found (a character lost by the cutting, a link view outside the label's width),
// or the empty string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string richTextFuzzCheck(const uint8_t* data, size_t size);
