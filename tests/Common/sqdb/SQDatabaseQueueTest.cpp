// The database queue: one connection, one block at a time, transactions and savepoints.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "Common/sqdb/SQDatabaseQueue.h"
#include "Common/sqdb/SqdbTestSupport.h"

namespace {

class SQDatabaseQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = sqdbTestPath();
    queue_ = SQDatabaseQueue::databaseQueueWithPath(path_);
    ASSERT_TRUE(queue_);
    ASSERT_TRUE(queue_->inDatabase([](const std::shared_ptr<SQDatabase>& db) {
      ASSERT_TRUE(db->executeUpdate("create table t (a integer)"));
    }));
  }

  int committedRows() const { return committedRowCount(path_); }

  std::string path_;
  std::shared_ptr<SQDatabaseQueue> queue_;
};

TEST_F(SQDatabaseQueueTest, AQueueForAFileThatCannotBeOpenedIsNil) {
  EXPECT_EQ(SQDatabaseQueue::databaseQueueWithPath(path_ + ".missing/sub/x.db"), nullptr);
  EXPECT_TRUE(SQDatabaseQueue::databaseQueueWithPath(std::nullopt));  // in memory
}

TEST_F(SQDatabaseQueueTest, ATransactionCommitsUnlessTheBlockAsksForARollback) {
  for (bool deferred : {false, true}) {
    SCOPED_TRACE(deferred);
    const int before = committedRows();
    auto insertTwo = [](bool rollback) {
      return [rollback](const std::shared_ptr<SQDatabase>& db, bool* shouldRollback) {
        ASSERT_TRUE(db->inTransaction());
        db->executeUpdate("insert into t values (1)");
        db->executeUpdate("insert into t values (2)");
        *shouldRollback = rollback;
      };
    };
    auto run = [&](bool rollback) {
      return deferred ? queue_->inDeferredTransaction(insertTwo(rollback))
                      : queue_->inTransaction(insertTwo(rollback));
    };
    EXPECT_TRUE(run(true));
    EXPECT_EQ(committedRows(), before);
    EXPECT_TRUE(run(false));
    EXPECT_EQ(committedRows(), before + 2);
    queue_->inDatabase(
        [](const std::shared_ptr<SQDatabase>& db) { EXPECT_FALSE(db->inTransaction()); });
  }
}

TEST_F(SQDatabaseQueueTest, ASavePointRollsBackItsWorkAndEndsItsTransaction) {
  NSErrorPtr error = queue_->inSavePoint([](const std::shared_ptr<SQDatabase>& db, bool* rb) {
    db->executeUpdate("insert into t values (1)");
    *rb = true;
  });
  EXPECT_EQ(error, nullptr);
  EXPECT_EQ(committedRows(), 0);
  // The connection is back in autocommit: what it writes next is seen at once.
  queue_->inDatabase([](const std::shared_ptr<SQDatabase>& db) {
    EXPECT_NE(sqlite3_get_autocommit(db->sqliteHandle()), 0);
    db->executeUpdate("insert into t values (2)");
  });
  EXPECT_EQ(committedRows(), 1);

  error = queue_->inSavePoint([](const std::shared_ptr<SQDatabase>& db, bool*) {
    db->executeUpdate("insert into t values (3)");
  });
  EXPECT_EQ(error, nullptr);
  EXPECT_EQ(committedRows(), 2);
}

TEST_F(SQDatabaseQueueTest, ASavePointThatCannotBeReleasedReportsTheError) {
  NSErrorPtr error = queue_->inSavePoint([](const std::shared_ptr<SQDatabase>& db, bool*) {
    db->executeUpdate("insert into t values (1)");
    // Ends the transaction the savepoint opened, and the savepoint with it.
    db->executeUpdate("commit");
  });
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->domain(), SQDatabaseErrorDomain);
  EXPECT_NE(error->localizedDescription().find("no such savepoint"), std::string::npos);
  EXPECT_EQ(committedRows(), 1);
}

TEST_F(SQDatabaseQueueTest, SavePointsOfAllQueuesAreNumberedByOneCounter) {
  auto other = SQDatabaseQueue::databaseQueueWithPath(std::nullopt);
  std::vector<long> numbers;
  for (auto* queue : {queue_.get(), other.get(), queue_.get()}) {
    queue->inSavePoint([&](const std::shared_ptr<SQDatabase>& db, bool*) {
      numbers.push_back(openSavePointNumber(*db));
    });
  }
  ASSERT_EQ(numbers.size(), 3u);
  EXPECT_GE(numbers[0], 0);
  EXPECT_EQ(numbers[1], numbers[0] + 1);
  EXPECT_EQ(numbers[2], numbers[0] + 2);
}

TEST_F(SQDatabaseQueueTest, AfterCloseTheNextUseOpensANewConnection) {
  std::shared_ptr<SQDatabase> first = queue_->database();
  queue_->inDatabase(
      [](const std::shared_ptr<SQDatabase>& db) { db->executeUpdate("insert into t values (1)"); });
  EXPECT_TRUE(queue_->close());
  EXPECT_FALSE(first->databaseExists());
  std::shared_ptr<SQDatabase> second;
  queue_->inDatabase([&](const std::shared_ptr<SQDatabase>& db) {
    second = db;
    EXPECT_EQ(db->intForQuery("select count(*) from t"), 1);
  });
  ASSERT_TRUE(second);
  EXPECT_NE(second, first);
}

TEST_F(SQDatabaseQueueTest, WhenTheFileCannotBeOpenedAgainTheBlockGetsNoConnection) {
  std::filesystem::path dir = std::filesystem::path(path_).parent_path() / "later";
  std::filesystem::create_directories(dir);
  auto queue = SQDatabaseQueue::databaseQueueWithPath((dir / "x.db").string());
  ASSERT_TRUE(queue);
  queue->close();
  std::filesystem::remove_all(dir);
  bool ran = false;
  EXPECT_TRUE(queue->inDatabase([&](const std::shared_ptr<SQDatabase>& db) {
    ran = true;
    EXPECT_EQ(db, nullptr);
  }));
  EXPECT_TRUE(ran);
  EXPECT_EQ(queue->database(), nullptr);
  NSErrorPtr error = queue->inSavePoint([](const std::shared_ptr<SQDatabase>&, bool*) {
    ADD_FAILURE() << "no connection, no block";
  });
  EXPECT_NE(error, nullptr);
}

TEST_F(SQDatabaseQueueTest, ACallFromInsideItsOwnBlockFailsAtOnce) {
  bool innerRan = false;
  bool nestedResult = true;
  NSErrorPtr nestedSavePoint;
  bool nestedClose = true;
  queue_->inDatabase([&](const std::shared_ptr<SQDatabase>& db) {
    nestedResult =
        queue_->inTransaction([&](const std::shared_ptr<SQDatabase>&, bool*) { innerRan = true; });
    nestedSavePoint =
        queue_->inSavePoint([&](const std::shared_ptr<SQDatabase>&, bool*) { innerRan = true; });
    nestedClose = queue_->close();
    // The connection is still there for the outer block.
    EXPECT_TRUE(db->executeUpdate("insert into t values (1)"));
  });
  EXPECT_FALSE(innerRan);
  EXPECT_FALSE(nestedResult);
  ASSERT_NE(nestedSavePoint, nullptr);
  EXPECT_EQ(nestedSavePoint->code(), SQLITE_MISUSE);
  EXPECT_FALSE(nestedClose);
  EXPECT_EQ(committedRows(), 1);
}

TEST_F(SQDatabaseQueueTest, ThreadsTakeTurnsOnTheOneConnection) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this] {
      for (int i = 0; i < 25; ++i) {
        queue_->inTransaction([](const std::shared_ptr<SQDatabase>& db, bool*) {
          int n = db->intForQuery("select count(*) from t");
          db->executeUpdate("insert into t values (?)", n);
        });
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(committedRows(), 100);
  queue_->inDatabase([](const std::shared_ptr<SQDatabase>& db) {
    // Each block saw every row before it: the values count up without a gap or a repeat.
    EXPECT_EQ(db->intForQuery("select count(distinct a) from t"), 100);
    EXPECT_EQ(db->intForQuery("select max(a) from t"), 99);
  });
}

}  // namespace
