// The table "T_STATUS" of status posts (no screen uses it).  The author and the reposted
// status are not stored.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "model/NSDatabase.h"
#include "model/Status.h"

class StatusDB {
 public:
  StatusDB();

  const std::shared_ptr<NSDatabase>& dbManager() const { return dbManager_; }

  void insertWithStatus(const Status& status);
  // Rewrites the row of the status's id.
  bool updateWithStatus(const Status& status);
  bool deleteWithStatusId(std::string_view statusId);
  std::vector<StatusPtr> queryStatuses();
  // The stored status; a new empty one when there is none.
  StatusPtr getStatusWithStatusId(std::string_view statusId);

 private:
  SQDatabase& database() const;
  std::shared_ptr<NSDatabase> dbManager_;
};
