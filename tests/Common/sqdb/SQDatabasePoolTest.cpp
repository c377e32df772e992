// The database pool: connections handed out and taken back, its limit, its delegate, and its
// transactions and savepoints.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "Common/sqdb/SQDatabasePool.h"
#include "Common/sqdb/SQDatabaseQueue.h"
#include "Common/sqdb/SqdbTestSupport.h"
#include "Foundation/NSException.h"

namespace {

class SQDatabasePoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = sqdbTestPath();
    pool_ = SQDatabasePool::databasePoolWithPath(path_);
    pool_->inDatabase([](const std::shared_ptr<SQDatabase>& db) {
      ASSERT_TRUE(db);
      ASSERT_TRUE(db->executeUpdate("create table t (a integer)"));
    });
  }

  int committedRows() const { return committedRowCount(path_); }

  std::string path_;
  std::shared_ptr<SQDatabasePool> pool_;
};

TEST_F(SQDatabasePoolTest, AtItsLimitThePoolAnswersNilUntilAConnectionComesBack) {
  pool_->releaseAllDatabases();
  pool_->setMaximumNumberOfDatabasesToCreate(1);
  auto db = pool_->db();
  ASSERT_TRUE(db);
  EXPECT_TRUE(db->databaseExists());
  EXPECT_EQ(pool_->countOfCheckedOutDatabases(), 1u);
  EXPECT_EQ(pool_->db(), nullptr);

  pool_->pushDatabaseBackInPool(db);
  EXPECT_EQ(pool_->countOfCheckedInDatabases(), 1u);
  EXPECT_EQ(pool_->countOfCheckedOutDatabases(), 0u);
  EXPECT_EQ(pool_->db(), db);
  EXPECT_EQ(pool_->countOfOpenDatabases(), 1u);

  // A block finds no connection while the only one is out.
  bool ran = false;
  pool_->inDatabase([&](const std::shared_ptr<SQDatabase>& none) {
    ran = true;
    EXPECT_EQ(none, nullptr);
  });
  EXPECT_TRUE(ran);
  pool_->pushDatabaseBackInPool(db);
}

TEST_F(SQDatabasePoolTest, WithoutALimitEveryTakerGetsAConnectionOfItsOwn) {
  auto a = pool_->db();
  auto b = pool_->db();
  ASSERT_TRUE(a && b);
  EXPECT_NE(a, b);
  EXPECT_EQ(pool_->countOfCheckedOutDatabases(), 2u);
  pool_->pushDatabaseBackInPool(a);
  pool_->pushDatabaseBackInPool(b);
  pool_->pushDatabaseBackInPool(nullptr);
  EXPECT_EQ(pool_->countOfCheckedInDatabases(), 2u);
  // The last one back is the next one out.
  EXPECT_EQ(pool_->db(), b);
  pool_->pushDatabaseBackInPool(b);

  pool_->releaseAllDatabases();
  EXPECT_EQ(pool_->countOfOpenDatabases(), 0u);
}

TEST_F(SQDatabasePoolTest, PushingAConnectionBackTwiceRaises) {
  auto db = pool_->db();
  pool_->pushDatabaseBackInPool(db);
  try {
    pool_->pushDatabaseBackInPool(db);
    FAIL() << "no exception";
  } catch (const NSException& e) {
    EXPECT_EQ(e.name(), "Database already in pool");
    EXPECT_EQ(e.reason(),
              "The SQDatabase being put back into the pool is already present in the pool");
  }
  // The pool still works.
  EXPECT_EQ(pool_->countOfCheckedInDatabases(), 1u);
  EXPECT_EQ(pool_->db(), db);
  pool_->pushDatabaseBackInPool(db);
}

class Refuser : public SQDatabasePoolDelegate {
 public:
  bool databasePoolShouldAddDatabaseToPool(SQDatabasePool& pool,
                                           const std::shared_ptr<SQDatabase>& db) override {
    asked.push_back(db);
    // Bookkeeping asked from inside the pool's own locked work fails at once.
    countInside = pool.countOfOpenDatabases();
    takenInside = pool.db();
    return accept;
  }
  bool accept = false;
  std::vector<std::shared_ptr<SQDatabase>> asked;
  size_t countInside = 99;
  std::shared_ptr<SQDatabase> takenInside;
};

TEST_F(SQDatabasePoolTest, AConnectionTheDelegateRefusesIsClosedAndLeavesNoTrace) {
  auto waiting = pool_->db();
  pool_->pushDatabaseBackInPool(waiting);
  pool_->setMaximumNumberOfDatabasesToCreate(1);
  auto delegate = std::make_shared<Refuser>();
  pool_->setDelegate(delegate);

  EXPECT_EQ(pool_->db(), nullptr);
  ASSERT_EQ(delegate->asked.size(), 1u);
  EXPECT_EQ(delegate->asked[0], waiting);
  EXPECT_FALSE(waiting->databaseExists());
  EXPECT_EQ(delegate->countInside, 0u);
  EXPECT_EQ(delegate->takenInside, nullptr);
  // The refused connection holds no place: the limit of one still leaves room for a new one.
  EXPECT_EQ(pool_->countOfOpenDatabases(), 0u);
  delegate->accept = true;
  auto fresh = pool_->db();
  ASSERT_TRUE(fresh);
  EXPECT_NE(fresh, waiting);
  pool_->pushDatabaseBackInPool(fresh);
}

TEST_F(SQDatabasePoolTest, ATransactionCommitsUnlessTheBlockAsksForARollback) {
  pool_->inTransaction([](const std::shared_ptr<SQDatabase>& db, bool* rollback) {
    db->executeUpdate("insert into t values (1)");
    *rollback = true;
  });
  EXPECT_EQ(committedRows(), 0);
  pool_->inDeferredTransaction([](const std::shared_ptr<SQDatabase>& db, bool*) {
    db->executeUpdate("insert into t values (1)");
  });
  EXPECT_EQ(committedRows(), 1);
  // Every connection went back.
  EXPECT_EQ(pool_->countOfCheckedOutDatabases(), 0u);
}

TEST_F(SQDatabasePoolTest, SavePointsRollBackAndAreNumberedApartFromTheQueues) {
  auto queue = SQDatabaseQueue::databaseQueueWithPath(std::nullopt);
  long queueFirst = -1;
  queue->inSavePoint(
      [&](const std::shared_ptr<SQDatabase>& db, bool*) { queueFirst = openSavePointNumber(*db); });
  std::vector<long> numbers;
  for (bool rollback : {true, false}) {
    NSErrorPtr error = pool_->inSavePoint([&](const std::shared_ptr<SQDatabase>& db, bool* rb) {
      numbers.push_back(openSavePointNumber(*db));
      db->executeUpdate("insert into t values (1)");
      *rb = rollback;
    });
    EXPECT_EQ(error, nullptr);
  }
  long queueNext = -1;
  queue->inSavePoint(
      [&](const std::shared_ptr<SQDatabase>& db, bool*) { queueNext = openSavePointNumber(*db); });
  EXPECT_EQ(committedRows(), 1);
  ASSERT_EQ(numbers.size(), 2u);
  EXPECT_EQ(numbers[1], numbers[0] + 1);
  // The pools' savepoints did not advance the queues' counter.
  EXPECT_EQ(queueNext, queueFirst + 1);
}

TEST_F(SQDatabasePoolTest, ThreadsWorkOnConnectionsOfTheirOwn) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < 10; ++i) {
        pool_->inTransaction([t](const std::shared_ptr<SQDatabase>& db, bool*) {
          ASSERT_TRUE(db);
          db->executeUpdate("insert into t values (?)", t);
        });
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(committedRows(), 40);
  EXPECT_EQ(pool_->countOfCheckedOutDatabases(), 0u);
  EXPECT_GE(pool_->countOfCheckedInDatabases(), 1u);
  EXPECT_LE(pool_->countOfCheckedInDatabases(), 4u);
}

TEST_F(SQDatabasePoolTest, LockedWorkCannotEnterTheLockAgain) {
  bool innerRan = false;
  bool nested = true;
  EXPECT_TRUE(
      pool_->executeLocked([&] { nested = pool_->executeLocked([&] { innerRan = true; }); }));
  EXPECT_FALSE(nested);
  EXPECT_FALSE(innerRan);
}

}  // namespace
