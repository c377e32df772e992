#include <gtest/gtest.h>

#include "Foundation/NSPropertyList.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIPasteboard.h"
#include "core/SharedUDID.h"

namespace {

bool isIdentifier(const std::string& v) {
  if (v.size() != 40) return false;
  for (char c : v)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

Value slotRecord(int n) {
  auto board = UIPasteboard::pasteboardWithName("org.SharedUDID.slot." + std::to_string(n), false);
  return board ? SharedUDID::_getDictFromPasteboard(board) : Value();
}

// Another app of the device that already joined the protocol.
void otherAppWrites(int slot, const std::string& id, const std::string& appUID) {
  auto board =
      UIPasteboard::pasteboardWithName("org.SharedUDID.slot." + std::to_string(slot), true);
  board->setPersistent(true);
  SharedUDID::_setDict(
      Value::dictionaryOf({{"SharedUDID", Value(id)}, {"SharedUDID_appUID", Value(appUID)}}),
      board);
}

const std::string kOther = "0123456789abcdef0123456789abcdef01234567";

TEST(SharedUDID, FirstRunMakesAndStoresAnIdentifier) {
  NSErrorPtr error;
  std::string v = SharedUDID::valueWithError(&error);
  EXPECT_TRUE(isIdentifier(v)) << v;
  ASSERT_TRUE(error);
  EXPECT_EQ(error->domain(), "org.SharedUDID");
  EXPECT_EQ(error->code(), 0);
  Value local = NSUserDefaults::standardUserDefaults()->objectForKey("SharedUDID");
  EXPECT_EQ(local["SharedUDID"], Value(v));
  EXPECT_EQ(local["SharedUDID_slot"], Value("org.SharedUDID.slot.0"));
  EXPECT_TRUE(local["SharedUDID_createdTS"].isDate());
  EXPECT_EQ(slotRecord(0)["SharedUDID"], Value(v));
  EXPECT_TRUE(UIPasteboard::pasteboardWithName("org.SharedUDID.slot.0", false)->isPersistent());
  EXPECT_FALSE(UIPasteboard::pasteboardWithName("org.SharedUDID.slot.1", false));
  // The process keeps the value.
  EXPECT_EQ(SharedUDID::valueWithError(&error), v);
  EXPECT_EQ(error->userInfo()["description"], Value("SharedUDID in cache from first call"));
  EXPECT_NE(SharedUDID::_generateFreshSharedUDID(), SharedUDID::_generateFreshSharedUDID());
}

TEST(SharedUDID, TheMajorityOfOtherAppsWins) {
  otherAppWrites(0, kOther, "APP-A");
  otherAppWrites(1, kOther, "APP-B");
  EXPECT_EQ(SharedUDID::value(), kOther);
  EXPECT_EQ(slotRecord(2)["SharedUDID"], Value(kOther));
  EXPECT_EQ(NSUserDefaults::standardUserDefaults()->objectForKey("SharedUDID")["SharedUDID_slot"],
            Value("org.SharedUDID.slot.2"));
}

TEST(SharedUDID, StoredValueWinsButADiscrepancyIsReported) {
  const std::string mine = "ffffffffffffffffffffffffffffffffffffffff";
  NSUserDefaults::standardUserDefaults()->setObject(
      Value::dictionaryOf({{"SharedUDID", Value(mine)}, {"SharedUDID_appUID", Value("ME")}}),
      "SharedUDID");
  otherAppWrites(0, kOther, "APP-A");
  NSErrorPtr error;
  EXPECT_EQ(SharedUDID::valueWithError(&error), mine);
  EXPECT_EQ(error->code(), 2);
}

TEST(SharedUDID, OptOutAndBack) {
  std::string v = SharedUDID::value();
  SharedUDID::setOptOut(true);
  NSErrorPtr error;
  EXPECT_EQ(SharedUDID::valueWithError(&error), std::string(40, '0'));
  EXPECT_EQ(error->code(), 1);
  EXPECT_NE(error->userInfo()["description"].string().find("is opted-out from SharedUDID as of"),
            std::string::npos);
  SharedUDID::setOptOut(false);
  EXPECT_EQ(SharedUDID::valueWithError(&error), v);
  EXPECT_EQ(error->code(), 0);
  // Recomputing found this app's own slot again: no other slot was claimed.
  EXPECT_FALSE(UIPasteboard::pasteboardWithName("org.SharedUDID.slot.1", false));
}

TEST(SharedUDID, UnreadableSlotsCountAsEmpty) {
  auto board = UIPasteboard::pasteboardWithName("org.SharedUDID.slot.0", true);
  board->setPersistent(true);
  board->setData("not an archive", "org.SharedUDID");
  EXPECT_EQ(SharedUDID::_getDictFromPasteboard(board).count(), 0u);
  EXPECT_TRUE(SharedUDID::_getDictFromPasteboard(board).isDictionary());
  std::string v = SharedUDID::value();
  EXPECT_TRUE(isIdentifier(v));
  EXPECT_EQ(slotRecord(0)["SharedUDID"], Value(v));  // the unreadable slot was free
}

}  // namespace
