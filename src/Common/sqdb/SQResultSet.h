// The cursor a query returns: stepped row by row with next(), columns read by index or by
// name (names compare without regard to case).
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "Common/sqdb/SQStatement.h"
#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

class SQDatabase;

class SQResultSet : public NSObject {
 public:
  // The parent database registers the set as open and detaches it (setParentDB(nullptr))
  // before it closes or goes away, so the back pointer never dangles.
  static std::shared_ptr<SQResultSet> resultSetWithStatement(std::shared_ptr<SQStatement> statement,
                                                             SQDatabase* parentDatabase);
  SQResultSet(std::shared_ptr<SQStatement> statement, SQDatabase* parentDatabase);
  ~SQResultSet() override;
  SQResultSet(const SQResultSet&) = delete;
  SQResultSet& operator=(const SQResultSet&) = delete;

  // Steps to the next row; any answer but a row closes the set.
  bool next();
  // Whether the parent database's last result code is SQLITE_ROW.
  bool hasAnotherRow() const;
  // Resets and releases the statement and unregisters from the database; safe to repeat.
  void close();

  int columnCount() const;
  // -1 when no column has that name.
  int columnIndexForName(std::string_view columnName);
  std::string columnNameForIndex(int columnIdx) const;

  int intForColumnIndex(int columnIdx) const;
  int intForColumn(std::string_view columnName);
  long longForColumnIndex(int columnIdx) const;
  long longForColumn(std::string_view columnName);
  long long longLongIntForColumnIndex(int columnIdx) const;
  long long longLongIntForColumn(std::string_view columnName);
  unsigned long long unsignedLongLongIntForColumnIndex(int columnIdx) const;
  unsigned long long unsignedLongLongIntForColumn(std::string_view columnName);
  bool boolForColumnIndex(int columnIdx) const;
  bool boolForColumn(std::string_view columnName);
  double doubleForColumnIndex(int columnIdx) const;
  double doubleForColumn(std::string_view columnName);
  // nil (nullopt) for NULL or a negative index.
  std::optional<std::string> stringForColumnIndex(int columnIdx) const;
  std::optional<std::string> stringForColumn(std::string_view columnName);
  // SQLite's own bytes, valid until the next step or close; nullptr for NULL.
  const char* UTF8StringForColumnIndex(int columnIdx) const;
  const char* UTF8StringForColumnName(std::string_view columnName);
  std::optional<NSDateValue> dateForColumnIndex(int columnIdx) const;
  std::optional<NSDateValue> dateForColumn(std::string_view columnName);
  std::optional<NSDataBytes> dataForColumnIndex(int columnIdx) const;
  std::optional<NSDataBytes> dataForColumn(std::string_view columnName);
  // A view of SQLite's bytes, valid until the next step or close.
  std::optional<std::string_view> dataNoCopyForColumnIndex(int columnIdx) const;
  std::optional<std::string_view> dataNoCopyForColumn(std::string_view columnName);
  bool columnIndexIsNull(int columnIdx) const;
  bool columnIsNull(std::string_view columnName);
  // Integers as 64-bit numbers, floats as doubles, blobs as data, text as strings, NULL as
  // NSNull.
  Value objectForColumnIndex(int columnIdx) const;
  Value objectForColumnName(std::string_view columnName);

  // The row keyed by the column names as SQLite reports them; nil when there is no row.
  ValueDictionary resultDictionary() const;
  // An immutable dictionary keyed by the lower-cased column names; nil when there is no row.
  ValueDictionary resultDict();
  // Calls setValueForKey(text, column name) for every column whose text is not NULL.
  void kvcMagic(const std::function<void(const std::string& value, const std::string& key)>&
                    setValueForKey) const;

  const std::string& query() const { return query_; }
  void setQuery(std::string query) { query_ = std::move(query); }
  const std::unordered_map<std::string, int>& columnNameToIndexMap();
  std::shared_ptr<SQStatement> statement() const { return statement_; }
  void setStatement(std::shared_ptr<SQStatement> statement) { statement_ = std::move(statement); }
  SQDatabase* parentDB() const { return parentDB_; }
  void setParentDB(SQDatabase* parentDB) { parentDB_ = parentDB; }

 private:
  sqlite3_stmt* handle() const { return statement_ ? statement_->statement() : nullptr; }
  // The handle when the index names a column of the current statement.
  sqlite3_stmt* column(int columnIdx) const;

  SQDatabase* parentDB_ = nullptr;
  std::shared_ptr<SQStatement> statement_;
  std::string query_;
  std::unordered_map<std::string, int> columnNameToIndexMap_;
  bool columnNamesSetup_ = false;
};
