#include "Common/sqdb/SQResultSet.h"

#include "Common/sqdb/SQBusyRetry.h"
#include "Common/sqdb/SQDatabase.h"
#include "Foundation/NSString.h"

std::shared_ptr<SQResultSet> SQResultSet::resultSetWithStatement(
    std::shared_ptr<SQStatement> statement, SQDatabase* parentDatabase) {
  return std::make_shared<SQResultSet>(std::move(statement), parentDatabase);
}

SQResultSet::SQResultSet(std::shared_ptr<SQStatement> statement, SQDatabase* parentDatabase)
    : parentDB_(parentDatabase), statement_(std::move(statement)) {
  if (statement_) statement_->setInUse(true);
}

SQResultSet::~SQResultSet() {
  close();
}

bool SQResultSet::next() {
  sqlite3_stmt* stmt = handle();
  if (!stmt) {
    close();
    return false;
  }
  int rc;
  int numberOfRetries = 0;
  int timeout = parentDB_ ? parentDB_->busyRetryTimeout() : 0;
  for (;;) {
    rc = sqlite3_step(stmt);
    if (!sqdb::isBusy(rc)) break;
    if (!sqdb::retryAfterBusy(timeout, numberOfRetries)) break;
    if (rc == SQLITE_LOCKED) sqlite3_reset(stmt);
  }
  if (rc == SQLITE_ROW) return true;
  close();
  return false;
}

bool SQResultSet::hasAnotherRow() const {
  return parentDB_ && parentDB_->lastErrorCode() == SQLITE_ROW;
}

void SQResultSet::close() {
  if (statement_) {
    statement_->reset();
    statement_->setInUse(false);
    statement_.reset();
  }
  if (parentDB_) {
    SQDatabase* parent = parentDB_;
    parentDB_ = nullptr;
    parent->resultSetDidClose(this);
  }
}

int SQResultSet::columnCount() const {
  sqlite3_stmt* stmt = handle();
  return stmt ? sqlite3_column_count(stmt) : 0;
}

const std::unordered_map<std::string, int>& SQResultSet::columnNameToIndexMap() {
  if (!columnNamesSetup_) {
    if (sqlite3_stmt* stmt = handle()) {
      int count = sqlite3_column_count(stmt);
      for (int i = 0; i < count; ++i) {
        const char* name = sqlite3_column_name(stmt, i);
        // A later column of the same name replaces the earlier one.
        columnNameToIndexMap_[lowercaseASCIIString(name ? name : "")] = i;
      }
      columnNamesSetup_ = true;
    }
  }
  return columnNameToIndexMap_;
}

int SQResultSet::columnIndexForName(std::string_view columnName) {
  const auto& map = columnNameToIndexMap();
  auto it = map.find(lowercaseASCIIString(columnName));
  return it == map.end() ? -1 : it->second;
}

std::string SQResultSet::columnNameForIndex(int columnIdx) const {
  sqlite3_stmt* stmt = column(columnIdx);
  const char* name = stmt ? sqlite3_column_name(stmt, columnIdx) : nullptr;
  return name ? name : "";
}

sqlite3_stmt* SQResultSet::column(int columnIdx) const {
  sqlite3_stmt* stmt = handle();
  // Outside the column range SQLite would also record an error on the connection.
  if (!stmt || columnIdx < 0 || columnIdx >= sqlite3_column_count(stmt)) return nullptr;
  return stmt;
}

int SQResultSet::intForColumnIndex(int columnIdx) const {
  sqlite3_stmt* stmt = column(columnIdx);
  return stmt ? sqlite3_column_int(stmt, columnIdx) : 0;
}

int SQResultSet::intForColumn(std::string_view columnName) {
  return intForColumnIndex(columnIndexForName(columnName));
}

long SQResultSet::longForColumnIndex(int columnIdx) const {
  sqlite3_stmt* stmt = column(columnIdx);
  return stmt ? long(sqlite3_column_int64(stmt, columnIdx)) : 0;
}

long SQResultSet::longForColumn(std::string_view columnName) {
  return longForColumnIndex(columnIndexForName(columnName));
}

long long SQResultSet::longLongIntForColumnIndex(int columnIdx) const {
  sqlite3_stmt* stmt = column(columnIdx);
  return stmt ? sqlite3_column_int64(stmt, columnIdx) : 0;
}

long long SQResultSet::longLongIntForColumn(std::string_view columnName) {
  return longLongIntForColumnIndex(columnIndexForName(columnName));
}

unsigned long long SQResultSet::unsignedLongLongIntForColumnIndex(int columnIdx) const {
  return (unsigned long long)longLongIntForColumnIndex(columnIdx);
}

unsigned long long SQResultSet::unsignedLongLongIntForColumn(std::string_view columnName) {
  return unsignedLongLongIntForColumnIndex(columnIndexForName(columnName));
}

bool SQResultSet::boolForColumnIndex(int columnIdx) const {
  return intForColumnIndex(columnIdx) != 0;
}

bool SQResultSet::boolForColumn(std::string_view columnName) {
  return boolForColumnIndex(columnIndexForName(columnName));
}

double SQResultSet::doubleForColumnIndex(int columnIdx) const {
  sqlite3_stmt* stmt = column(columnIdx);
  return stmt ? sqlite3_column_double(stmt, columnIdx) : 0;
}

double SQResultSet::doubleForColumn(std::string_view columnName) {
  return doubleForColumnIndex(columnIndexForName(columnName));
}

std::optional<std::string> SQResultSet::stringForColumnIndex(int columnIdx) const {
  sqlite3_stmt* stmt = column(columnIdx);
  if (!stmt) return std::nullopt;
  // NULL has no text.
  const unsigned char* text = sqlite3_column_text(stmt, columnIdx);
  if (!text) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(text),
                     size_t(sqlite3_column_bytes(stmt, columnIdx)));
}

std::optional<std::string> SQResultSet::stringForColumn(std::string_view columnName) {
  return stringForColumnIndex(columnIndexForName(columnName));
}

const char* SQResultSet::UTF8StringForColumnIndex(int columnIdx) const {
  sqlite3_stmt* stmt = column(columnIdx);
  if (!stmt) return nullptr;
  return reinterpret_cast<const char*>(sqlite3_column_text(stmt, columnIdx));
}

const char* SQResultSet::UTF8StringForColumnName(std::string_view columnName) {
  return UTF8StringForColumnIndex(columnIndexForName(columnName));
}

std::optional<NSDateValue> SQResultSet::dateForColumnIndex(int columnIdx) const {
  sqlite3_stmt* stmt = column(columnIdx);
  if (!stmt || sqlite3_column_type(stmt, columnIdx) == SQLITE_NULL) return std::nullopt;
  return NSDateValue{sqlite3_column_double(stmt, columnIdx)};
}

std::optional<NSDateValue> SQResultSet::dateForColumn(std::string_view columnName) {
  return dateForColumnIndex(columnIndexForName(columnName));
}

std::optional<NSDataBytes> SQResultSet::dataForColumnIndex(int columnIdx) const {
  auto view = dataNoCopyForColumnIndex(columnIdx);
  if (!view) return std::nullopt;
  return NSDataBytes{std::string(*view)};
}

std::optional<NSDataBytes> SQResultSet::dataForColumn(std::string_view columnName) {
  return dataForColumnIndex(columnIndexForName(columnName));
}

std::optional<std::string_view> SQResultSet::dataNoCopyForColumnIndex(int columnIdx) const {
  sqlite3_stmt* stmt = column(columnIdx);
  if (!stmt || sqlite3_column_type(stmt, columnIdx) == SQLITE_NULL) return std::nullopt;
  const void* bytes = sqlite3_column_blob(stmt, columnIdx);
  int length = sqlite3_column_bytes(stmt, columnIdx);
  if (!bytes || length <= 0) return std::string_view();
  return std::string_view(static_cast<const char*>(bytes), size_t(length));
}

std::optional<std::string_view> SQResultSet::dataNoCopyForColumn(std::string_view columnName) {
  return dataNoCopyForColumnIndex(columnIndexForName(columnName));
}

bool SQResultSet::columnIndexIsNull(int columnIdx) const {
  sqlite3_stmt* stmt = column(columnIdx);
  return !stmt || sqlite3_column_type(stmt, columnIdx) == SQLITE_NULL;
}

bool SQResultSet::columnIsNull(std::string_view columnName) {
  return columnIndexIsNull(columnIndexForName(columnName));
}

Value SQResultSet::objectForColumnIndex(int columnIdx) const {
  sqlite3_stmt* stmt = column(columnIdx);
  if (!stmt) return Value::null();
  switch (sqlite3_column_type(stmt, columnIdx)) {
    case SQLITE_INTEGER:
      return Value((long long)sqlite3_column_int64(stmt, columnIdx));
    case SQLITE_FLOAT:
      return Value(sqlite3_column_double(stmt, columnIdx));
    case SQLITE_BLOB: {
      auto data = dataForColumnIndex(columnIdx);
      return data ? Value(std::move(*data)) : Value::null();
    }
    default: {
      auto text = stringForColumnIndex(columnIdx);
      return text ? Value(std::move(*text)) : Value::null();
    }
  }
}

Value SQResultSet::objectForColumnName(std::string_view columnName) {
  return objectForColumnIndex(columnIndexForName(columnName));
}

ValueDictionary SQResultSet::resultDictionary() const {
  sqlite3_stmt* stmt = handle();
  if (!stmt || sqlite3_data_count(stmt) == 0) return nullptr;
  auto dict = makeDictionary();
  int count = sqlite3_column_count(stmt);
  for (int i = 0; i < count; ++i) {
    const char* name = sqlite3_column_name(stmt, i);
    dict->setObject(objectForColumnIndex(i), name ? name : "");
  }
  return dict;
}

ValueDictionary SQResultSet::resultDict() {
  sqlite3_stmt* stmt = handle();
  if (!stmt || sqlite3_data_count(stmt) == 0) return nullptr;
  const auto& map = columnNameToIndexMap();
  std::vector<std::pair<std::string, Value>> pairs;
  // In column order, so that the dictionary's order does not depend on the map's hashing.
  int count = sqlite3_column_count(stmt);
  for (int i = 0; i < count; ++i) {
    const char* name = sqlite3_column_name(stmt, i);
    std::string key = lowercaseASCIIString(name ? name : "");
    auto it = map.find(key);
    if (it == map.end() || it->second != i) continue;
    pairs.emplace_back(std::move(key), objectForColumnIndex(i));
  }
  return std::make_shared<NSMutableDictionary>(std::move(pairs), false);
}

void SQResultSet::kvcMagic(
    const std::function<void(const std::string& value, const std::string& key)>& setValueForKey)
    const {
  sqlite3_stmt* stmt = handle();
  if (!stmt || !setValueForKey) return;
  int count = sqlite3_data_count(stmt);
  for (int i = 0; i < count; ++i) {
    const unsigned char* text = sqlite3_column_text(stmt, i);
    if (!text) continue;
    const char* name = sqlite3_column_name(stmt, i);
    setValueForKey(
        std::string(reinterpret_cast<const char*>(text), size_t(sqlite3_column_bytes(stmt, i))),
        name ? name : "");
  }
}
