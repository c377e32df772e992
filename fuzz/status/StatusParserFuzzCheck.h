// The reply parser's fuzz check, shared by the libFuzzer target and the corpus replay test:
// every reader of a reply text is given the input, and the cached-list edits take it as both
// the cached text and the new page.  Returns a description of the first fault found, or the
// empty string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string statusParserFuzzCheck(const uint8_t* data, size_t size);
