// A database file of its own for each test, under the test's app home.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "Common/sqdb/SQDatabase.h"

inline std::string sqdbTestPath(const std::string& name = "test.db") {
  const char* home = std::getenv("ZEPT_HOME");
  std::filesystem::path dir = home ? home : std::filesystem::temp_directory_path();
  std::filesystem::create_directories(dir);
  std::filesystem::path path = dir / name;
  std::filesystem::remove(path);
  return path.string();
}

// The number n of the open savepoint "savePoint<n>" of a connection (the names the queue and
// the pool give), found by rolling back to each name in turn, which changes nothing while the
// savepoint holds no work; -1 when there is none.
inline long openSavePointNumber(SQDatabase& db) {
  for (long n = 0; n < 100000; ++n) {
    if (db.executeUpdate("rollback transaction to savepoint savePoint" + std::to_string(n))) {
      return n;
    }
  }
  return -1;
}

// The rows of a table as another connection to the file sees them: what has been committed.
inline int committedRowCount(const std::string& path, const std::string& table = "t") {
  SQDatabase other(path);
  if (!other.open()) return -1;
  return other.intForQuery("select count(*) from " + table);
}
