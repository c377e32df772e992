// The cookie parser's fuzz check ("Set-Cookie" fields of a response), shared by the libFuzzer
// target and the corpus replay test.  The first line of an input is the URL the response came
// from (a fixed one when it is no URL with a host); every further line is one "Set-Cookie"
// field.  Returns a description of the first fault found, or the empty string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string cookieParserFuzzCheck(const uint8_t* data, size_t size);
