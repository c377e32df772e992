#include "Common/sqdb/SQDatabasePool.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "Foundation/NSException.h"

namespace {

std::atomic<long> savePointIndex{0};

bool contains(const std::vector<std::shared_ptr<SQDatabase>>& pool,
              const std::shared_ptr<SQDatabase>& db) {
  return std::find(pool.begin(), pool.end(), db) != pool.end();
}

void remove(std::vector<std::shared_ptr<SQDatabase>>& pool, const std::shared_ptr<SQDatabase>& db) {
  pool.erase(std::remove(pool.begin(), pool.end(), db), pool.end());
}

}  // namespace

std::shared_ptr<SQDatabasePool> SQDatabasePool::databasePoolWithPath(
    std::optional<std::string> path) {
  return std::make_shared<SQDatabasePool>(Passkey{}, std::move(path));
}

SQDatabasePool::SQDatabasePool(Passkey, std::optional<std::string> path) : path_(std::move(path)) {
  lockQueue_ = DispatchQueue::createSerial("sqdb." + description());
}

std::optional<std::string> SQDatabasePool::path() const {
  std::lock_guard<std::mutex> lock(propertyMutex_);
  return path_;
}

void SQDatabasePool::setPath(std::optional<std::string> path) {
  std::lock_guard<std::mutex> lock(propertyMutex_);
  path_ = std::move(path);
}

std::weak_ptr<SQDatabasePoolDelegate> SQDatabasePool::delegate() const {
  std::lock_guard<std::mutex> lock(propertyMutex_);
  return delegate_;
}

void SQDatabasePool::setDelegate(std::weak_ptr<SQDatabasePoolDelegate> delegate) {
  std::lock_guard<std::mutex> lock(propertyMutex_);
  delegate_ = std::move(delegate);
}

bool SQDatabasePool::executeLocked(const std::function<void()>& block) {
  if (lockQueue_->isCurrent()) return false;
  lockQueue_->sync(block);
  return true;
}

std::shared_ptr<SQDatabase> SQDatabasePool::db() {
  std::shared_ptr<SQDatabase> db;
  executeLocked([&] {
    if (!databaseInPool_.empty()) {
      db = databaseInPool_.back();
      databaseInPool_.pop_back();
      databaseOutPool_.push_back(db);
    } else {
      const unsigned maximum = maximum_;
      if (maximum && databaseInPool_.size() + databaseOutPool_.size() >= maximum) return;
      db = SQDatabase::databaseWithPath(path());
    }
    if (!db->open()) {
      remove(databaseOutPool_, db);
      db = nullptr;
      return;
    }
    auto delegate = this->delegate().lock();
    if (delegate && !delegate->databasePoolShouldAddDatabaseToPool(*this, db)) {
      db->close();
      // A refused connection is gone: it must not hold a place in the books.
      remove(databaseOutPool_, db);
      db = nullptr;
      return;
    }
    if (!contains(databaseOutPool_, db)) databaseOutPool_.push_back(db);
  });
  return db;
}

void SQDatabasePool::pushDatabaseBackInPool(const std::shared_ptr<SQDatabase>& db) {
  if (!db) return;
  bool alreadyInPool = false;
  executeLocked([&] {
    if (contains(databaseInPool_, db)) {
      alreadyInPool = true;
      return;
    }
    databaseInPool_.push_back(db);
    remove(databaseOutPool_, db);
  });
  // Raised outside the lock queue, so that the queue is free again for the caller.
  if (alreadyInPool) {
    NSException::raise(
        SQDatabaseAlreadyInPoolException,
        "The SQDatabase being put back into the pool is already present in the pool");
  }
}

size_t SQDatabasePool::countOfCheckedInDatabases() {
  size_t count = 0;
  executeLocked([&] { count = databaseInPool_.size(); });
  return count;
}

size_t SQDatabasePool::countOfCheckedOutDatabases() {
  size_t count = 0;
  executeLocked([&] { count = databaseOutPool_.size(); });
  return count;
}

size_t SQDatabasePool::countOfOpenDatabases() {
  size_t count = 0;
  executeLocked([&] { count = databaseInPool_.size() + databaseOutPool_.size(); });
  return count;
}

void SQDatabasePool::releaseAllDatabases() {
  executeLocked([&] {
    databaseInPool_.clear();
    databaseOutPool_.clear();
  });
}

void SQDatabasePool::withDatabase(const SQDatabaseBlock& block) {
  auto database = db();
  block(database);
  pushDatabaseBackInPool(database);
}

void SQDatabasePool::inDatabase(const SQDatabaseBlock& block) {
  withDatabase(block);
}

void SQDatabasePool::inTransaction(const SQDatabaseRollbackBlock& block) {
  beginTransaction(false, block);
}

void SQDatabasePool::inDeferredTransaction(const SQDatabaseRollbackBlock& block) {
  beginTransaction(true, block);
}

void SQDatabasePool::beginTransaction(bool useDeferred, const SQDatabaseRollbackBlock& block) {
  withDatabase([&](const std::shared_ptr<SQDatabase>& database) {
    sqdb_blocks::runTransaction(database, useDeferred, block);
  });
}

NSErrorPtr SQDatabasePool::inSavePoint(const SQDatabaseRollbackBlock& block) {
  NSErrorPtr error;
  withDatabase([&](const std::shared_ptr<SQDatabase>& database) {
    std::string name = "savePoint" + std::to_string(savePointIndex++);
    error = sqdb_blocks::runSavePoint(database, name, block);
  });
  return error;
}

std::string SQDatabasePool::description() const {
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
  return std::string("<SQDatabasePool: ") + address + ">";
}
