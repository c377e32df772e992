// A device identifier that stays the same across launches and is shared with the other apps
// of the device that follow the same protocol: kept in this app's user defaults and in one of
// 100 named persistent pasteboards, where the value most apps agree on wins.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "Foundation/NSError.h"
#include "Foundation/Value.h"
#include "core/StoredKeys.h"

class UIPasteboard;

inline constexpr std::string_view kSharedUDIDAppUIDKey = "SharedUDID_appUID";
inline constexpr std::string_view kSharedUDIDCreatedKey = "SharedUDID_createdTS";
inline constexpr std::string_view kSharedUDIDSlotKey = "SharedUDID_slot";
inline constexpr std::string_view kSharedUDIDOptOutKey = "SharedUDID_optOutTS";
inline constexpr std::string_view kSharedUDIDSlotPrefix = "org.SharedUDID.slot.";
inline constexpr std::string_view kSharedUDIDPasteboardType = "org.SharedUDID";
inline constexpr std::string_view kSharedUDIDDomain = "org.SharedUDID";
inline constexpr int kSharedUDIDSlots = 100;

enum SharedUDIDError {
  kSharedUDIDErrorNone = 0,
  kSharedUDIDErrorOptedOut = 1,
  kSharedUDIDErrorCompromised = 2,
};

class SharedUDID {
 public:
  // 40 lower-case hexadecimal characters; forty zeros while this app is opted out.
  static std::string value();
  // The same, with code 0 (also on success), 1 (opted out) or 2 (the slots disagree with the
  // stored value) in `error` when given.
  static std::string valueWithError(NSErrorPtr* error);
  // Records (YES) or lifts (NO) this app's opt-out and forgets the process cache.
  static void setOptOut(bool optOut);

  // A slot's record: written as a keyed archive; anything unreadable reads as an empty
  // dictionary.
  static void _setDict(const Value& dict, const std::shared_ptr<UIPasteboard>& pasteboard);
  static Value _getDictFromPasteboard(const std::shared_ptr<UIPasteboard>& pasteboard);
  static std::string _generateFreshSharedUDID();
};
