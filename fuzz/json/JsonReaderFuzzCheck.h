// The property the reader's fuzz target checks on every input, shared with the test that
// replays the saved corpus in the ordinary build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The first byte selects the parse options (its low 4 bits); the rest is the JSON text.  Every
// input must either fail with a well-formed error, or give a tree that the writer writes and
// the reader reads back equal, compact and pretty, mutable and immutable alike.  Returns an
// empty string when the input passes, else what went wrong.
std::string jsonReaderFuzzCheck(const uint8_t* data, size_t size);
