// The device keychain's generic-password items, as the app's account store uses them.
//
// An item is found by its class, service and account (a label may be given too); its secret is
// the value data.  Queries and attributes are dictionaries keyed by the constants below.  The
// stand-in keeps the items of the app in one property-list file under the app home
// (Library/Keychains/keychain.plist), readable by the owner only (mode 0600): items survive a
// restart of the app, and a new app home starts with none.  Main thread.
//
// Every call answers a status: errSecSuccess, errSecItemNotFound when no item matches (never
// an error of another kind), errSecDuplicateItem when an add meets an existing item,
// errSecParam for a query without class, or with a class other than generic passwords, and
// errSecIO when the file cannot be read or written (a file that is there but does not read is
// never taken for an empty keychain).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Foundation/Value.h"

using OSStatus = int32_t;

inline constexpr OSStatus errSecSuccess = 0;
inline constexpr OSStatus errSecParam = -50;
inline constexpr OSStatus errSecIO = -36;
inline constexpr OSStatus errSecDuplicateItem = -25299;
inline constexpr OSStatus errSecItemNotFound = -25300;

inline constexpr std::string_view kSecClass = "class";
inline constexpr std::string_view kSecClassGenericPassword = "genp";
inline constexpr std::string_view kSecAttrService = "svce";
inline constexpr std::string_view kSecAttrAccount = "acct";
inline constexpr std::string_view kSecAttrLabel = "labl";
inline constexpr std::string_view kSecValueData = "v_Data";
// Query options: answer the matching item's attributes (a dictionary) or its data.
inline constexpr std::string_view kSecReturnAttributes = "r_Attributes";
inline constexpr std::string_view kSecReturnData = "r_Data";

// The first item matching the query.  With kSecReturnData the result is its data; with
// kSecReturnAttributes a dictionary of its attributes; with both, the attributes with the data
// under kSecValueData.  `result` may be null.
OSStatus SecItemCopyMatching(const Value& query, Value* result);
// Adds an item with the attributes and value data of the dictionary.
OSStatus SecItemAdd(const Value& attributes, Value* result);
// Changes the attributes and data of every item matching the query.
OSStatus SecItemUpdate(const Value& query, const Value& attributesToUpdate);
// Deletes every item matching the query.
OSStatus SecItemDelete(const Value& query);

// Where the stand-in keeps the items of the current app home.
std::string SecKeychainFilePath();
