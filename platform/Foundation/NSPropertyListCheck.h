// Internal to the property-list reader: what the property-list library must not be handed.
//
// The library aborts the process on a string or key holding NUL, recurses once per level of
// nesting, and builds a fresh copy of an object for every reference to it (so a small binary
// file whose arrays refer to the next one twice over expands without end).  These checks look
// at the bytes first, so that such files read as corrupt like any other unreadable file.
#pragma once

#include <cstddef>
#include <string_view>

// Containers nest this deep at most, read or written (the JSON reader's bound).
inline constexpr size_t kPropertyListMaxDepth = 512;

// Whether the XML document may go to the library: no NUL byte anywhere, and no more than
// kPropertyListMaxDepth arrays and dictionaries open at once.
bool xmlPropertyListIsAcceptable(std::string_view data);

// Whether the binary ("bplist00") data may go to the library: a trailer and offset table
// inside the data, every object reachable from the top inside it too, no reference cycle, no
// string or key holding NUL, nesting within kPropertyListMaxDepth, and objects that add up,
// counting each reference as a copy, to no more than a few per byte of the data.
bool binaryPropertyListIsAcceptable(std::string_view data);
