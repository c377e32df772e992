// Opens the application's database file under <Library>/Config, and formats the tables' SQL.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "Common/sqdb/SQDatabase.h"

class NSDatabase {
 public:
  NSDatabase() = default;
  ~NSDatabase();
  NSDatabase(const NSDatabase&) = delete;
  NSDatabase& operator=(const NSDatabase&) = delete;

  // The file named by the bundle's "KastelDBName" text.
  bool initDatabase();
  // Opens (creating when missing) the named file; an empty name means the default file.
  // Statement caching is on for the connection.
  bool initDatabase(std::string_view name);
  std::shared_ptr<SQDatabase> getDatabase() const { return db_; }
  void closeDatabase();

  // "<Library>/Config/<name>", with the default name for an empty one.
  static std::string databasePath(std::string_view name = {});

  // The format with its "%@" filled by the table name.
  static std::string SQL(std::string_view format, std::string_view table);
  // Filled with the table, then the key column.
  static std::string SQLInTableInItemId(std::string_view format, std::string_view table,
                                        std::string_view itemId);
  // Filled with the table, then the parameters.
  static std::string SQLInParamInTable(std::string_view format, std::string_view param,
                                       std::string_view table);

 private:
  std::shared_ptr<SQDatabase> db_;
};
