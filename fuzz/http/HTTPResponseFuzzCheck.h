// The HTTP response reader's fuzz check (status line, header lines, body framing), shared by
// the libFuzzer target and the corpus replay test.  The first byte of an input chooses the
// reading (bit 0: the response answers a HEAD request; the rest: how many bytes arrive at a
// time); the rest is what the connection carries.  Returns a description of the first fault
// found, or the empty string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string httpResponseFuzzCheck(const uint8_t* data, size_t size);
