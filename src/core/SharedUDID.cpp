#include "core/SharedUDID.h"

#include <cstdio>
#include <ctime>
#include <map>
#include <mutex>
#include <random>

#include "CommonCrypto/CommonDigest.h"
#include "Foundation/Clock.h"
#include "Foundation/NSPropertyList.h"
#include "Foundation/NSUUID.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIPasteboard.h"

namespace {

// The value computed once per process (until setOptOut forgets it).
std::mutex& cacheLock() {
  static std::mutex m;
  return m;
}
std::string& sessionCache() {
  static std::string v;
  return v;
}

std::string slotName(int n) {
  return std::string(kSharedUDIDSlotPrefix) + std::to_string(n);
}

NSErrorPtr makeError(long code, std::string description) {
  return NSError::errorWithDomain(kSharedUDIDDomain, code,
                                  Value::dictionaryOf({{"description", Value(description)}}));
}

// A date as the platform's "%@" writes it.
std::string dateText(const Value& date) {
  if (!date.isDate()) return date.description();
  time_t t = time_t(date.dateSeconds());
  struct tm utc {};
  gmtime_r(&t, &utc);
  char buf[40];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S +0000", &utc);
  return buf;
}

std::shared_ptr<NSMutableDictionary> mutableCopyOf(const Value& v) {
  if (!v.isDictionary()) return std::make_shared<NSMutableDictionary>();
  return std::dynamic_pointer_cast<NSMutableDictionary>(v.dictionary()->mutableCopy());
}

void saveLocalRecord(const std::shared_ptr<NSMutableDictionary>& record) {
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setObject(Value(ValueDictionary(record)), kSharedUDIDKey);
  defaults->synchronize();
}

std::string compute(NSErrorPtr* error) {
  auto defaults = NSUserDefaults::standardUserDefaults();
  Value stored = defaults->objectForKey(kSharedUDIDKey);
  std::shared_ptr<NSMutableDictionary> local;
  std::string value;
  std::string ownSlot;
  Value optedOutDate;
  if (stored.isDictionary()) {
    local = mutableCopyOf(stored);
    Value id = local->objectForKey(kSharedUDIDKey);
    if (id.isString()) value = id.string();
    Value slot = local->objectForKey(kSharedUDIDSlotKey);
    if (slot.isString()) ownSlot = slot.string();
    optedOutDate = local->objectForKey(kSharedUDIDOptOutKey);
  }
  // This installation's id.  It is kept in the local record: without that, every launch would
  // count as a new app and claim yet another slot.
  std::string appUID;
  if (auto top = defaults->stringForKey(kSharedUDIDAppUIDKey); top && !top->empty())
    appUID = *top;
  else if (local && local->objectForKey(kSharedUDIDAppUIDKey).isString())
    appUID = local->objectForKey(kSharedUDIDAppUIDKey).string();
  if (appUID.empty()) appUID = NSUUID::createString();
  bool optedOut = !optedOutDate.isNil();

  std::string availableSlot;
  std::string mySlot;
  std::map<std::string, int> frequency;
  std::vector<std::string> order;
  for (int n = 0; n < kSharedUDIDSlots; ++n) {
    std::string name = slotName(n);
    auto board = UIPasteboard::pasteboardWithName(name, false);
    if (!board) {
      if (availableSlot.empty()) availableSlot = name;
      continue;
    }
    Value dict = SharedUDID::_getDictFromPasteboard(board);
    Value id = dict[kSharedUDIDKey];
    if (!id.isString()) {
      if (availableSlot.empty()) availableSlot = name;
    } else {
      if (frequency[std::string(id.string())]++ == 0) order.emplace_back(id.string());
    }
    Value gid = dict[kSharedUDIDAppUIDKey];
    if (gid.isString() && gid.string() == appUID) {
      mySlot = name;
      if (optedOut) {
        optedOutDate = dict[kSharedUDIDOptOutKey];
        optedOut = !optedOutDate.isNil();
      }
    }
  }
  std::string mostReliable;
  int best = 0;
  for (const auto& id : order)
    if (frequency[id] > best) best = frequency[id], mostReliable = id;

  bool compromised = false;
  bool save = false;
  if (!value.empty()) {
    compromised = !mostReliable.empty() && mostReliable != value;
  } else {
    value = mostReliable.empty() ? SharedUDID::_generateFreshSharedUDID() : mostReliable;
    if (!local) {
      local = std::make_shared<NSMutableDictionary>();
      local->setObject(Value(value), kSharedUDIDKey);
      local->setObject(Value(appUID), kSharedUDIDAppUIDKey);
      local->setObject(optedOut ? optedOutDate : Value::date(ClockNow()), kSharedUDIDCreatedKey);
      save = true;
    }
  }
  if (local && local->objectForKey(kSharedUDIDAppUIDKey).isNil()) {
    local->setObject(Value(appUID), kSharedUDIDAppUIDKey);
    save = true;
  }
  if (!availableSlot.empty() && (mySlot.empty() || availableSlot == mySlot)) {
    auto board = UIPasteboard::pasteboardWithName(availableSlot, true);
    // The record goes in before the board is made persistent, so that a new board is written
    // once, with it.
    if (local) {
      local->setObject(Value(availableSlot), kSharedUDIDSlotKey);
      SharedUDID::_setDict(Value(ValueDictionary(local)), board);
    }
    if (!board->isPersistent()) board->setPersistent(true);
    save = true;
  }
  if (save && local) saveLocalRecord(local);

  if (optedOut) {
    value = std::string(40, '0');
    if (error)
      *error = makeError(kSharedUDIDErrorOptedOut, "Application with unique id " + appUID +
                                                       " is opted-out from SharedUDID as of " +
                                                       dateText(optedOutDate));
  } else if (compromised) {
    if (error)
      *error = makeError(kSharedUDIDErrorCompromised,
                         "Found a discrepancy between stored SharedUDID (reliable) and redundant "
                         "copies; one of the apps on the device is most likely corrupting the "
                         "SharedUDID protocol");
  } else if (error) {
    *error = makeError(kSharedUDIDErrorNone, "SharedUDID succesfully retrieved");
  }
  return value;
}

}  // namespace

std::string SharedUDID::value() {
  return valueWithError(nullptr);
}

std::string SharedUDID::valueWithError(NSErrorPtr* error) {
  std::lock_guard<std::mutex> guard(cacheLock());
  if (!sessionCache().empty()) {
    if (error) *error = makeError(kSharedUDIDErrorNone, "SharedUDID in cache from first call");
    return sessionCache();
  }
  sessionCache() = compute(error);
  return sessionCache();
}

void SharedUDID::setOptOut(bool optOut) {
  value();
  auto defaults = NSUserDefaults::standardUserDefaults();
  auto record = mutableCopyOf(defaults->objectForKey(kSharedUDIDKey));
  if (optOut)
    record->setObject(Value::date(ClockNow()), kSharedUDIDOptOutKey);
  else
    record->removeObjectForKey(kSharedUDIDOptOutKey);
  saveLocalRecord(record);
  // The own slot carries the opt-out too: the next computation reads it from there.
  Value slot = record->objectForKey(kSharedUDIDSlotKey);
  if (slot.isString()) {
    if (auto board = UIPasteboard::pasteboardWithName(slot.string(), false)) {
      Value mine = _getDictFromPasteboard(board);
      Value appUID = record->objectForKey(kSharedUDIDAppUIDKey);
      if (mine[kSharedUDIDAppUIDKey].isEqual(appUID))
        _setDict(Value(ValueDictionary(record)), board);
    }
  }
  std::lock_guard<std::mutex> guard(cacheLock());
  sessionCache().clear();
}

void SharedUDID::_setDict(const Value& dict, const std::shared_ptr<UIPasteboard>& pasteboard) {
  if (!pasteboard) return;
  auto data = NSPropertyListSerialization::dataWithPropertyList(dict, NSPropertyListFormat::Binary);
  if (data) pasteboard->setData(*data, kSharedUDIDPasteboardType);
}

Value SharedUDID::_getDictFromPasteboard(const std::shared_ptr<UIPasteboard>& pasteboard) {
  if (pasteboard) {
    if (auto data = pasteboard->dataForPasteboardType(kSharedUDIDPasteboardType)) {
      Value v = NSPropertyListSerialization::propertyListWithData(*data);
      if (v.isDictionary()) return Value(ValueDictionary(mutableCopyOf(v)));
    }
  }
  return Value(ValueDictionary(std::make_shared<NSMutableDictionary>()));
}

std::string SharedUDID::_generateFreshSharedUDID() {
  std::string uuid = NSUUID::createString();
  unsigned char digest[CC_MD5_DIGEST_LENGTH];
  CC_MD5(uuid.data(), CC_LONG(uuid.size()), digest);
  std::string out;
  char hex[9];
  for (unsigned char b : digest) {
    std::snprintf(hex, sizeof hex, "%02x", b);
    out += hex;
  }
  static std::random_device device;
  uint32_t r = uint32_t(device() % 4294967295u);
  std::snprintf(hex, sizeof hex, "%08x", r);
  out += hex;
  return out;
}
