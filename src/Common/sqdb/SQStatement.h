// One prepared statement of a database's statement cache.
#pragma once

#include <sqlite3.h>

#include <string>

#include "Foundation/NSObject.h"

class SQStatement : public NSObject {
 public:
  SQStatement() = default;
  ~SQStatement() override;
  SQStatement(const SQStatement&) = delete;
  SQStatement& operator=(const SQStatement&) = delete;

  sqlite3_stmt* statement() const { return statement_; }
  void setStatement(sqlite3_stmt* statement) { statement_ = statement; }
  const std::string& query() const { return query_; }
  void setQuery(std::string query) { query_ = std::move(query); }
  long useCount() const { return useCount_; }
  void setUseCount(long useCount) { useCount_ = useCount; }

  // Finalizes the statement; the handle is cleared.
  void close();
  void reset();

  // An open result set is stepping this statement: it must not serve another query until
  // the result set lets it go.
  bool inUse() const { return inUse_; }
  void setInUse(bool inUse) { inUse_ = inUse; }

  std::string description() const override;

 private:
  sqlite3_stmt* statement_ = nullptr;
  std::string query_;
  long useCount_ = 0;
  bool inUse_ = false;
};
