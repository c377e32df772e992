#include "model/NSLoginDB.h"

#include <vector>

namespace {

constexpr std::string_view kLoginTable = "loginTable";
constexpr std::string_view kColumns =
    "%@ TEXT PRIMARY KEY, isShowAd TEXT,isOpenSeminarNeedAccound TEXT,isShardOdozuEdit "
    "TEXT,isGrayUser TEXT,isShowListAd TEXT,errorLogEnable TEXT,errorLogSubmit "
    "TEXT,useBehaviorEnable TEXT,useBehaviorSubmit TEXT,mDicStr TEXT";
constexpr std::string_view kInsertColumns =
    "%@,isShowAd,isOpenSeminarNeedAccound,isShardOdozuEdit,isGrayUser,isShowListAd,"
    "errorLogEnable,errorLogSubmit,useBehaviorEnable,useBehaviorSubmit,mDicStr";

// The eleven values of the insert and of the update, in column order.
std::vector<Value> rowValues(const NSLoginData& data) {
  return {Value(int64_t(0)),
          Value(data.isShowAd),
          Value(data.isOpenSeminarNeedAccound),
          Value(data.isShardOdozuEdit),
          Value(data.isGrayUser),
          Value(data.isShowListAd),
          Value(data.errorLogEnable),
          Value(data.errorLogSubmit),
          Value(data.useBehaviorEnable),
          Value(data.useBehaviorSubmit),
          data.mDicStr.empty() ? Value() : Value(data.mDicStr)};
}

}  // namespace

NSLoginDB::NSLoginDB() : NSItemDB(NSDatabase::SQL(kColumns, "itemID"), kLoginTable) {}

std::shared_ptr<NSObject> NSLoginDB::getItemWithResult(SQResultSet* rs) {
  if (!rs) return nullptr;
  auto data = std::make_shared<NSLoginData>();
  data->isShowAd = rs->boolForColumn("isShowAd");
  data->isOpenSeminarNeedAccound = rs->boolForColumn("isOpenSeminarNeedAccound");
  data->isShardOdozuEdit = rs->boolForColumn("isShardOdozuEdit");
  data->isGrayUser = rs->boolForColumn("isGrayUser");
  data->isShowListAd = rs->boolForColumn("isShowListAd");
  data->errorLogEnable = rs->boolForColumn("errorLogEnable");
  data->errorLogSubmit = rs->boolForColumn("errorLogSubmit");
  data->useBehaviorEnable = rs->boolForColumn("useBehaviorEnable");
  data->useBehaviorSubmit = rs->boolForColumn("useBehaviorSubmit");
  data->mDicStr = rs->stringForColumn("mDicStr").value_or("");
  data->parseDicStr();
  return data;
}

void NSLoginDB::insertWithItem(const std::shared_ptr<NSObject>& item) {
  auto data = std::dynamic_pointer_cast<NSLoginData>(item);
  if (!data) return;
  std::string sql = NSDatabase::SQLInParamInTable(
      "INSERT OR REPLACE INTO %@ (%@) VALUES (?,?,?,?,?,?,?,?,?,?,?);",
      NSDatabase::SQL(kInsertColumns, "itemID"), tableName());
  auto values = makeArray(rowValues(*data));
  database().executeUpdateWithArgumentsInArray(sql, values);
}

bool NSLoginDB::updateWithItem(const std::shared_ptr<NSObject>& item) {
  auto data = std::dynamic_pointer_cast<NSLoginData>(item);
  if (!data) return false;
  std::string sql = NSDatabase::SQLInTableInItemId(
      "UPDATE %@ SET %@=?,isShowAd=?, isOpenSeminarNeedAccound=?, isShardOdozuEdit=?, "
      "isGrayUser=?, isShowListAd=?, errorLogEnable=?, errorLogSubmit=?, useBehaviorEnable=?, "
      "useBehaviorSubmit=?, mDicStr=?",
      tableName(), "itemID");
  SQDatabase& db = database();
  if (db.executeUpdateWithArgumentsInArray(sql, makeArray(rowValues(*data)))) return true;
  if (db.lastErrorCode() == SQLITE_ERROR) deleteTable();
  return false;
}

void NSLoginDB::setValueDB(const std::shared_ptr<NSLoginData>& data) {
  if (!data) return;
  NSLoginDB table;
  if (table.count()) {
    table.updateWithItem(data);
  } else {
    table.insertWithItem(data);
  }
}

std::shared_ptr<NSLoginData> NSLoginDB::getData() {
  NSLoginDB table;
  if (!table.count()) return nullptr;
  return std::dynamic_pointer_cast<NSLoginData>(table.getItemWithItemId("0"));
}
