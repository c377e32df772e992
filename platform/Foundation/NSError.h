// The platform's error object: a domain, a code and user info.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

inline constexpr std::string_view NSLocalizedDescriptionKey = "NSLocalizedDescription";
inline constexpr std::string_view NSLocalizedFailureReasonErrorKey = "NSLocalizedFailureReason";
inline constexpr std::string_view NSUnderlyingErrorKey = "NSUnderlyingError";
inline constexpr std::string_view NSPOSIXErrorDomain = "NSPOSIXErrorDomain";
inline constexpr std::string_view NSCocoaErrorDomain = "NSCocoaErrorDomain";
inline constexpr std::string_view NSOSStatusErrorDomain = "NSOSStatusErrorDomain";

class NSError : public NSObject {
 public:
  NSError(std::string domain, long code, Value userInfo = {})
      : domain_(std::move(domain)), code_(code), userInfo_(std::move(userInfo)) {}

  static std::shared_ptr<NSError> errorWithDomain(std::string_view domain, long code,
                                                  Value userInfo = {}) {
    return std::make_shared<NSError>(std::string(domain), code, std::move(userInfo));
  }
  // An error whose localized description is `description`.
  static std::shared_ptr<NSError> withDescription(std::string_view domain, long code,
                                                  std::string description,
                                                  std::shared_ptr<NSError> underlying = {});

  const std::string& domain() const { return domain_; }
  long code() const { return code_; }
  const Value& userInfo() const { return userInfo_; }
  // The user-info description, or the platform's generic text when there is none.
  std::string localizedDescription() const;
  // The user-info failure reason; empty when there is none.
  std::string localizedFailureReason() const;
  std::shared_ptr<NSError> underlyingError() const;
  std::string description() const override;

 private:
  std::string domain_;
  long code_;
  Value userInfo_;
};

using NSErrorPtr = std::shared_ptr<NSError>;
