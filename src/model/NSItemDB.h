// The base of the app's tables: one short-lived object per use, with a connection of its own
// to the database file, created with its table.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Common/sqdb/SQDatabase.h"
#include "Foundation/NSObject.h"
#include "model/NSDatabase.h"

class NSItemDB : public NSObject {
 public:
  // Opens the database and creates the table with the column list when it does not exist.
  // A database that cannot be opened, or a table name that is not a plain identifier (ASCII
  // letters, digits, underscores), leaves an object whose operations all fail.
  NSItemDB(std::string_view param, std::string_view tableName);
  ~NSItemDB() override = default;

  const std::shared_ptr<NSDatabase>& dbManager() const { return dbManager_; }
  void setDbManager(std::shared_ptr<NSDatabase> dbManager) { dbManager_ = std::move(dbManager); }
  const std::string& tableName() const { return tableName_; }
  void setTableName(std::string tableName) { tableName_ = std::move(tableName); }

  int count();
  std::vector<std::shared_ptr<NSObject>> queryItems();
  // The first record of the rows whose itemID (or the given column) equals the id.
  std::shared_ptr<NSObject> getItemWithItemId(std::string_view itemId);
  std::shared_ptr<NSObject> getItemWithItemId(std::string_view itemId,
                                              std::string_view propertyName);
  bool deleteWithItemId(std::string_view itemId);
  bool deleteWithItemId(std::string_view itemId, std::string_view propertyName);
  void deleteTable();

  // Hooks of the table classes.
  virtual std::shared_ptr<NSObject> getItemWithResult(SQResultSet* rs);
  virtual void insertWithItem(const std::shared_ptr<NSObject>& item);
  virtual bool updateWithItem(const std::shared_ptr<NSObject>& item);
  static void setValueDB(const std::shared_ptr<NSObject>& item);

 protected:
  // Never null; a closed database while the table name is not a plain identifier.
  SQDatabase& database() const;

 private:
  std::shared_ptr<NSDatabase> dbManager_;
  std::string tableName_;
};
