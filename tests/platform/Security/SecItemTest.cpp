// The keychain stand-in: generic-password items in a file of the app home, kept across a
// restart, readable by the owner only, and "not found" told apart from a store that fails.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "Security/SecItem.h"

namespace {

Value item(const std::string& service, const std::string& account) {
  return Value::dictionaryOf({{std::string(kSecClass), Value(kSecClassGenericPassword)},
                              {std::string(kSecAttrService), Value(service)},
                              {std::string(kSecAttrAccount), Value(account)}});
}

Value with(Value query, std::string_view key, Value value) {
  auto d = query.dictionary()->mutableCopy();
  d->setObject(std::move(value), key);
  return Value(d);
}

std::optional<std::string> secret(const std::string& service, const std::string& account) {
  Value data;
  if (SecItemCopyMatching(with(item(service, account), kSecReturnData, Value(true)), &data) !=
      errSecSuccess)
    return std::nullopt;
  return std::string(data.bytes());
}

TEST(SecItem, AnItemAddedIsFoundByServiceAndAccountAndKeptInAnOwnerOnlyFile) {
  ASSERT_EQ(SecItemAdd(with(item("svc", "alice"), kSecValueData, Value::data("s3cret")), nullptr),
            errSecSuccess);
  EXPECT_EQ(secret("svc", "alice"), "s3cret");
  EXPECT_EQ(secret("svc", "bob"), std::nullopt);
  EXPECT_EQ(secret("other", "alice"), std::nullopt);

  struct stat st {};
  ASSERT_EQ(::stat(SecKeychainFilePath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(SecItem, TheItemsOutliveTheProcessThatWroteThem) {
  ASSERT_EQ(SecItemAdd(with(item("svc", "alice"), kSecValueData, Value::data("one")), nullptr),
            errSecSuccess);
  // What a restart reads: nothing but the file.
  std::ifstream in(SecKeychainFilePath(), std::ios::binary);
  ASSERT_TRUE(in.good());
  EXPECT_EQ(secret("svc", "alice"), "one");
}

TEST(SecItem, StatusesTellMissingItemsDuplicatesAndBadQueriesApart) {
  Value none;
  EXPECT_EQ(SecItemCopyMatching(item("svc", "nobody"), &none), errSecItemNotFound);
  EXPECT_EQ(SecItemDelete(item("svc", "nobody")), errSecItemNotFound);
  EXPECT_EQ(SecItemUpdate(item("svc", "nobody"),
                          Value::dictionaryOf({{std::string(kSecValueData), Value::data("x")}})),
            errSecItemNotFound);
  ASSERT_EQ(SecItemAdd(with(item("svc", "a"), kSecValueData, Value::data("1")), nullptr),
            errSecSuccess);
  EXPECT_EQ(SecItemAdd(with(item("svc", "a"), kSecValueData, Value::data("2")), nullptr),
            errSecDuplicateItem);
  EXPECT_EQ(secret("svc", "a"), "1");
  EXPECT_EQ(
      SecItemCopyMatching(Value::dictionaryOf({{std::string(kSecAttrAccount), Value("a")}}), &none),
      errSecParam);
}

TEST(SecItem, UpdateAndDeleteChangeOnlyTheMatchingItem) {
  ASSERT_EQ(SecItemAdd(with(item("svc", "a"), kSecValueData, Value::data("1")), nullptr),
            errSecSuccess);
  ASSERT_EQ(SecItemAdd(with(item("svc", "b"), kSecValueData, Value::data("2")), nullptr),
            errSecSuccess);
  EXPECT_EQ(SecItemUpdate(item("svc", "a"),
                          Value::dictionaryOf({{std::string(kSecValueData), Value::data("new")}})),
            errSecSuccess);
  EXPECT_EQ(secret("svc", "a"), "new");
  EXPECT_EQ(secret("svc", "b"), "2");
  EXPECT_EQ(SecItemDelete(item("svc", "a")), errSecSuccess);
  EXPECT_EQ(secret("svc", "a"), std::nullopt);
  EXPECT_EQ(secret("svc", "b"), "2");
}

TEST(SecItem, AttributesComeBackWithoutTheSecretUnlessAskedFor) {
  ASSERT_EQ(SecItemAdd(with(item("svc", "a"), kSecValueData, Value::data("pw")), nullptr),
            errSecSuccess);
  Value attributes;
  ASSERT_EQ(
      SecItemCopyMatching(with(item("svc", "a"), kSecReturnAttributes, Value(true)), &attributes),
      errSecSuccess);
  EXPECT_EQ(attributes[kSecAttrAccount].string(), "a");
  EXPECT_TRUE(attributes[kSecValueData].isNil());
}

TEST(SecItem, AFileThatDoesNotReadIsAnErrorNotAnEmptyKeychain) {
  ASSERT_EQ(SecItemAdd(with(item("svc", "a"), kSecValueData, Value::data("pw")), nullptr),
            errSecSuccess);
  { std::ofstream(SecKeychainFilePath(), std::ios::trunc) << "not a property list"; }
  Value v;
  EXPECT_EQ(SecItemCopyMatching(item("svc", "a"), &v), errSecIO);
  // Nothing is added over a file that may still hold other items.
  EXPECT_EQ(SecItemAdd(with(item("svc", "b"), kSecValueData, Value::data("x")), nullptr), errSecIO);
}

}  // namespace
