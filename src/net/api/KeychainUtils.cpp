#include "net/api/KeychainUtils.h"

#include "Security/SecItem.h"

namespace {

void fail(NSErrorPtr* error, long code) {
  if (error) *error = NSError::errorWithDomain(KeychainUtils::kErrorDomain, code);
}

void clear(NSErrorPtr* error) {
  if (error) *error = nullptr;
}

Value itemQuery(const std::string& user, const std::string& service) {
  return Value::dictionaryOf({{std::string(kSecClass), Value(kSecClassGenericPassword)},
                              {std::string(kSecAttrAccount), Value(user)},
                              {std::string(kSecAttrService), Value(service)}});
}

Value withOption(const Value& query, std::string_view key) {
  auto d = query.dictionary()->mutableCopy();
  d->setObject(Value(true), key);
  return Value(d);
}

}  // namespace

std::optional<std::string> KeychainUtils::getPasswordForUsername(
    const std::optional<std::string>& user, const std::optional<std::string>& service,
    NSErrorPtr* error) {
  if (!user || !service) {
    fail(error, kMissingArgument);
    return std::nullopt;
  }
  clear(error);
  Value query = itemQuery(*user, *service);
  Value attributes;
  OSStatus status = SecItemCopyMatching(withOption(query, kSecReturnAttributes), &attributes);
  if (status == errSecItemNotFound) return std::nullopt;
  if (status != errSecSuccess) {
    fail(error, status);
    return std::nullopt;
  }
  Value data;
  status = SecItemCopyMatching(withOption(query, kSecReturnData), &data);
  if (status != errSecSuccess) {
    fail(error, status == errSecItemNotFound ? kUnreadableItem : status);
    return std::nullopt;
  }
  if (!data.isData()) {
    fail(error, kUnreadableItem);
    return std::nullopt;
  }
  return std::string(data.bytes());
}

bool KeychainUtils::storeUsername(const std::optional<std::string>& user,
                                  const std::optional<std::string>& password,
                                  const std::optional<std::string>& service, bool updateExisting,
                                  NSErrorPtr* error) {
  if (!user || !password || !service) {
    fail(error, kMissingArgument);
    return false;
  }
  NSErrorPtr lookup;
  auto existing = getPasswordForUsername(user, service, &lookup);
  if (lookup && lookup->code() == kUnreadableItem) {
    deleteItemForUsername(user, service, nullptr);
    lookup = nullptr;
  }
  if (lookup) {
    if (error) *error = lookup;
    return false;
  }
  clear(error);
  OSStatus status;
  if (existing) {
    if (*existing == *password || !updateExisting) return true;
    auto query = Value::dictionaryOf({{std::string(kSecClass), Value(kSecClassGenericPassword)},
                                      {std::string(kSecAttrService), Value(*service)},
                                      {std::string(kSecAttrLabel), Value(*service)},
                                      {std::string(kSecAttrAccount), Value(*user)}});
    status = SecItemUpdate(
        query, Value::dictionaryOf({{std::string(kSecValueData), Value::data(*password)}}));
  } else {
    status =
        SecItemAdd(Value::dictionaryOf({{std::string(kSecClass), Value(kSecClassGenericPassword)},
                                        {std::string(kSecAttrService), Value(*service)},
                                        {std::string(kSecAttrLabel), Value(*service)},
                                        {std::string(kSecAttrAccount), Value(*user)},
                                        {std::string(kSecValueData), Value::data(*password)}}),
                   nullptr);
  }
  if (status != errSecSuccess) {
    fail(error, status);
    return false;
  }
  return true;
}

bool KeychainUtils::deleteItemForUsername(const std::optional<std::string>& user,
                                          const std::optional<std::string>& service,
                                          NSErrorPtr* error) {
  if (!user || !service) {
    fail(error, kMissingArgument);
    return false;
  }
  clear(error);
  OSStatus status = SecItemDelete(itemQuery(*user, *service));
  if (status != errSecSuccess) {
    fail(error, status);
    return false;
  }
  return true;
}
