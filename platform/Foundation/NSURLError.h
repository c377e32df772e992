// The URL loading system's error domain and codes.
#pragma once

#include <string_view>

inline constexpr std::string_view NSURLErrorDomain = "NSURLErrorDomain";
// User-info key: the URL of the failed transfer, as text.
inline constexpr std::string_view NSURLErrorFailingURLStringErrorKey = "NSErrorFailingURLStringKey";

inline constexpr long NSURLErrorUnknown = -1;
inline constexpr long NSURLErrorCancelled = -999;
inline constexpr long NSURLErrorBadURL = -1000;
inline constexpr long NSURLErrorTimedOut = -1001;
inline constexpr long NSURLErrorUnsupportedURL = -1002;
inline constexpr long NSURLErrorCannotFindHost = -1003;
inline constexpr long NSURLErrorCannotConnectToHost = -1004;
inline constexpr long NSURLErrorNetworkConnectionLost = -1005;
inline constexpr long NSURLErrorNotConnectedToInternet = -1009;
inline constexpr long NSURLErrorBadServerResponse = -1011;
inline constexpr long NSURLErrorCannotParseResponse = -1017;
inline constexpr long NSURLErrorSecureConnectionFailed = -1200;
inline constexpr long NSURLErrorServerCertificateUntrusted = -1202;
