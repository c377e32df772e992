// An HTTP message: a request the engine builds (method, URL, version, header fields, body) or
// a response a stream has read (status line, header fields).  Header names are matched without
// regard to case; setting a field that exists replaces its value and keeps its place.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

inline constexpr std::string_view kCFHTTPVersion1_0 = "HTTP/1.0";
inline constexpr std::string_view kCFHTTPVersion1_1 = "HTTP/1.1";

class CFHTTPMessage {
 public:
  using HeaderFields = std::vector<std::pair<std::string, std::string>>;

  // CFHTTPMessageCreateRequest: nullptr when the method is empty or not a token, or the URL is
  // not an absolute http or https URL with a host.
  static std::shared_ptr<CFHTTPMessage> createRequest(std::string_view method, std::string_view url,
                                                      std::string_view version);
  // An empty response, filled by the stream as the status line and header lines arrive.
  static std::shared_ptr<CFHTTPMessage> createEmptyResponse();

  bool isRequest() const { return isRequest_; }
  const std::string& requestMethod() const { return method_; }
  const std::string& requestURL() const { return url_; }
  const std::string& version() const { return version_; }

  // CFHTTPMessageSetHeaderFieldValue; a value of nullopt removes the field.
  void setHeaderFieldValue(std::string_view name, std::optional<std::string_view> value);
  std::optional<std::string> headerFieldValue(std::string_view name) const;
  // The fields in the order they were first set or received; a response field received more
  // than once appears once, its non-empty values joined with ", ".
  const HeaderFields& allHeaderFields() const { return fields_; }
  // Every received field line as it came, repeats included (cookies need each one).
  const HeaderFields& headerLines() const { return linesAreFields_ ? fields_ : lines_; }

  void setBody(std::string body) { body_ = std::move(body); }
  const std::string& body() const { return body_; }

  // Response side.
  bool isHeaderComplete() const { return headerComplete_; }
  int responseStatusCode() const { return statusCode_; }
  // The whole status line, without its line end.
  const std::string& responseStatusLine() const { return statusLine_; }

  // Parsing, used by the stream: a status line ("HTTP/1.1 200 OK"; the status is every digit
  // that follows the version), then field lines, then the end of the header.  False when the
  // status line is not one.
  bool setStatusLine(std::string_view line);
  void appendHeaderLine(std::string_view name, std::string_view value);
  void setHeaderComplete() { headerComplete_ = true; }

  // "content-type" -> "Content-Type": the spelling the response dictionaries use.
  static std::string canonicalHeaderName(std::string_view name);
  // An HTTP token (a method, a header name): visible ASCII without separators.
  static bool isToken(std::string_view s);
  // Whether a comma-separated header value ("Connection: keep-alive, Upgrade") lists the token,
  // without regard to case.
  static bool listsToken(std::string_view value, std::string_view token);

 private:
  CFHTTPMessage() = default;
  struct Made;  // lets make_shared reach the private constructor
  size_t find(std::string_view name) const;
  static void canonicalize(std::string& name);
  // Gives the lines a list of their own, from here on kept apart from the fields.
  void separateLines();

  bool isRequest_ = false;
  std::string method_;
  std::string url_;
  std::string version_ = std::string(kCFHTTPVersion1_1);
  HeaderFields fields_;
  HeaderFields lines_;
  // A reply's lines are nearly always its fields (each name once, already in the canonical
  // spelling): while that holds, the fields stand for the lines and lines_ stays empty.
  bool linesAreFields_ = false;
  std::string body_;
  bool headerComplete_ = false;
  int statusCode_ = 0;
  std::string statusLine_;
};
