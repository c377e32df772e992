// Busy retries: another connection holds an exclusive lock on the file.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "Common/sqdb/SQDatabase.h"
#include "Common/sqdb/SqdbTestSupport.h"

namespace {

class SQBusyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = sqdbTestPath();
    auto setup = SQDatabase::databaseWithPath(path_);
    ASSERT_TRUE(setup->open());
    ASSERT_TRUE(setup->executeUpdate("create table t (a)"));
    ASSERT_TRUE(setup->executeUpdate("insert into t values (1)"));
    ASSERT_EQ(sqlite3_open(path_.c_str(), &locker_), SQLITE_OK);
  }
  void TearDown() override { sqlite3_close(locker_); }

  void lockExclusively() {
    ASSERT_EQ(sqlite3_exec(locker_, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
  }

  // Counts the attempts SQLite refuses on `db`: with a handler that never asks for a retry,
  // SQLite calls it once for each refused attempt and then answers SQLITE_BUSY.
  static void countRefusals(SQDatabase& db, std::atomic<int>& refusals) {
    sqlite3_busy_handler(
        db.sqliteHandle(),
        [](void* arg, int) {
          ++*static_cast<std::atomic<int>*>(arg);
          return 0;
        },
        &refusals);
  }

  std::string path_;
  sqlite3* locker_ = nullptr;
};

TEST_F(SQBusyTest, AnUpdateIsTriedTimeoutPlusTwoTimes) {
  for (int timeout : {1, 2, 5}) {
    SCOPED_TRACE(timeout);
    SQDatabase db(path_);
    ASSERT_TRUE(db.open());
    ASSERT_EQ(db.intForQuery("select count(*) from t"), 1);  // schema read before the lock
    db.setBusyRetryTimeout(timeout);
    std::atomic<int> refusals{0};
    countRefusals(db, refusals);
    lockExclusively();
    EXPECT_FALSE(db.executeUpdate("insert into t values (2)"));
    EXPECT_EQ(refusals.load(), timeout + 2);
    EXPECT_EQ(db.lastErrorCode(), SQLITE_BUSY);
    EXPECT_TRUE(db.hadError());
    ASSERT_EQ(sqlite3_exec(locker_, "rollback", nullptr, nullptr, nullptr), SQLITE_OK);
  }
}

TEST_F(SQBusyTest, APrepareAndANextRetryTheSameWay) {
  SQDatabase fresh(path_);
  ASSERT_TRUE(fresh.open());
  fresh.setBusyRetryTimeout(2);
  std::atomic<int> prepareRefusals{0};
  countRefusals(fresh, prepareRefusals);

  SQDatabase reader(path_);
  ASSERT_TRUE(reader.open());
  reader.setShouldCacheStatements(true);
  ASSERT_EQ(reader.intForQuery("select a from t"), 1);  // schema read, statement cached
  reader.setBusyRetryTimeout(2);
  std::atomic<int> stepRefusals{0};
  countRefusals(reader, stepRefusals);

  lockExclusively();
  // The fresh connection must read the schema while preparing.
  EXPECT_EQ(fresh.executeQuery("select a from t"), nullptr);
  EXPECT_EQ(prepareRefusals.load(), 4);

  auto rs = reader.executeQuery("select a from t");
  ASSERT_TRUE(rs);
  EXPECT_FALSE(rs->next());
  EXPECT_EQ(stepRefusals.load(), 4);
  EXPECT_FALSE(reader.hasOpenResultSets());
}

TEST_F(SQBusyTest, ATimeoutOfZeroWaitsUntilTheLockIsGone) {
  SQDatabase db(path_);
  ASSERT_TRUE(db.open());
  ASSERT_EQ(db.busyRetryTimeout(), 0);
  lockExclusively();
  std::atomic<bool> released{false};
  std::thread holder([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    released = true;
    sqlite3_exec(locker_, "commit", nullptr, nullptr, nullptr);
  });
  EXPECT_TRUE(db.executeUpdate("insert into t values (3)"));
  EXPECT_TRUE(released.load());
  holder.join();
  EXPECT_EQ(db.intForQuery("select count(*) from t"), 2);
}

}  // namespace
