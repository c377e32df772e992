// Walking UTF-8 text by characters, for the layout code of both measuring backends.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace textscan {

inline constexpr char32_t kReplacement = 0xFFFD;

// The character at byte i and its length in bytes; an invalid, overlong or truncated sequence
// (or an encoded surrogate) reads as U+FFFD one byte long.
struct Decoded {
  char32_t cp;
  size_t length;
};
Decoded decode(std::string_view s, size_t i);

// The text with every invalid byte replaced by U+FFFD; the text itself when it is valid.
std::string repaired(std::string_view s);

// The length of the line break at byte i ("\r\n" is one, 2 bytes long), 0 when there is none.
size_t lineBreakLength(std::string_view s, size_t i);

// Spaces that hang past the end of a line at a soft break: tab and the breaking spaces
// (no-break spaces stay part of their word).
bool isHangingSpace(char32_t cp);

// The byte where the spaces that end a line begin (s.size() when it ends otherwise).
size_t trailingSpaceStart(std::string_view s);

}  // namespace textscan
