// Cookie values in and out of their URL-escaped form.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Percent escapes replaced (read as UTF-8), then every "+" read as a space; nullopt when an
// escape is malformed or the bytes are not UTF-8.
std::optional<std::string> decodedCookieValue(std::string_view text);
// The URL percent escapes for UTF-8 added (characters that may stand in a URL, "+" among them,
// stay as they are).
std::optional<std::string> encodedCookieValue(std::string_view text);
