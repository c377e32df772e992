// The app's keychain items: generic-password items named by account and service, whose values
// are UTF-8 text.  Errors come in the domain "KeychainUtilsErrorDomain" with the keychain's
// status as code, or one of the class's own codes.  The out-error may be null.
#pragma once

#include <optional>
#include <string>

#include "Foundation/NSError.h"

class KeychainUtils {
 public:
  static constexpr const char* kErrorDomain = "KeychainUtilsErrorDomain";
  // A required argument is missing.
  static constexpr long kMissingArgument = -2000;
  // An item exists but its data cannot be read.
  static constexpr long kUnreadableItem = -1999;

  // The value; nullopt with no error when no such item exists, nullopt with the error when the
  // keychain failed or the item has no readable data.  The error is cleared once the
  // arguments are valid.
  static std::optional<std::string> getPasswordForUsername(
      const std::optional<std::string>& user, const std::optional<std::string>& service,
      NSErrorPtr* error = nullptr);
  // Adds the item, or replaces its value when updateExisting is set; a value equal to the
  // stored one is not written again.  An item whose data cannot be read is replaced.
  static bool storeUsername(const std::optional<std::string>& user,
                            const std::optional<std::string>& password,
                            const std::optional<std::string>& service, bool updateExisting,
                            NSErrorPtr* error = nullptr);
  // Deletes the item; the keychain's "not found" is an error too.
  static bool deleteItemForUsername(const std::optional<std::string>& user,
                                    const std::optional<std::string>& service,
                                    NSErrorPtr* error = nullptr);
};
