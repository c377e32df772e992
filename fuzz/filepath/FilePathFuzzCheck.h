// The fuzz check of the rule that turns a URL (or a name from a reply) into the path of a
// cache file, shared by the libFuzzer target and the corpus replay test: the input is the URL.
// Paths are made under the app home's Library (ZEPT_HOME; a temporary one when it is not
// set), and the folders made are removed again.  Returns a description of the first fault
// found, or the empty string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string filePathFuzzCheck(const uint8_t* data, size_t size);
