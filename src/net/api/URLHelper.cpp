#include "net/api/URLHelper.h"

#include "Foundation/NSString.h"

std::string URLHelper::getURL(std::string_view base, const ValueDictionary& parameters) {
  if (!parameters) return std::string(base);
  return queryStringWithBase(base, parameters, true);
}

std::string URLHelper::queryStringWithBase(std::string_view base, const ValueDictionary& parameters,
                                           bool prefixed) {
  std::string out(base);
  if (!parameters) return out;
  bool first = true;
  parameters->enumerate([&](const std::string& key, const Value& value) {
    if (first) {
      if (prefixed) out += '?';
    } else {
      out += '&';
    }
    first = false;
    out += key;
    out += '=';
    out += encodeString(value.description());
  });
  return out;
}

std::string URLHelper::encodeString(std::string_view text) {
  return CFURLCreateStringByAddingPercentEscapes(text, {}, ";/?:@&=$+{}<>,", NSUTF8StringEncoding)
      .value_or(std::string());
}
