// The property-list reader's fuzz check, shared by the libFuzzer target and the corpus replay
// test: reads any bytes as a property list (XML or binary) and returns a description of the
// first fault found, or the empty string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string propertyListFuzzCheck(const uint8_t* data, size_t size);
