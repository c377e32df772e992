// One-value queries and schema questions of SQDatabase.
#include <unistd.h>

#include "Common/sqdb/SQBusyRetry.h"
#include "Common/sqdb/SQDatabase.h"
#include "Foundation/NSString.h"

void SQDatabase::readFirstRow(std::string_view sql, std::span<const Value> args,
                              const std::function<void(SQResultSet*)>& read) {
  auto rs = executeQueryWithArgumentsInArrayOrDictionaryOrVAList(sql, nullptr, nullptr, args);
  // Without a row the set has already closed itself.
  if (!rs || !rs->next()) return;
  read(rs.get());
  rs->close();
  rs->setParentDB(nullptr);
}

std::optional<std::string> SQDatabase::stringForQueryWithArguments(std::string_view sql,
                                                                   std::vector<Value> args) {
  std::optional<std::string> result;
  readFirstRow(sql, args, [&](SQResultSet* rs) { result = rs->stringForColumnIndex(0); });
  return result;
}

int SQDatabase::intForQueryWithArguments(std::string_view sql, std::vector<Value> args) {
  int result = 0;
  readFirstRow(sql, args, [&](SQResultSet* rs) { result = rs->intForColumnIndex(0); });
  return result;
}

long SQDatabase::longForQueryWithArguments(std::string_view sql, std::vector<Value> args) {
  long result = 0;
  readFirstRow(sql, args, [&](SQResultSet* rs) { result = rs->longForColumnIndex(0); });
  return result;
}

bool SQDatabase::boolForQueryWithArguments(std::string_view sql, std::vector<Value> args) {
  bool result = false;
  readFirstRow(sql, args, [&](SQResultSet* rs) { result = rs->boolForColumnIndex(0); });
  return result;
}

double SQDatabase::doubleForQueryWithArguments(std::string_view sql, std::vector<Value> args) {
  double result = 0;
  readFirstRow(sql, args, [&](SQResultSet* rs) { result = rs->doubleForColumnIndex(0); });
  return result;
}

std::optional<NSDataBytes> SQDatabase::dataForQueryWithArguments(std::string_view sql,
                                                                 std::vector<Value> args) {
  std::optional<NSDataBytes> result;
  readFirstRow(sql, args, [&](SQResultSet* rs) { result = rs->dataForColumnIndex(0); });
  return result;
}

std::optional<NSDateValue> SQDatabase::dateForQueryWithArguments(std::string_view sql,
                                                                 std::vector<Value> args) {
  std::optional<NSDateValue> result;
  readFirstRow(sql, args, [&](SQResultSet* rs) { result = rs->dateForColumnIndex(0); });
  return result;
}

bool SQDatabase::tableExists(std::string_view tableName) {
  auto rs =
      executeQuery("select [sql] from sqlite_master where [type] = 'table' and lower(name) = ?",
                   lowercaseASCIIString(tableName));
  if (!rs) return false;
  bool found = rs->next();
  rs->close();
  return found;
}

std::shared_ptr<SQResultSet> SQDatabase::getSchema() {
  return executeQuery(
      "SELECT type, name, tbl_name, rootpage, sql FROM (SELECT * FROM sqlite_master UNION ALL "
      "SELECT * FROM sqlite_temp_master) WHERE type != 'meta' AND name NOT LIKE 'sqlite_%' ORDER "
      "BY tbl_name, type DESC, name");
}

std::shared_ptr<SQResultSet> SQDatabase::getTableSchema(std::string_view tableName) {
  std::string sql = "PRAGMA table_info('";
  for (char c : tableName) {
    if (c == '\'') sql += '\'';
    sql += c;
  }
  sql += "')";
  return executeQuery(sql);
}

bool SQDatabase::columnExists(std::string_view columnName, std::string_view tableName) {
  std::string column = lowercaseASCIIString(columnName);
  auto rs = getTableSchema(lowercaseASCIIString(tableName));
  if (!rs) return false;
  bool found = false;
  while (rs->next()) {
    if (lowercaseASCIIString(rs->stringForColumn("name").value_or("")) == column) {
      found = true;
      break;
    }
  }
  rs->close();
  return found;
}

bool SQDatabase::columnExistsColumnName(std::string_view tableName, std::string_view columnName) {
  return columnExists(columnName, tableName);
}

bool SQDatabase::validateSQL(std::string_view sql, NSErrorPtr* outErr) {
  if (!db_) {
    if (outErr) {
      *outErr = NSError::errorWithDomain(
          NSCocoaErrorDomain, lastErrorCode(),
          Value::dictionaryOf(
              {{std::string(NSLocalizedDescriptionKey), Value(lastErrorMessage())}}));
    }
    return false;
  }
  sqlite3_stmt* pStmt = nullptr;
  int rc;
  for (;;) {
    rc = sqlite3_prepare_v2(db_, sql.data(), int(sql.size()), &pStmt, nullptr);
    if (!sqdb::isBusy(rc)) break;
    sqlite3_finalize(pStmt);
    pStmt = nullptr;
    usleep(20);
  }
  sqlite3_finalize(pStmt);
  bool validationSucceeded = rc == SQLITE_OK;
  if (!validationSucceeded && outErr) {
    *outErr = NSError::errorWithDomain(
        NSCocoaErrorDomain, lastErrorCode(),
        Value::dictionaryOf({{std::string(NSLocalizedDescriptionKey), Value(lastErrorMessage())}}));
  }
  return validationSucceeded;
}
