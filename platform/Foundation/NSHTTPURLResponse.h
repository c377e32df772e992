// Responses of the URL loading system: the URL, the body's MIME type, its announced length and
// text encoding; for HTTP also the status code and the header fields.  And the platform's
// status texts for HTTP status codes.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

class NSURL;

class NSURLResponse : public NSObject {
 public:
  // expectedContentLength -1: unknown.
  NSURLResponse(std::shared_ptr<NSURL> url, std::string MIMEType, long long expectedContentLength,
                std::string textEncodingName)
      : url_(std::move(url)),
        mimeType_(std::move(MIMEType)),
        expectedContentLength_(expectedContentLength),
        textEncodingName_(std::move(textEncodingName)) {}

  const std::shared_ptr<NSURL>& URL() const { return url_; }
  // Empty when unknown.
  const std::string& MIMEType() const { return mimeType_; }
  long long expectedContentLength() const { return expectedContentLength_; }
  const std::string& textEncodingName() const { return textEncodingName_; }

 private:
  std::shared_ptr<NSURL> url_;
  std::string mimeType_;
  long long expectedContentLength_;
  std::string textEncodingName_;
};

class NSHTTPURLResponse : public NSURLResponse {
 public:
  using HeaderFields = std::vector<std::pair<std::string, std::string>>;

  // initWithURL:statusCode:HTTPVersion:headerFields:.  The MIME type, text encoding and length
  // are read from "Content-Type" and "Content-Length".
  NSHTTPURLResponse(std::shared_ptr<NSURL> url, long statusCode, HeaderFields headerFields);

  long statusCode() const { return statusCode_; }
  // The header fields by name, in the order given (the URL connection gives each name once, in
  // the platform's spelling: "Content-Type", "Etag" for a field sent as "ETag").
  ValueDictionary allHeaderFields() const;
  // A field by name without regard to case.
  std::optional<std::string> valueForHeaderField(std::string_view name) const;

  // The platform's lower-case text ("not found" for 404).  Codes it does not know get the text
  // of their class ("informational", "success", "redirected", "client error", "server error").
  static std::string localizedStringForStatusCode(long statusCode);

 private:
  long statusCode_;
  HeaderFields headers_;
};
