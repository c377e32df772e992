// Standard base64 (RFC 4648 alphabet, "=" padding, no line breaks) for cipher text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

std::string CCBase64Encode(std::string_view bytes);
// nullopt for anything but canonical padded base64 (white space is not accepted).
std::optional<std::string> CCBase64Decode(std::string_view text);
// The value (0 ... 63) of a character of the standard alphabet; -1 for any other.
int CCBase64DigitValue(char c);
