#include "model/NSChannelAdDB.h"

#include <string>

namespace {

constexpr std::string_view kTablePrefix = "channelAdTable";
constexpr std::string_view kColumns =
    "%@ TEXT PRIMARY KEY, c_img TEXT,c_link_url TEXT,c_link_type TEXT,c_can_close "
    "TEXT,isImgExit TEXT,adId TEXT,showRate TEXT";

std::string columns() {
  return NSDatabase::SQL(kColumns, "itemID");
}

}  // namespace

NSChannelAdDB::NSChannelAdDB(int channelId)
    : NSItemDB(columns(), std::string(kTablePrefix) + std::to_string(channelId)) {}

NSChannelAdDB::NSChannelAdDB(std::string_view word)
    : NSItemDB(columns(), std::string(kTablePrefix) + std::string(word)) {}

std::shared_ptr<NSObject> NSChannelAdDB::getItemWithResult(SQResultSet* rs) {
  if (!rs) return nullptr;
  auto ad = std::make_shared<NSAdInfo>();
  ad->c_img = rs->stringForColumn("c_img").value_or("");
  ad->c_link_url = rs->stringForColumn("c_link_url").value_or("");
  ad->c_link_type = rs->intForColumn("c_link_type");
  ad->c_can_close = rs->boolForColumn("c_can_close");
  ad->isImgExit = rs->boolForColumn("isImgExit");
  ad->adId = rs->longLongIntForColumn("adId");
  ad->showRate = rs->doubleForColumn("showRate");
  return ad;
}

void NSChannelAdDB::insertWithItem(const std::shared_ptr<NSObject>& item) {
  auto ad = std::dynamic_pointer_cast<NSAdInfo>(item);
  if (!ad) return;
  SQDatabase& db = database();
  // One past the highest number rather than the row count: after a row was deleted the count
  // would name a row still in use and the insert would replace that advert.
  long itemId = db.longForQuery(
      NSDatabase::SQL("SELECT COALESCE(MAX(CAST(itemID AS INTEGER)) + 1, 0) FROM %@", tableName()));
  std::string sql = NSDatabase::SQLInParamInTable(
      "INSERT OR REPLACE INTO %@ (%@) VALUES (?,?,?,?,?,?,?,?);",
      NSDatabase::SQL("%@,c_img,c_link_url,c_link_type,c_can_close,isImgExit,adId,showRate",
                      "itemID"),
      tableName());
  db.executeUpdate(sql, int64_t(itemId), ad->c_img, ad->c_link_url, ad->c_link_type,
                   ad->c_can_close, ad->isImgExit, ad->adId, ad->showRate);
}

bool NSChannelAdDB::updateWithItem(const std::shared_ptr<NSObject>& item) {
  auto ad = std::dynamic_pointer_cast<NSAdInfo>(item);
  if (!ad) return false;
  SQDatabase& db = database();
  std::string sql = NSDatabase::SQLInTableInItemId(
      "UPDATE %@ SET c_img=?, c_link_url=?, c_link_type=?, c_can_close=?, isImgExit=?, adId=?, "
      "showRate=? WHERE %@=? ",
      tableName(), "adId");
  db.executeUpdate(sql, ad->c_img, ad->c_link_url, ad->c_link_type, ad->c_can_close, ad->isImgExit,
                   ad->adId, ad->showRate, ad->adId);
  return !db.hadError();
}

void NSChannelAdDB::store(NSChannelAdDB& table, const std::shared_ptr<NSAdInfo>& ad) {
  if (!ad) return;
  if (table.count()) {
    table.updateWithItem(ad);
  } else {
    table.insertWithItem(ad);
  }
}

void NSChannelAdDB::setValueDB(const std::shared_ptr<NSAdInfo>& ad, int channelId) {
  NSChannelAdDB table(channelId);
  store(table, ad);
}

void NSChannelAdDB::setValueDB(const std::shared_ptr<NSAdInfo>& ad, std::string_view word) {
  NSChannelAdDB table(word);
  store(table, ad);
}

void NSChannelAdDB::setListValueDB(const std::vector<std::shared_ptr<NSAdInfo>>& list,
                                   std::string_view word) {
  NSChannelAdDB table(word);
  for (const auto& ad : list) {
    if (!ad) continue;
    if (table.getItemWithItemId(std::to_string(ad->adId), "adId")) {
      table.updateWithItem(ad);
    } else {
      table.insertWithItem(ad);
    }
  }
}

std::shared_ptr<NSAdInfo> NSChannelAdDB::getData(int channelId) {
  NSChannelAdDB table(channelId);
  if (!table.count()) return nullptr;
  return std::dynamic_pointer_cast<NSAdInfo>(table.getItemWithItemId("0"));
}
