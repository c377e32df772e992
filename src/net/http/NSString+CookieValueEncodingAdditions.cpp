#include "Foundation/NSString.h"
#include "net/http/NSString+CookieValueEncodingAdditions.h"

std::optional<std::string> decodedCookieValue(std::string_view text) {
  auto unescaped = stringByReplacingPercentEscapesUsingEncoding(text, NSUTF8StringEncoding);
  if (!unescaped) return std::nullopt;
  return stringByReplacingOccurrencesOfString(*unescaped, "+", " ");
}

std::optional<std::string> encodedCookieValue(std::string_view text) {
  return stringByAddingPercentEscapesUsingEncoding(text, NSUTF8StringEncoding);
}
