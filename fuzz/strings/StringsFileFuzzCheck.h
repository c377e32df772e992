// The strings-file reader's fuzz check (localised string tables), shared by the libFuzzer
// target and the corpus replay test: reads any bytes as a table and returns a description of
// the first fault found, or the empty string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string stringsFileFuzzCheck(const uint8_t* data, size_t size);
