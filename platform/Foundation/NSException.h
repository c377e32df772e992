// The platform's exception: a name, a reason and user info.  Raised where the system's own
// code reports misuse; never allowed to cross a thread or module boundary uncaught.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "Foundation/Value.h"

inline constexpr std::string_view NSInvalidArgumentException = "NSInvalidArgumentException";
inline constexpr std::string_view NSRangeException = "NSRangeException";
inline constexpr std::string_view NSInternalInconsistencyException =
    "NSInternalInconsistencyException";
inline constexpr std::string_view NSMallocException = "NSMallocException";
inline constexpr std::string_view NSGenericException = "NSGenericException";

class NSException : public std::exception {
 public:
  NSException(std::string name, std::string reason, Value userInfo = {})
      : name_(std::move(name)), reason_(std::move(reason)), userInfo_(std::move(userInfo)) {}

  [[noreturn]] static void raise(std::string_view name, std::string reason,
                                 Value userInfo = {}) {
    throw NSException(std::string(name), std::move(reason), std::move(userInfo));
  }

  const std::string& name() const { return name_; }
  const std::string& reason() const { return reason_; }
  const Value& userInfo() const { return userInfo_; }
  const char* what() const noexcept override { return reason_.c_str(); }

 private:
  std::string name_;
  std::string reason_;
  Value userInfo_;
};
