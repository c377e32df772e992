#include "Foundation/NSURLRequest.h"

#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"

std::optional<std::string> NSURLRequest::valueForHTTPHeaderField(std::string_view field) const {
  for (auto& [name, value] : headers_)
    if (equalsIgnoringASCIICase(name, field)) return value;
  return std::nullopt;
}

std::string NSURLRequest::description() const {
  return "<NSURLRequest " + (url_ ? url_->absoluteString() : std::string("(null)")) + ">";
}

void NSMutableURLRequest::setValueForHTTPHeaderField(std::optional<std::string_view> value,
                                                     std::string_view field) {
  for (auto it = headers_.begin(); it != headers_.end(); ++it) {
    if (!equalsIgnoringASCIICase(it->first, field)) continue;
    if (value)
      it->second = std::string(*value);
    else
      headers_.erase(it);
    return;
  }
  if (value) headers_.emplace_back(std::string(field), std::string(*value));
}

void NSMutableURLRequest::addValueForHTTPHeaderField(std::string_view value,
                                                     std::string_view field) {
  for (auto& [name, existing] : headers_) {
    if (!equalsIgnoringASCIICase(name, field)) continue;
    existing.append(",").append(value);
    return;
  }
  headers_.emplace_back(std::string(field), std::string(value));
}
