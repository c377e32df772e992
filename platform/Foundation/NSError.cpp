#include "Foundation/NSError.h"

std::shared_ptr<NSError> NSError::withDescription(std::string_view domain, long code,
                                                  std::string description,
                                                  std::shared_ptr<NSError> underlying) {
  auto info =
      makeDictionary({{std::string(NSLocalizedDescriptionKey), Value(std::move(description))}});
  if (underlying) info->setObject(Value(underlying), NSUnderlyingErrorKey);
  return errorWithDomain(domain, code, Value(info));
}

std::string NSError::localizedDescription() const {
  Value d = userInfo_[NSLocalizedDescriptionKey];
  if (d.isString()) return std::string(d.string());
  return "The operation couldn\u2019t be completed. (" + domain_ + " error " +
         std::to_string(code_) + ".)";
}

std::string NSError::localizedFailureReason() const {
  Value d = userInfo_[NSLocalizedFailureReasonErrorKey];
  return d.isString() ? std::string(d.string()) : std::string();
}

std::shared_ptr<NSError> NSError::underlyingError() const {
  return userInfo_[NSUnderlyingErrorKey].object<NSError>();
}

std::string NSError::description() const {
  return "Error Domain=" + domain_ + " Code=" + std::to_string(code_) + " \"" +
         localizedDescription() + "\"";
}
