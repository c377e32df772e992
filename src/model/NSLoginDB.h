// The table "loginTable": at most one row (itemID 0) holding the login switches.
#pragma once

#include <memory>

#include "model/NSItemDB.h"
#include "model/NSLoginData.h"

class NSLoginDB : public NSItemDB {
 public:
  NSLoginDB();

  std::shared_ptr<NSObject> getItemWithResult(SQResultSet* rs) override;
  void insertWithItem(const std::shared_ptr<NSObject>& item) override;
  // Rewrites the row.  A table that fails with SQLITE_ERROR (an outdated layout) is dropped,
  // so that the next store creates it afresh.
  bool updateWithItem(const std::shared_ptr<NSObject>& item) override;

  // Stores the switches: updates the row when there is one, else inserts it.
  static void setValueDB(const std::shared_ptr<NSLoginData>& data);
  // The stored switches; nil when nothing is stored.
  static std::shared_ptr<NSLoginData> getData();
};
