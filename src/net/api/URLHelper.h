// Query strings of the server clients: key=value pairs in the dictionary's key order, values
// percent-escaped as UTF-8 (the URL-reserved ";/?:@&=$+{}<>," included), keys as they are.
#pragma once

#include <string>
#include <string_view>

#include "Foundation/Value.h"

class URLHelper {
 public:
  // The base with "?" and the pairs; the base alone for a nil dictionary.  A "?" is added even
  // when the base already holds a query.
  static std::string getURL(std::string_view base, const ValueDictionary& parameters);
  // The base followed by the pairs, "&" between them and "?" before the first when prefixed;
  // an empty dictionary adds nothing.
  static std::string queryStringWithBase(std::string_view base, const ValueDictionary& parameters,
                                         bool prefixed);
  // The value escaped for a query; "" when it is not valid text.
  static std::string encodeString(std::string_view text);
};
