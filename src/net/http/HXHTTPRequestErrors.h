// The engine's error domain and codes.
#pragma once

#include <string_view>

inline constexpr std::string_view kHXHTTPRequestErrorDomain = "HXHTTPRequestErrorDomain";

enum HXNetworkErrorType : long {
  HXConnectionFailureErrorType = 1,
  HXRequestTimedOutErrorType = 2,
  HXAuthenticationErrorType = 3,
  HXRequestCancelledErrorType = 4,
  HXUnableToCreateRequestErrorType = 5,
  HXInternalErrorWhileBuildingRequestType = 6,
  HXInternalErrorWhileApplyingCredentialsType = 7,
  HXFileManagementError = 8,
  HXTooMuchRedirectionErrorType = 9,
  HXUnhandledExceptionError = 10,
  HXCompressionError = 11,
  // The body (as received, or inflated) went past the request's maxResponseSize.
  HXResponseTooLargeErrorType = 12,
};
