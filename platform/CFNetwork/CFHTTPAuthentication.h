// HTTP authentication: the keys of the credential dictionaries applied to a challenge.
#pragma once

#include <string_view>

inline constexpr std::string_view kCFHTTPAuthenticationUsername = "kCFHTTPAuthenticationUsername";
inline constexpr std::string_view kCFHTTPAuthenticationPassword = "kCFHTTPAuthenticationPassword";
inline constexpr std::string_view kCFHTTPAuthenticationAccountDomain =
    "kCFHTTPAuthenticationAccountDomain";
