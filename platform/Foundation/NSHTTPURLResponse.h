// The platform's status texts for HTTP status codes.
#pragma once

#include <string>

class NSHTTPURLResponse {
 public:
  // The platform's lower-case text ("not found" for 404).  Codes it does not know get the text
  // of their class ("informational", "success", "redirected", "client error", "server error").
  static std::string localizedStringForStatusCode(long statusCode);
};
