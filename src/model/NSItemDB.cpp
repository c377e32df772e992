#include "model/NSItemDB.h"

namespace {

constexpr std::string_view kItemIdColumn = "itemID";

// Table names are written into the statement text (SQL cannot bind them), and the creation runs
// through sqlite3_exec, which would run a second statement hidden in a name: only ASCII
// letters, digits and underscores, not starting with a digit, make a name.
bool isPlainIdentifier(std::string_view name) {
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
  for (char c : name) {
    bool plain =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!plain) return false;
  }
  return true;
}

}  // namespace

NSItemDB::NSItemDB(std::string_view param, std::string_view tableName)
    : dbManager_(std::make_shared<NSDatabase>()), tableName_(tableName) {
  if (!isPlainIdentifier(tableName_) || !dbManager_->initDatabase()) return;
  std::string sql =
      NSDatabase::SQLInParamInTable("CREATE TABLE IF NOT EXISTS %@ (%@);", param, tableName_);
  sqlite3* handle = database().sqliteHandle();
  if (sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    dbManager_->closeDatabase();
  }
}

SQDatabase& NSItemDB::database() const {
  static SQDatabase closed;
  if (!isPlainIdentifier(tableName_)) return closed;
  auto db = dbManager_ ? dbManager_->getDatabase() : nullptr;
  return db ? *db : closed;
}

int NSItemDB::count() {
  auto rs = database().executeQuery(NSDatabase::SQL("SELECT * FROM %@", tableName_));
  int n = 0;
  while (rs && rs->next()) ++n;
  return n;
}

std::vector<std::shared_ptr<NSObject>> NSItemDB::queryItems() {
  std::vector<std::shared_ptr<NSObject>> items;
  auto rs = database().executeQuery(NSDatabase::SQL("SELECT * FROM %@", tableName_));
  while (rs && rs->next()) {
    if (auto item = getItemWithResult(rs.get())) items.push_back(std::move(item));
  }
  return items;
}

std::shared_ptr<NSObject> NSItemDB::getItemWithItemId(std::string_view itemId) {
  return getItemWithItemId(itemId, kItemIdColumn);
}

std::shared_ptr<NSObject> NSItemDB::getItemWithItemId(std::string_view itemId,
                                                      std::string_view propertyName) {
  // The id is bound, never written into the statement.
  auto rs = database().executeQuery(
      NSDatabase::SQLInTableInItemId("SELECT * FROM %@ WHERE %@ = ?", tableName_, propertyName),
      itemId);
  std::shared_ptr<NSObject> item;
  while (!item && rs && rs->next()) item = getItemWithResult(rs.get());
  if (rs) rs->close();
  return item;
}

bool NSItemDB::deleteWithItemId(std::string_view itemId) {
  return deleteWithItemId(itemId, kItemIdColumn);
}

bool NSItemDB::deleteWithItemId(std::string_view itemId, std::string_view propertyName) {
  SQDatabase& db = database();
  db.executeUpdate(
      NSDatabase::SQLInTableInItemId("DELETE FROM %@ WHERE %@ = ?", tableName_, propertyName),
      itemId);
  return !db.hadError();
}

void NSItemDB::deleteTable() {
  database().executeUpdate(NSDatabase::SQL("DROP TABLE %@;", tableName_));
}

std::shared_ptr<NSObject> NSItemDB::getItemWithResult(SQResultSet*) {
  return nullptr;
}

void NSItemDB::insertWithItem(const std::shared_ptr<NSObject>&) {}

bool NSItemDB::updateWithItem(const std::shared_ptr<NSObject>&) {
  return true;
}

void NSItemDB::setValueDB(const std::shared_ptr<NSObject>&) {}
